// A place on the earth and the conversion the sky model needs.
#pragma once

#include <cmath>

namespace sim {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

struct Geo {
    double latDeg = 0;
    double lonDeg = 0;
    double altM = 0;
};

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

// Earth-fixed cartesian coordinates on the WGS84 ellipsoid, metres.
inline Vec3 toEcef(const Geo& g) {
    const double a = 6378137.0, e2 = 6.69437999014e-3;
    double phi = g.latDeg * kDeg, lam = g.lonDeg * kDeg;
    double n = a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
    return {(n + g.altM) * std::cos(phi) * std::cos(lam),
            (n + g.altM) * std::cos(phi) * std::sin(lam), (n * (1 - e2) + g.altM) * std::sin(phi)};
}

} // namespace sim
