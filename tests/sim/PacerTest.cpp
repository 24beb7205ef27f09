#include "Pacer.h"
#include "SimTestUtil.h"

#include <gtest/gtest.h>

using namespace sim;
using namespace simtest;

TEST(SimPacer, LineArithmetic) {
    EXPECT_DOUBLE_EQ(lineSeconds(960, 9600), 1.0);
    EXPECT_DOUBLE_EQ(lineSeconds(48, 4800), 0.1);
    EXPECT_TRUE(lineCarries(960, 9600));
    EXPECT_FALSE(lineCarries(961, 9600));
}

// A rate the line cannot carry is found before the start: 1 Hz of a GPS
// receiver fits 4800 baud, 10 Hz needs more than 9600; a multi-GNSS
// receiver does not fit 9600 baud even at 1 Hz.
TEST(SimPacer, WorstCaseAgainstBaud) {
    struct Case {
        Style style;
        int rate;
        int baud;
        bool carries;
    } cases[] = {
        {Style::Gps, 1, 4800, true},     {Style::Gps, 10, 9600, false},
        {Style::Gps, 10, 115200, true},  {Style::Gnss, 1, 9600, false},
        {Style::Gnss, 1, 38400, true},   {Style::Gnss, 5, 19200, false},
        {Style::Gnss, 10, 115200, true},
    };
    for (const Case& c : cases) {
        ReceiverConfig cfg;
        cfg.style = c.style;
        cfg.rate = c.rate;
        Rig rig(cfg);
        size_t worst = rig.rx->worstBytesPerSecond(kStart);
        EXPECT_EQ(lineCarries(worst, c.baud), c.carries)
            << c.rate << " Hz " << c.baud << " baud: " << worst << " bytes/s";
    }
}

// Bytes never leave faster than the line carries them, a pause inside a
// piece holds the line, and replies go between pieces.
TEST(SimPacer, Timing) {
    std::string sent;
    std::vector<std::pair<double, size_t>> log;
    double now = 100.0;
    Pacer p(9600, true, [&](const char* d, size_t n) {
        sent.append(d, n);
        log.push_back({now, sent.size()});
        return n;
    });
    p.enqueue({std::string(480, 'a')});
    Piece paused{std::string(96, 'b'), 48, 0.2};
    p.enqueue(paused);
    for (; now < 101.0; now += 0.001) {
        p.pump(now);
        if (now > 100.1 && now < 100.101) p.enqueueNext({"R"});
    }
    ASSERT_EQ(sent.size(), 577u);
    for (auto& [t, total] : log)
        EXPECT_LE(total, (t - 100.0) * 960.0 + 10) << t; // 10 bytes: one chunk
    // 577 bytes take 0.601 s, plus the 0.2 s pause.
    EXPECT_GT(log.back().first - 100.0, 0.78);
    size_t r = sent.find('R');
    EXPECT_EQ(r, 480u); // after the piece in progress, before the next one
}

TEST(SimPacer, UnpacedWritesAtOnce) {
    std::string sent;
    Pacer p(4800, false, [&](const char* d, size_t n) {
        sent.append(d, n);
        return n;
    });
    p.enqueue({std::string(10000, 'x'), 5000, 1.0});
    EXPECT_LT(p.pump(0), 0);
    EXPECT_EQ(sent.size(), 10000u);
}
