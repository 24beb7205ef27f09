// The satellites and where they stand in the sky of a receiver.
//
// Every satellite flies a circular orbit given by its plane (inclination,
// ascending node) and its phase in that plane; the earth turns underneath, so
// seen from the ground a satellite rises, crosses the sky in a few hours and
// sets, as real ones do. The layout follows the real constellations closely
// enough for a bench tool: GPS 6 planes at 55 degrees, GLONASS 3 planes at
// 64.8 degrees, Galileo 3 planes at 56 degrees, BeiDou medium orbits plus
// inclined and stationary geosynchronous ones.
#pragma once

#include "Geo.h"

#include <vector>

namespace sim {

enum class Gnss { Gps = 0, Glonass = 1, Galileo = 2, Beidou = 3 };
constexpr int kGnssCount = 4;

struct Satellite {
    Gnss system;
    int prn; // as the system numbers it: GPS 1-32, GLONASS 65-96, Galileo 1-36, BeiDou 1-63
    double radiusM;
    double inclinationRad;
    double nodeRad;  // right ascension of the ascending node at the epoch
    double phaseRad; // argument of latitude at the epoch
    double motionRadS;
};

struct SatView {
    Gnss system;
    int prn;
    double azimuthDeg;   // 0 <= az < 360, from north through east
    double elevationDeg; // -90..90; below 0 the satellite is under the horizon
};

class Sky {
  public:
    Sky(); // all four constellations
    const std::vector<Satellite>& satellites() const { return sats_; }

    // Earth-fixed position of satellite i at the given time (seconds since
    // 1970-01-01 UTC).
    Vec3 position(size_t i, double unixTime) const;

    // Azimuth and elevation of every satellite of the given systems from the
    // receiver, above the horizon only.
    std::vector<SatView> visible(double unixTime, const Geo& receiver, unsigned systemMask) const;

  private:
    std::vector<Satellite> sats_;
};

inline unsigned gnssBit(Gnss g) {
    return 1u << static_cast<unsigned>(g);
}

} // namespace sim
