// The receiver's state machine: searching after a cold or hot start,
// acquiring satellites one by one with rising signals, decoding their orbits,
// and fixing once the time to first fix has passed and the geometry allows.
// Each call of cycle() is one measurement epoch.
#pragma once

#include "NmeaWriter.h"
#include "Rng.h"
#include "Route.h"
#include "Sky.h"

#include <map>
#include <string>
#include <vector>

namespace sim {

enum class StartMode { Cold, Hot };

struct ReceiverConfig {
    Style style = Style::Gps;
    StartMode start = StartMode::Cold;
    double coldTtff = 32; // seconds from a cold start to the first fix
    double hotTtff = 1;   // from a hot start
    double maskDeg = 5;   // satellites below this elevation are not used
    int rate = 1;         // cycles per second
};

class Receiver {
  public:
    Receiver(const ReceiverConfig& cfg, const Route& route, const WriterConfig& writer, Rng& rng,
             double startUnixTime);

    // One epoch at the given time: the report and its sentences.
    CycleReport measure(double unixTime);
    std::vector<std::string> cycle(double unixTime) { return writer_.cycle(measure(unixTime)); }

    // Restarts, as the receiver's commands ask for them.
    void restart(StartMode mode, double unixTime);
    bool hasFix() const { return fix_; }
    double restartTime() const { return restartAt_; }
    double currentTtff() const { return ttff_; }

    NmeaWriter& writer() { return writer_; }
    const ReceiverConfig& config() const { return cfg_; }

    bool waas() const { return waas_; }
    void setWaas(bool on) { waas_ = on; }

    // Sentence bytes per second in the worst case this receiver can reach
    // with its present sentence set (a fix, every satellite in view known),
    // for the check against the baud rate.
    size_t worstBytesPerSecond(double fromUnixTime) const;

  private:
    struct Track {
        double acquireAt;   // seconds after the restart
        double ephemerisAt; // elevation and azimuth known from here on
        double bias;        // this satellite's signal offset, dB
    };
    Track& track(Gnss sys, int prn);

    ReceiverConfig cfg_;
    const Route& route_;
    NmeaWriter writer_;
    Rng& rng_;
    Sky sky_;
    double runStart_;
    double restartAt_;
    double ttff_;
    StartMode mode_;
    bool fix_ = false;
    bool fixedOnce_ = false; // orbits of all satellites known (almanac) since the first fix
    bool waas_ = false;
    std::map<std::pair<int, int>, Track> tracks_;
};

unsigned systemsOf(Style style);

} // namespace sim
