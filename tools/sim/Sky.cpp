#include "Sky.h"

#include <cmath>

namespace sim {

namespace {

constexpr double kEarthRate = 7.2921151467e-5; // rad/s
// The orbit phases are laid out at this instant (2020-01-01 00:00 UTC).
constexpr double kEpoch = 1577836800.0;

double motionForPeriod(double seconds) {
    return 2 * kPi / seconds;
}

// Adds one orbital plane of satellites, evenly spaced, with their PRNs.
void addPlane(std::vector<Satellite>& out, Gnss sys, std::initializer_list<int> prns,
              double radiusKm, double inclDeg, double nodeDeg, double phaseOffsetDeg,
              double periodS) {
    int count = static_cast<int>(prns.size());
    int k = 0;
    for (int prn : prns) {
        Satellite s;
        s.system = sys;
        s.prn = prn;
        s.radiusM = radiusKm * 1000.0;
        s.inclinationRad = inclDeg * kDeg;
        s.nodeRad = nodeDeg * kDeg;
        s.phaseRad = (phaseOffsetDeg + 360.0 * k / count) * kDeg;
        s.motionRadS = motionForPeriod(periodS);
        out.push_back(s);
        ++k;
    }
}

} // namespace

Sky::Sky() {
    // GPS: six planes 60 degrees apart, half a sidereal day per orbit.
    const double gpsPeriod = 43082.0;
    addPlane(sats_, Gnss::Gps, {1, 7, 13, 19, 25, 31}, 26560, 55, 0, 0, gpsPeriod);
    addPlane(sats_, Gnss::Gps, {2, 8, 14, 20, 26}, 26560, 55, 60, 15, gpsPeriod);
    addPlane(sats_, Gnss::Gps, {3, 9, 15, 21, 27}, 26560, 55, 120, 30, gpsPeriod);
    addPlane(sats_, Gnss::Gps, {4, 10, 16, 22, 28, 32}, 26560, 55, 180, 45, gpsPeriod);
    addPlane(sats_, Gnss::Gps, {5, 11, 17, 23, 29}, 26560, 55, 240, 60, gpsPeriod);
    addPlane(sats_, Gnss::Gps, {6, 12, 18, 24, 30}, 26560, 55, 300, 75, gpsPeriod);

    // GLONASS: three planes of eight, slots 1-24 reported as 65-88.
    const double gloPeriod = 40544.0;
    addPlane(sats_, Gnss::Glonass, {65, 66, 67, 68, 69, 70, 71, 72}, 25510, 64.8, 10, 0, gloPeriod);
    addPlane(sats_, Gnss::Glonass, {73, 74, 75, 76, 77, 78, 79, 80}, 25510, 64.8, 130, 15,
             gloPeriod);
    addPlane(sats_, Gnss::Glonass, {81, 82, 83, 84, 85, 86, 87, 88}, 25510, 64.8, 250, 30,
             gloPeriod);

    // Galileo: three planes of nine.
    const double galPeriod = 50680.0;
    addPlane(sats_, Gnss::Galileo, {1, 2, 3, 4, 5, 7, 8, 9, 10}, 29600, 56, 25, 0, galPeriod);
    addPlane(sats_, Gnss::Galileo, {11, 12, 13, 14, 15, 18, 19, 21, 24}, 29600, 56, 145, 13,
             galPeriod);
    addPlane(sats_, Gnss::Galileo, {25, 26, 27, 29, 30, 31, 33, 34, 36}, 29600, 56, 265, 26,
             galPeriod);

    // BeiDou: stationary satellites over fixed longitudes, inclined
    // geosynchronous ones, and three planes of medium orbits.
    const double sidereal = 2 * kPi / kEarthRate;
    const double geoLon[] = {140.0, 80.0, 110.5, 160.0, 58.75};
    for (int i = 0; i < 5; ++i) {
        Satellite s{Gnss::Beidou, i + 1, 42164e3, 0, 0, 0, kEarthRate};
        // With the node at 0 and the earth's rotation angle 0 at the epoch,
        // the phase is the longitude the satellite hangs over.
        s.phaseRad = geoLon[i] * kDeg;
        sats_.push_back(s);
    }
    addPlane(sats_, Gnss::Beidou, {6, 7, 8, 9, 10}, 42164, 55, 118, 0, sidereal);
    const double bdsPeriod = 46404.0;
    addPlane(sats_, Gnss::Beidou, {19, 20, 21, 22, 23, 24, 25, 26}, 27906, 55, 40, 0, bdsPeriod);
    addPlane(sats_, Gnss::Beidou, {27, 28, 29, 30, 32, 33, 34, 35}, 27906, 55, 160, 15, bdsPeriod);
    addPlane(sats_, Gnss::Beidou, {36, 37, 41, 42, 43, 44, 45, 46}, 27906, 55, 280, 30, bdsPeriod);
}

Vec3 Sky::position(size_t i, double unixTime) const {
    const Satellite& s = sats_[i];
    double t = unixTime - kEpoch;
    double u = s.phaseRad + s.motionRadS * t;
    double cu = std::cos(u), su = std::sin(u);
    double cO = std::cos(s.nodeRad), sO = std::sin(s.nodeRad);
    double ci = std::cos(s.inclinationRad), si = std::sin(s.inclinationRad);
    // Inertial position, then turned with the earth.
    double x = s.radiusM * (cO * cu - sO * su * ci);
    double y = s.radiusM * (sO * cu + cO * su * ci);
    double z = s.radiusM * su * si;
    double theta = std::fmod(kEarthRate * t, 2 * kPi);
    double ct = std::cos(theta), st = std::sin(theta);
    return {ct * x + st * y, -st * x + ct * y, z};
}

std::vector<SatView> Sky::visible(double unixTime, const Geo& receiver, unsigned systemMask) const {
    std::vector<SatView> out;
    Vec3 r = toEcef(receiver);
    double phi = receiver.latDeg * kDeg, lam = receiver.lonDeg * kDeg;
    double sp = std::sin(phi), cp = std::cos(phi), sl = std::sin(lam), cl = std::cos(lam);
    for (size_t i = 0; i < sats_.size(); ++i) {
        if (!(systemMask & gnssBit(sats_[i].system))) continue;
        Vec3 p = position(i, unixTime);
        double dx = p.x - r.x, dy = p.y - r.y, dz = p.z - r.z;
        double e = -sl * dx + cl * dy;
        double n = -sp * cl * dx - sp * sl * dy + cp * dz;
        double u = cp * cl * dx + cp * sl * dy + sp * dz;
        double el = std::atan2(u, std::sqrt(e * e + n * n)) / kDeg;
        if (el <= 0) continue;
        double az = std::atan2(e, n) / kDeg;
        if (az < 0) az += 360;
        if (az >= 360) az -= 360;
        out.push_back({sats_[i].system, sats_[i].prn, az, el});
    }
    return out;
}

} // namespace sim
