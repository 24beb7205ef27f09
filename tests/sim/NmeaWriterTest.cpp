#include "SimTestUtil.h"

#include <gtest/gtest.h>

#include <map>

using namespace sim;
using namespace simtest;

TEST(SimNmea, ChecksumOfKnownSentences) {
    // The receiver commands as the program sends them, and a sentence from a
    // real receiver.
    const char* lines[] = {"$PMTK103*30",
                           "$PMTK104*37",
                           "$PMTK605*31",
                           "$PSRF151,01*0F",
                           "$PSRF151,00*0E",
                           "$PSRF103,05,00,01,01*20",
                           "$PSRF103,05,00,00,01*21",
                           "$GPGSV,2,1,06,05,90,000,45,12,00,180,30,17,00,270,,20,45,045,38*72"};
    for (const char* l : lines) {
        std::string s(l);
        EXPECT_EQ(nmeaSentence(s.substr(1, s.size() - 4)), s + "\r\n") << l;
        EXPECT_TRUE(nmeaChecksumOk(s)) << l;
    }
    EXPECT_TRUE(nmeaChecksumOk("$PSRF151,01*0f\r\n")); // lower-case digits
    EXPECT_FALSE(nmeaChecksumOk("$PSRF151,01*0E"));
    EXPECT_FALSE(nmeaChecksumOk("$PSRF151,01"));
    EXPECT_FALSE(nmeaChecksumOk("PSRF151,01*0F"));
}

TEST(SimNmea, FieldLayouts) {
    char h;
    EXPECT_EQ(nmeaLatitude(48.1173, 4, &h), "4807.0380");
    EXPECT_EQ(h, 'N');
    EXPECT_EQ(nmeaLongitude(-8.565253, 4, &h), "00833.9152");
    EXPECT_EQ(h, 'W');
    // 59.999996 minutes must round into the next degree, not print "60".
    EXPECT_EQ(nmeaLatitude(-(47 + 59.999996 / 60), 4, &h), "4800.0000");
    EXPECT_EQ(h, 'S');
    EXPECT_EQ(nmeaLatitude(12.5, 5, &h), "1230.00000");
    EXPECT_EQ(nmeaTime(kStart + 3600 * 8 + 15 * 60 + 30.25, 3), "201530.250");
    EXPECT_EQ(nmeaTime(kStart + 0.9996, 3), "120001.000");
    EXPECT_EQ(nmeaDate(kStart), "010524");
    EXPECT_EQ(nmeaDate(951782400.0), "290200"); // 2000-02-29
}

// Every sentence of every style and variant carries its checksum and CR LF,
// and stays within the 82 characters NMEA allows.
TEST(SimNmea, GeneratedCyclesAreWellFormed) {
    for (Style style : {Style::Gps, Style::Gnss})
        for (bool nmea41 : {false, true}) {
            ReceiverConfig cfg;
            cfg.style = style;
            cfg.coldTtff = 5;
            WriterConfig w;
            w.nmea41 = nmea41;
            for (bool& on : w.enabled)
                on = true;
            Rig rig(cfg, 3, w);
            for (int t = 0; t < 12; ++t)
                for (const std::string& s : rig.cycle(t)) {
                    ASSERT_GE(s.size(), 6u);
                    EXPECT_EQ(s.substr(s.size() - 2), "\r\n") << s;
                    EXPECT_TRUE(nmeaChecksumOk(s)) << s;
                    EXPECT_LE(s.size(), 82u) << s;
                }
        }
}

// GSV groups: four satellites a message, each talker numbered on its own,
// the count of satellites in every message of the group.
TEST(SimNmea, GsvGroupsPerTalker) {
    ReceiverConfig cfg;
    cfg.style = Style::Gnss;
    cfg.start = StartMode::Hot;
    Rig rig(cfg);
    CycleReport r = rig.rx->measure(kStart + 5);
    std::vector<std::string> gsv = rig.rx->writer().gsv(r);
    std::map<std::string, std::vector<std::vector<std::string>>> groups;
    for (const auto& s : gsv)
        groups[s.substr(1, 2)].push_back(fields(s));
    ASSERT_EQ(groups.size(), 4u);
    for (auto& [talker, msgs] : groups) {
        int inView = std::stoi(msgs[0][3]);
        EXPECT_EQ(static_cast<int>(msgs.size()), (inView + 3) / 4) << talker;
        int listed = 0;
        for (size_t m = 0; m < msgs.size(); ++m) {
            EXPECT_EQ(std::stoi(msgs[m][1]), static_cast<int>(msgs.size()));
            EXPECT_EQ(std::stoi(msgs[m][2]), static_cast<int>(m) + 1);
            EXPECT_EQ(std::stoi(msgs[m][3]), inView);
            listed += static_cast<int>(msgs[m].size() - 4) / 4;
        }
        EXPECT_EQ(listed, inView) << talker;
        for (auto& m : msgs)
            for (size_t i = 4; i + 3 < m.size(); i += 4) {
                int prn = std::stoi(m[i]);
                if (talker == "GL")
                    EXPECT_TRUE(prn >= 65 && prn <= 96) << prn;
                else if (talker == "GB")
                    EXPECT_TRUE(prn >= 1 && prn <= 63) << prn;
                else
                    EXPECT_TRUE(prn >= 1 && prn <= 36) << talker << prn;
            }
    }
    // One GSA per constellation, each with at most twelve satellites.
    std::vector<std::string> gsa = rig.rx->writer().gsa(r);
    EXPECT_EQ(gsa.size(), 4u);
    for (const auto& s : gsa)
        EXPECT_EQ(fields(s).size(), 18u) << s;
}

TEST(SimNmea, NoSatelliteInView) {
    NmeaWriter w{WriterConfig{}};
    CycleReport r;
    EXPECT_EQ(w.gsv(r), std::vector<std::string>{"$GPGSV,1,1,00*79\r\n"});
    EXPECT_EQ(w.gsa(r), std::vector<std::string>{"$GPGSA,A,1,,,,,,,,,,,,,,,*1E\r\n"});
}
