#include "SimTestUtil.h"

#include <gtest/gtest.h>

using namespace sim;
using namespace simtest;

namespace {

bool rmcValid(const std::vector<std::string>& cycle) {
    const std::string* rmc = find(cycle, "RMC");
    return rmc && fields(*rmc)[2] == "A";
}

std::string gsaMode(const std::vector<std::string>& cycle) {
    const std::string* gsa = find(cycle, "GSA");
    return gsa ? fields(*gsa)[2] : "";
}

} // namespace

// Before the time to first fix: RMC V with empty position, GSA mode 1,
// satellites appearing in GSV with rising signals. From it on: a 3D fix.
TEST(SimReceiver, ColdStartFixesAtTtff) {
    ReceiverConfig cfg;
    cfg.coldTtff = 20;
    Rig rig(cfg, 5);
    size_t firstSeen = 0, seenBeforeFix = 0;
    for (int t = 0; t < 20; ++t) {
        auto c = rig.cycle(t);
        EXPECT_FALSE(rmcValid(c)) << t;
        EXPECT_EQ(gsaMode(c), "1") << t;
        auto rmc = fields(*find(c, "RMC"));
        EXPECT_EQ(rmc[3], "");
        EXPECT_EQ(rmc[5], "");
        CycleReport r = rig.rx->measure(kStart + t + 0.5);
        if (t == 1) firstSeen = r.sats.size();
        seenBeforeFix = r.sats.size();
    }
    EXPECT_LT(firstSeen, seenBeforeFix);
    EXPECT_GE(seenBeforeFix, 4u);
    for (int t = 20; t < 25; ++t) {
        auto c = rig.cycle(t);
        EXPECT_TRUE(rmcValid(c)) << t;
        EXPECT_EQ(gsaMode(c), "3") << t;
        auto gga = fields(*find(c, "GGA"));
        EXPECT_EQ(gga[6], "1");
        EXPECT_FALSE(gga[2].empty());
    }
}

TEST(SimReceiver, HotStartFixesWithinTwoSeconds) {
    ReceiverConfig cfg;
    cfg.start = StartMode::Hot;
    Rig rig(cfg);
    EXPECT_FALSE(rmcValid(rig.cycle(0)));
    EXPECT_TRUE(rmcValid(rig.cycle(1)));
}

TEST(SimReceiver, RestartColdLosesTheFix) {
    ReceiverConfig cfg;
    cfg.start = StartMode::Hot;
    cfg.coldTtff = 10;
    Rig rig(cfg);
    ASSERT_TRUE(rmcValid(rig.cycle(2)));
    rig.rx->restart(StartMode::Cold, kStart + 2.3);
    for (int t = 3; t <= 12; ++t)
        EXPECT_FALSE(rmcValid(rig.cycle(t))) << t;
    EXPECT_TRUE(rmcValid(rig.cycle(13)));
}

// The used set: strongest first, above the mask, at most twelve per GSA.
TEST(SimReceiver, UsedSatellitesAsAReceiverChoosesThem) {
    for (Style style : {Style::Gps, Style::Gnss}) {
        ReceiverConfig cfg;
        cfg.style = style;
        cfg.start = StartMode::Hot;
        cfg.maskDeg = 10;
        Rig rig(cfg);
        for (int t = 1; t < 4 * 3600; t += 1800) {
            CycleReport r = rig.rx->measure(kStart + t);
            ASSERT_TRUE(r.fix) << t;
            int perSystem[kGnssCount] = {};
            for (const SatReport& s : r.sats) {
                if (!s.used) continue;
                EXPECT_GE(s.elevation, 10);
                EXPECT_GE(s.snr, 0);
                ++perSystem[static_cast<int>(s.system)];
            }
            for (int n : perSystem)
                EXPECT_LE(n, 12);
            EXPECT_GT(r.dop.hdop, 0.3);
            EXPECT_LT(r.dop.hdop, 5.0);
            EXPECT_GE(r.dop.pdop, r.dop.hdop);
        }
    }
}

// A seed makes a run repeatable; another seed gives another run.
TEST(SimReceiver, SeedMakesOutputRepeatable) {
    auto run = [](uint64_t seed) {
        ReceiverConfig cfg;
        cfg.style = Style::Gnss;
        cfg.coldTtff = 8;
        Rig rig(cfg, seed);
        std::string all;
        for (int t = 0; t < 15; ++t)
            for (const auto& s : rig.cycle(t))
                all += s;
        return all;
    };
    EXPECT_EQ(run(42), run(42));
    EXPECT_NE(run(42), run(43));
}

TEST(SimReceiver, HighRatesSendTheSatelliteViewOncePerSecond) {
    ReceiverConfig cfg;
    cfg.start = StartMode::Hot;
    cfg.rate = 5;
    Rig rig(cfg);
    int withGsv = 0;
    for (int c = 0; c < 10; ++c)
        if (find(rig.cycle(1 + c * 0.2), "GSV")) ++withGsv;
    EXPECT_EQ(withGsv, 2);
}

// The route: standing at first, then moving, with a stretch above 100 km/h.
TEST(SimRoute, SpeedProfile) {
    Route route({48.1, 11.5, 500});
    EXPECT_EQ(route.at(0).speedMs, 0.0);
    EXPECT_GT(route.at(40).speedMs, 5.0);
    EXPECT_GT(route.maxSpeedMs() * 3.6, 115.0);
    EXPECT_GT(route.loopSeconds(), 600.0);
    double before = 0;
    for (double t = 0; t < route.loopSeconds(); t += 1) {
        Motion m = route.at(t);
        EXPECT_LE(std::fabs(m.speedMs - before), 2.6) << t; // no jumps in speed
        before = m.speedMs;
        EXPECT_NEAR(m.position.latDeg, 48.1, 0.1);
    }
    Motion end = route.at(route.loopSeconds() - 0.5);
    EXPECT_NEAR(end.position.latDeg, 48.1, 1e-4);
    EXPECT_NEAR(end.position.lonDeg, 11.5, 1e-4);
}
