#include "Faults.h"
#include "LogReplay.h"
#include "NmeaWriter.h"

#include <gtest/gtest.h>

using namespace sim;

namespace {
std::string rmcAt(const char* time) {
    return nmeaSentence(std::string("GPRMC,") + time +
                        ",A,4807.0380,N,01131.5678,E,0.0,0.0,150623,,,A");
}
} // namespace

// Lines between two RMC times are spread over the interval; lines before
// the first RMC lead up to it at the same spacing; a midnight wrap counts as
// the next second.
TEST(SimReplay, OriginalPaceFromRmcTimes) {
    std::vector<std::string> lines = {"$A\r\n",
                                      rmcAt("235958.000"),
                                      "$B\r\n",
                                      "$C\r\n",
                                      "$D\r\n",
                                      rmcAt("235959.000"),
                                      rmcAt("000001.000"),
                                      "$E\r\n"};
    auto s = scheduleReplay(lines, 0);
    std::vector<double> expect = {0, 0.25, 0.5, 0.75, 1.0, 1.25, 3.25, 5.25};
    ASSERT_EQ(s.size(), expect.size());
    for (size_t i = 0; i < s.size(); ++i)
        EXPECT_NEAR(s[i].at, expect[i], 1e-9) << i;
    EXPECT_EQ(s[2].bytes, "$B\r\n");
}

TEST(SimReplay, FixedLineRateAndLogsWithoutTimes) {
    std::vector<std::string> lines = {rmcAt("120000.000"), "$X\r\n", rmcAt("120005.000")};
    auto fixed = scheduleReplay(lines, 4);
    EXPECT_DOUBLE_EQ(fixed[2].at, 0.5);
    auto untimed = scheduleReplay({"a\n", "b\n", "c"}, 0);
    EXPECT_DOUBLE_EQ(untimed[2].at, 0.2); // ten lines a second
    auto split = splitLogLines("a\r\nb\nc");
    EXPECT_EQ(split, (std::vector<std::string>{"a\r\n", "b\n", "c"}));
}

TEST(SimFaults, ParseKinds) {
    std::string err;
    auto f = parseFault("checksum:0.25", &err);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->kind, FaultKind::Checksum);
    EXPECT_DOUBLE_EQ(f->rate, 0.25);
    EXPECT_DOUBLE_EQ(parseFault("unplug", &err)->rate, 30.0);
    for (const char* bad : {"nonsense", "garble:2", "pause:", "checksum:x", "unplug:-1"})
        EXPECT_FALSE(parseFault(bad, &err)) << bad;
}

TEST(SimFaults, EachKindDoesWhatItSays) {
    Rng rng(9);
    const std::string line =
        nmeaSentence("GPGGA,120000.000,4807.0380,N,01131.5678,E,1,08,0.9,5,M,,M,,");
    {
        Faults f(rng);
        f.add({FaultKind::Checksum, 1.0});
        auto p = f.apply(line);
        ASSERT_EQ(p.size(), 1u);
        EXPECT_FALSE(nmeaChecksumOk(p[0].bytes));
        EXPECT_EQ(p[0].bytes.substr(0, line.size() - 4), line.substr(0, line.size() - 4));
    }
    {
        Faults f(rng);
        f.add({FaultKind::Garble, 1.0});
        bool high = false;
        for (int i = 0; i < 50; ++i) {
            std::string g = f.apply(line)[0].bytes;
            EXPECT_EQ(g.size(), line.size());
            EXPECT_EQ(g.substr(g.size() - 2), "\r\n");
            EXPECT_EQ(g.find('\n'), g.size() - 1);
            for (char c : g)
                high |= static_cast<unsigned char>(c) >= 0x80;
        }
        EXPECT_TRUE(high);
    }
    {
        Faults f(rng);
        f.add({FaultKind::Overlong, 1.0});
        auto p = f.apply(line);
        ASSERT_EQ(p.size(), 2u);
        EXPECT_EQ(p[0].bytes.size(), Faults::kOverlongBytes);
        EXPECT_EQ(p[0].bytes.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(p[1].bytes, line);
    }
    {
        Faults f(rng);
        f.add({FaultKind::Pause, 1.0});
        auto p = f.apply(line);
        EXPECT_GT(p[0].pauseAt, 0u);
        EXPECT_LT(p[0].pauseAt, line.size() - 2);
        EXPECT_DOUBLE_EQ(p[0].pauseSeconds, 0.2);
        f.setEnabled(false);
        EXPECT_DOUBLE_EQ(f.apply(line)[0].pauseSeconds, 0.0);
    }
}
