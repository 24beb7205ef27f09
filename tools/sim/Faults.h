// Line faults on request: wrong checksums, garbled bytes, over-long lines
// without a line end, pauses in the middle of a sentence. The unplug fault is
// carried out by the main loop (it needs the port); its delay is kept here.
#pragma once

#include "Rng.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class FaultKind { Checksum, Garble, Overlong, Pause, Unplug };

struct FaultSetting {
    FaultKind kind;
    double rate; // fraction of lines; for unplug the delay in seconds
};

// "checksum", "garble:0.1", "unplug:30", ... Returns nothing and sets error
// on a bad text.
std::optional<FaultSetting> parseFault(std::string_view text, std::string* error);

// A piece of output: bytes to send, optionally with a pause after the first
// pauseAt bytes.
struct Piece {
    std::string bytes;
    size_t pauseAt = 0;
    double pauseSeconds = 0;
};

class Faults {
  public:
    static constexpr size_t kOverlongBytes = 600;
    static constexpr double kPauseSeconds = 0.2;

    Faults(Rng& rng) : rng_(rng) {}
    void add(const FaultSetting& f);
    bool any() const { return !settings_.empty(); }
    // Run-time switch (SIGUSR1): faults are applied only while enabled.
    void setEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }
    std::optional<double> unplugAfter() const;

    // The pieces to send for one line, faults applied.
    std::vector<Piece> apply(std::string line);

  private:
    double rateOf(FaultKind k) const;
    Rng& rng_;
    std::vector<FaultSetting> settings_;
    bool enabled_ = true;
};

} // namespace sim
