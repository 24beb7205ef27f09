// Formats one output cycle of the receiver as NMEA 0183 sentences: the
// checksum, the field layouts (latitude ddmm.mmmm, time hhmmss.sss, ...) and
// the sentence set of the two receiver styles.
#pragma once

#include "Dop.h"
#include "Geo.h"
#include "Sky.h"

#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The NMEA checksum of a sentence body (the characters between '$' and '*').
unsigned char nmeaChecksum(std::string_view body);
// "$" body "*" checksum CR LF.
std::string nmeaSentence(std::string_view body);
// True when the line ("$...*hh", CR LF optional) carries its correct checksum.
bool nmeaChecksumOk(std::string_view line);

// Date and time fields from seconds since 1970 (UTC).
std::string nmeaTime(double unixTime, int decimals); // hhmmss.sss
std::string nmeaDate(double unixTime);               // ddmmyy
// Latitude ddmm.mmmm and its hemisphere; longitude dddmm.mmmm.
std::string nmeaLatitude(double deg, int decimals, char* hemisphere);
std::string nmeaLongitude(double deg, int decimals, char* hemisphere);

enum class Style { Gps, Gnss };

enum class Output { Gga = 0, Gll = 1, Gsa = 2, Gsv = 3, Rmc = 4, Vtg = 5 };
constexpr int kOutputCount = 6;

struct SatReport {
    Gnss system;
    int prn;
    bool positionKnown; // elevation and azimuth known (ephemeris decoded)
    int elevation;
    int azimuth;
    int snr; // dB-Hz, -1 when not tracked
    bool used;
};

// Everything a receiver knows at the end of one measurement cycle.
struct CycleReport {
    double unixTime = 0;
    bool fix = false;
    Geo position;
    double speedMs = 0;
    double courseDeg = 0;
    Dop dop;
    int usedCount = 0;
    std::vector<SatReport> sats; // in view, in the order they are reported
    bool withGsv = true;         // GSV groups in this cycle (once a second at high rates)
};

struct WriterConfig {
    Style style = Style::Gps;
    bool nmea41 = false;          // signal id in GSV, system id in GSA, nav status in RMC
    bool beidouLegacyPrn = false; // BeiDou PRNs reported as 201-263
    int timeDecimals = 3;
    bool enabled[kOutputCount] = {true, false, true, true, true, false};
};

class NmeaWriter {
  public:
    explicit NmeaWriter(const WriterConfig& cfg) : cfg_(cfg) {}
    WriterConfig& config() { return cfg_; }
    const WriterConfig& config() const { return cfg_; }

    // The sentences of one cycle, each ending in CR LF, in the order the
    // receiver style sends them.
    std::vector<std::string> cycle(const CycleReport& r) const;

    std::string rmc(const CycleReport& r) const;
    std::string gga(const CycleReport& r) const;
    std::string gll(const CycleReport& r) const;
    std::string vtg(const CycleReport& r) const;
    std::vector<std::string> gsa(const CycleReport& r) const;
    std::vector<std::string> gsv(const CycleReport& r) const;

  private:
    std::string talker() const { return cfg_.style == Style::Gps ? "GP" : "GN"; }
    int latDecimals() const { return cfg_.style == Style::Gps ? 4 : 5; }
    std::string gsaFor(const CycleReport& r, const std::vector<int>& prns, int systemId) const;
    std::vector<std::string> gsvGroup(const char* talker, const std::vector<const SatReport*>& sats,
                                      int signalId) const;
    int reportedPrn(const SatReport& s) const;
    WriterConfig cfg_;
};

} // namespace sim
