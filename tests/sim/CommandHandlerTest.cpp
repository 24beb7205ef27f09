#include "CommandHandler.h"
#include "SimTestUtil.h"

#include <gtest/gtest.h>

using namespace sim;
using namespace simtest;

namespace {

struct Fixture {
    Rig rig;
    SimLog log;
    CommandHandler handler{*rig.rx, log};
    Fixture() : rig(hot()) {
        log.setStderr(false);
        log.setKeep(true);
    }
    static ReceiverConfig hot() {
        ReceiverConfig c;
        c.start = StartMode::Hot;
        return c;
    }
};

} // namespace

TEST(SimCommands, Replies) {
    struct Case {
        const char* command;
        std::vector<std::string> replies;
    } cases[] = {
        {"$PMTK605*31\r\n", {"$PMTK705,AXN_5.1.7_3333_19011000,0005,SIM-GPS,1.0*17\r\n"}},
        {"$PSRF151,01*0F\r\n", {"$PSRF151,WAAS Enable*0B\r\n"}},
        {"$PSRF151,00*0E\r\n", {"$PSRF151,WAAS Disable*7E\r\n"}},
        {"$PMTK103*30\r\n", {"$PMTK011,MTKGPS*08\r\n", "$PMTK010,001*2E\r\n"}},
        {"$PMTK104*37\r\n", {"$PMTK011,MTKGPS*08\r\n", "$PMTK010,001*2E\r\n"}},
        {"$PMTK999*3B\r\n", {"$PMTK001,999,1*3B\r\n"}},
        {"$PSRF103,05,00,01,01*20\r\n", {}},
        {"$PMTK605*30\r\n", {}}, // wrong checksum: ignored
        {"$PMTK605\r\n", {}},    // no checksum
        {"garbage\r\n", {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        EXPECT_EQ(f.handler.feed(c.command, kStart), c.replies) << c.command;
        for (const auto& r : c.replies)
            EXPECT_TRUE(nmeaChecksumOk(r)) << r;
        // Everything received is logged.
        ASSERT_FALSE(f.log.kept().empty());
        EXPECT_NE(f.log.kept()[0].find("received"), std::string::npos);
    }
}

TEST(SimCommands, BadChecksumIsLoggedAndIgnored) {
    Fixture f;
    ASSERT_TRUE(find(f.rig.cycle(2), "RMC"));
    EXPECT_TRUE(f.handler.feed("$PMTK103*31\r\n", kStart + 2).empty());
    EXPECT_NE(f.log.kept().back().find("checksum"), std::string::npos);
    EXPECT_TRUE(f.rig.rx->measure(kStart + 3).fix); // no restart happened
}

TEST(SimCommands, ColdRestartStartsANewTimeToFix) {
    Fixture f;
    ASSERT_TRUE(f.rig.rx->measure(kStart + 2).fix);
    f.handler.feed("$PMTK103*30\r\n", kStart + 2.5);
    EXPECT_FALSE(f.rig.rx->measure(kStart + 3).fix);
    EXPECT_EQ(f.rig.rx->restartTime(), kStart + 2.5);
}

TEST(SimCommands, VtgSwitchesOnAndOff) {
    Fixture f;
    EXPECT_FALSE(find(f.rig.cycle(2), "VTG"));
    f.handler.feed("$PSRF103,05,00,01,01*20\r\n", kStart);
    const std::string* vtg = nullptr;
    auto on = f.rig.cycle(3);
    vtg = find(on, "VTG");
    ASSERT_TRUE(vtg);
    EXPECT_EQ(vtg->substr(0, 6), "$GPVTG");
    f.handler.feed("$PSRF103,05,00,00,01*21\r\n", kStart);
    EXPECT_FALSE(find(f.rig.cycle(4), "VTG"));
}

// Lines arrive in pieces; an endless line is dropped, and the next one is
// understood again.
TEST(SimCommands, SplitAndOverlongInput) {
    Fixture f;
    EXPECT_TRUE(f.handler.feed("$PMTK6", kStart).empty());
    EXPECT_EQ(f.handler.feed("05*31\r\n", kStart).size(), 1u);
    EXPECT_TRUE(f.handler.feed(std::string(5000, 'x'), kStart).empty());
    EXPECT_TRUE(f.handler.feed("$PMTK605*31\r\n", kStart).empty()); // ends the dropped line
    EXPECT_EQ(f.handler.feed("$PMTK605*31\r\n", kStart).size(), 1u);
}

TEST(SimCommands, NoRestartWhileReplaying) {
    Fixture f;
    f.handler.setRestartsAllowed(false);
    ASSERT_TRUE(f.rig.rx->measure(kStart + 2).fix);
    EXPECT_TRUE(f.handler.feed("$PMTK103*30\r\n", kStart + 2).empty());
    EXPECT_TRUE(f.rig.rx->measure(kStart + 3).fix);
}
