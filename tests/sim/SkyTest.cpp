#include "Dop.h"
#include "Sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace sim;

namespace {
constexpr double kStart = 1714564800.0;
const unsigned kAll = 0xF;
} // namespace

TEST(SimSky, ViewsAreInRangeAndPlausible) {
    Sky sky;
    for (Geo where : {Geo{48.1, 11.5, 500}, Geo{-33.9, 151.2, 20}, Geo{64.1, -21.9, 10}})
        for (double t = kStart; t < kStart + 86400; t += 3600) {
            auto v = sky.visible(t, where, kAll);
            int gps = 0;
            for (const SatView& s : v) {
                EXPECT_GT(s.elevationDeg, 0.0);
                EXPECT_LE(s.elevationDeg, 90.0);
                EXPECT_GE(s.azimuthDeg, 0.0);
                EXPECT_LT(s.azimuthDeg, 360.0);
                gps += s.system == Gnss::Gps;
            }
            // A real sky holds roughly 6 to 14 GPS satellites.
            EXPECT_GE(gps, 5) << t;
            EXPECT_LE(gps, 16) << t;
        }
}

// Satellites move slowly: a GPS pass lasts hours, a minute moves a satellite
// by well under a few degrees.
TEST(SimSky, SatellitesMoveAcrossTheSky) {
    Sky sky;
    Geo where{48.1, 11.5, 500};
    auto at = [&](double t) {
        std::map<int, SatView> m;
        for (const SatView& s : sky.visible(t, where, gnssBit(Gnss::Gps)))
            m[s.prn] = s;
        return m;
    };
    auto a = at(kStart), b = at(kStart + 60);
    int moved = 0;
    for (auto& [prn, s] : a) {
        if (!b.count(prn)) continue;
        double del = std::fabs(b[prn].elevationDeg - s.elevationDeg);
        EXPECT_LT(del, 1.0) << prn;
        moved += del > 0.01;
    }
    EXPECT_GE(moved, 4);
    // The longest pass of the day is a few hours.
    std::map<int, int> minutesVisible;
    for (int m = 0; m < 24 * 60; m += 5)
        for (auto& [prn, s] : at(kStart + m * 60.0))
            minutesVisible[prn] += 5;
    int longest = 0;
    for (auto& [prn, mins] : minutesVisible)
        longest = std::max(longest, mins);
    EXPECT_GT(longest, 4 * 60);
    EXPECT_LT(longest, 20 * 60);
}

TEST(SimSky, DopFollowsGeometry) {
    std::vector<AzEl> spread = {{0, 80}, {0, 20}, {120, 20}, {240, 20}, {60, 45}, {300, 45}};
    std::vector<AzEl> bunched = {{10, 60}, {20, 65}, {30, 55}, {15, 70}, {25, 62}};
    Dop good = computeDop(spread), poor = computeDop(bunched);
    ASSERT_TRUE(good.valid);
    ASSERT_TRUE(poor.valid);
    EXPECT_LT(good.hdop, 2.0);
    EXPECT_GT(poor.hdop, 5 * good.hdop);
    EXPECT_FALSE(computeDop({{0, 80}, {0, 20}, {120, 20}}).valid);
}
