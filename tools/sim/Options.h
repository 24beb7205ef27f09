// The command line of starvane-sim.
#pragma once

#include "Faults.h"
#include "NmeaWriter.h"
#include "Receiver.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Options {
    Style style = Style::Gps;
    int rate = 1;
    int baud = 0; // 0: the style's usual rate (see defaultBaud)
    bool strictBaud = false;
    bool nmea41 = false;
    bool beidouLegacyPrn = false;
    bool vtg = false;
    double latDeg = 48.1173;
    double lonDeg = 11.5167;
    double altM = 520;
    bool stationary = false;
    StartMode start = StartMode::Cold;
    double ttff = 32;
    double maskDeg = 5;
    std::optional<double> startTime; // seconds since 1970 UTC
    std::optional<uint64_t> seed;
    std::vector<FaultSetting> faults;
    std::string replay;
    double lineRate = 0;
    bool loop = false;
    bool toStdout = false;
    bool pace = true;
    double duration = 0; // 0: until stopped
    std::string name = "Starvane GPS simulator";
    std::string logFile;
    std::string teeFile; // every byte put on the line is also written here
    bool help = false;
};

// false and an error text when the command line is wrong.
// 9600 for a GPS-only receiver; a multi-GNSS receiver's sentences do not fit
// 9600 baud even at 1 Hz, so it defaults to 38400.
int defaultBaud(Style style);

bool parseOptions(int argc, char** argv, Options* o, std::string* error);
const char* helpText();

// "2024-05-01T12:00:00" (UTC; a trailing Z and fractional seconds allowed).
std::optional<double> parseUtc(const std::string& text);

} // namespace sim
