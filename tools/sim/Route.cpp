#include "Route.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kKmh = 1 / 3.6;
constexpr double kAccel = 2.0; // m/s^2
constexpr double kBrake = 2.5; // m/s^2
constexpr double kCornerSpeed = 25 * kKmh;
constexpr double kEarthRadius = 6371000.0;

struct Waypoint {
    double e, n;     // metres east and north of the start
    double speedKmh; // speed of the leg that ends here
};

// The loop: town, highway, slow zone, town, slow zone back to the start.
const Waypoint kLoop[] = {
    {900, 0, 50},      {1500, 3500, 120}, {500, 6500, 120}, {-1500, 6000, 30},
    {-1500, 1500, 50}, {-300, 0, 30},     {0, 0, 30},
};
constexpr double kDwell = 15.0; // standing at the start of each loop

} // namespace

Route::Route(const Geo& start, bool stationary) : start_(start), stationary_(stationary) {
    double e = 0, n = 0;
    for (const Waypoint& w : kLoop) {
        Leg leg{e, n, w.e, w.n, w.speedKmh * kKmh, 0, 0};
        leg.length = std::hypot(w.e - e, w.n - n);
        double c = std::atan2(w.e - e, w.n - n) / kDeg;
        leg.courseDeg = c < 0 ? c + 360 : c;
        legs_.push_back(leg);
        e = w.e;
        n = w.n;
    }
    dwellSeconds_ = kDwell;

    // Speed limit at each metre, lowered at sharp corners; then the fastest
    // profile that respects acceleration and braking, standing at both ends.
    std::vector<double> limit;
    for (size_t i = 0; i < legs_.size(); ++i) {
        int metres = static_cast<int>(legs_[i].length);
        for (int m = 0; m < metres; ++m)
            limit.push_back(legs_[i].speedMs);
        if (i + 1 < legs_.size()) {
            double turn = std::fabs(legs_[i + 1].courseDeg - legs_[i].courseDeg);
            if (turn > 180) turn = 360 - turn;
            double corner = std::min(legs_[i].speedMs, legs_[i + 1].speedMs);
            if (turn > 45) corner = std::min(corner, kCornerSpeed);
            limit.back() = corner;
        }
    }
    size_t count = limit.size() + 1;
    speedAt_.assign(count, 0);
    for (size_t i = 1; i + 1 < count; ++i)
        speedAt_[i] = std::min(limit[i], std::sqrt(speedAt_[i - 1] * speedAt_[i - 1] + 2 * kAccel));
    speedAt_[count - 1] = 0;
    for (size_t i = count - 1; i-- > 0;)
        speedAt_[i] =
            std::min(speedAt_[i], std::sqrt(speedAt_[i + 1] * speedAt_[i + 1] + 2 * kBrake));
    timeAt_.assign(count, 0);
    for (size_t i = 1; i < count; ++i)
        timeAt_[i] = timeAt_[i - 1] + 2.0 / (speedAt_[i - 1] + speedAt_[i]);
    loopSeconds_ = dwellSeconds_ + timeAt_.back();
}

double Route::maxSpeedMs() const {
    return stationary_ ? 0 : *std::max_element(speedAt_.begin(), speedAt_.end());
}

Motion Route::at(double seconds) const {
    Motion m;
    m.position = start_;
    double t = std::fmod(std::max(0.0, seconds), loopSeconds_) - dwellSeconds_;
    double dist = 0;
    if (stationary_ || t <= 0) {
        m.courseDeg = legs_.front().courseDeg;
    } else {
        size_t i = std::upper_bound(timeAt_.begin(), timeAt_.end(), t) - timeAt_.begin();
        if (i >= timeAt_.size()) i = timeAt_.size() - 1;
        size_t j = i - 1;
        double span = timeAt_[i] - timeAt_[j];
        double f = span > 0 ? (t - timeAt_[j]) / span : 0;
        // Distance within the metre from constant acceleration over it.
        double v0 = speedAt_[j], v1 = speedAt_[i];
        double dt = t - timeAt_[j];
        double a = span > 0 ? (v1 - v0) / span : 0;
        double within = std::clamp(v0 * dt + 0.5 * a * dt * dt, 0.0, 1.0);
        dist = static_cast<double>(j) + within;
        m.speedMs = v0 + (v1 - v0) * f;
        // Which leg.
        double left = dist;
        const Leg* leg = &legs_.back();
        for (const Leg& l : legs_) {
            double whole = std::floor(l.length);
            if (left < whole) {
                leg = &l;
                break;
            }
            left -= whole;
        }
        double k = std::min(1.0, left / leg->length);
        double e = leg->e0 + (leg->e1 - leg->e0) * k;
        double n = leg->n0 + (leg->n1 - leg->n0) * k;
        m.courseDeg = leg->courseDeg;
        double lat0 = start_.latDeg * kDeg;
        m.position.latDeg = start_.latDeg + n / kEarthRadius / kDeg;
        m.position.lonDeg = start_.lonDeg + e / (kEarthRadius * std::cos(lat0)) / kDeg;
        // A gentle rise and fall of the road.
        m.position.altM = start_.altM + 12.0 * std::sin(dist / 1800.0);
    }
    return m;
}

} // namespace sim
