// The receiver's journey: a closed loop of waypoints around the start
// position, driven with a speed profile (standing, town at 50 km/h, a highway
// stretch at 120 km/h, a slow zone at 30 km/h, back to the start), with
// realistic acceleration and braking, and slow corners.
#pragma once

#include "Geo.h"

#include <vector>

namespace sim {

struct Motion {
    Geo position;
    double speedMs = 0;   // over ground
    double courseDeg = 0; // true, 0 <= c < 360
};

class Route {
  public:
    // start: the loop starts and ends here. stationary: never moves.
    Route(const Geo& start, bool stationary = false);

    // Where the receiver is `seconds` after the start of the run (the loop
    // repeats).
    Motion at(double seconds) const;

    double loopSeconds() const { return loopSeconds_; }
    double maxSpeedMs() const;

  private:
    struct Leg {
        double e0, n0, e1, n1;
        double speedMs;
        double length;
        double courseDeg;
    };
    Geo start_;
    bool stationary_;
    std::vector<Leg> legs_;
    double dwellSeconds_ = 0;
    double loopSeconds_ = 0;
    // Samples of the drive at each metre of the loop: arrival time and speed.
    std::vector<double> timeAt_;
    std::vector<double> speedAt_;
};

} // namespace sim
