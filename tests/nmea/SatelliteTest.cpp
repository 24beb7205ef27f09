// GSA and GSV decoding into the satellite table: used and in-view marks,
// signal values, sky positions, the cycle flags across sentence types and
// talkers, and GSV sentences with the NMEA 4.10 signal id.
#include <gtest/gtest.h>

#include <tuple>

#include "NmeaTestUtil.h"

namespace {

// One satellite in view: PRN, SNR, x, y.
struct InView {
    int prn, snr, x, y;
    bool operator==(const InView&) const = default;
};
std::ostream& operator<<(std::ostream& os, const InView& v) {
    return os << "{" << v.prn << ", " << v.snr << ", " << v.x << ", " << v.y << "}";
}

constexpr int NP = SKY_NO_POSITION;

std::vector<InView> InViewSlots(const SatTable& t) {
    std::vector<InView> out;
    for (int i = 0; i < SAT_TABLE_SIZE; i++)
        if (t[i].bInView) out.push_back({i, (int)t[i].nSnr, (int)t[i].nX, (int)t[i].nY});
    return out;
}
std::vector<int> UsedSlots(const SatTable& t) {
    std::vector<int> out;
    for (int i = 0; i < SAT_TABLE_SIZE; i++)
        if (t[i].bUsed) out.push_back(i);
    return out;
}

const std::string kGsa = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";
const std::string kGsv1 = "$GPGSV,2,1,06,05,90,000,45,12,00,180,30,17,00,270,,20,45,045,38*72\r\n";
const std::string kGsv2 = "$GPGSV,2,2,06,25,,,33,0,10,100,20*7A\r\n";
const std::string kRmc = "$GPRMC,081530.000,V,,,,,,,150623,,,N*41\r\n";

TEST(GsaTest, FirstGsaOfACycleReplacesTheUsedList) {
    NmeaState s;
    s.sats()[1].bUsed = s.sats()[200].bUsed = 1; // from an earlier cycle
    s.wnd.m_bFixTimeShown = FALSE;
    s.wnd.m_dwStartTick = GetTickCount() - 3500;

    s.Rmc(kRmc);
    g_FieldStore.bRepaintPending = FALSE;
    s.Gsa(kGsa);
    EXPECT_EQ(UsedSlots(s.sats()), (std::vector<int>{4, 5, 9, 12, 24}));
    EXPECT_EQ(A(s.fix().szStatus), "3D");
    EXPECT_EQ(A(s.fix().szPdop), "2.5");
    EXPECT_EQ(A(s.fix().szHdop), "1.3");
    EXPECT_TRUE(s.wnd.m_bFixTimeShown) << "fix mode 3 reports the time to first fix";
    EXPECT_FALSE(g_FieldStore.bRepaintPending);

    // A second GSA right after it (another constellation) adds to the list.
    s.Gsa(Nmea("$GLGSA,A,3,65,66,,,,,,,,,,,2.5,1.3,2.1"));
    EXPECT_EQ(UsedSlots(s.sats()), (std::vector<int>{4, 5, 9, 12, 24, 65, 66}));
}

TEST(GsaTest, FixModesPrnsAndDopTexts) {
    struct Case {
        std::string line;
        const char* status;
        std::vector<int> used;
        const char* pdop;
        const char* hdop;
    };
    const Case cases[] = {
        {Nmea("$GPGSA,A,2,04,,,,,,,,,,,,3.1,2.2,1.0"), "2D", {4}, "3.1", "2.2"},
        {Nmea("$GPGSA,A,1,,,,,,,,,,,,,,,"), "No Fix", {}, "", ""},
        {Nmea("$GPGSA,A,,,,,,,,,,,,,,,,"), "No Fix", {}, "", ""},
        {Nmea("$GPGSA,A,X,,,,,,,,,,,,,,,"), "No Fix", {}, "", ""},
        // PRNs without a slot are ignored; a place without digits is PRN 0.
        {Nmea("$GPGSA,A,3,300,-1,255,ab,,,,,,,,,1.0,0.9,0.5"), "3D", {0, 255}, "1.0", "0.9"},
        // DOP texts cut to their capacity.
        {Nmea("$GPGSA,A,3,07,,,,,,,,,,,,12345678901,0.12345678901,1"),
         "3D",
         {7},
         "123456789",
         "0.1234567"},
        // A GSA cut short: places and DOPs it does not reach are empty.
        {"$GPGSA,A,3,04,05*1F\r\n", "3D", {4, 5}, "", ""},
    };
    for (const Case& c : cases) {
        NmeaState s;
        s.Gsa(kGsa); // fills every field of the table
        g_FieldStore.bUsedCleared = FALSE;
        s.Gsa(c.line);
        EXPECT_EQ(A(s.fix().szStatus), c.status) << c.line;
        EXPECT_EQ(UsedSlots(s.sats()), c.used) << c.line;
        EXPECT_EQ(A(s.fix().szPdop), c.pdop) << c.line;
        EXPECT_EQ(A(s.fix().szHdop), c.hdop) << c.line;
    }
}

TEST(GsvTest, GroupOfTwoMessages) {
    NmeaState s;
    s.sats()[7].bInView = 1; // from an earlier cycle
    s.sats()[7].nSnr = 40;
    s.Rmc(kRmc);
    g_FieldStore.bRepaintPending = FALSE;

    s.Gsv(kGsv1);
    EXPECT_EQ(InViewSlots(s.sats()),
              (std::vector<InView>{
                  {5, 45, 77, 77}, {12, 30, 77, 139}, {17, 0, 14, 77}, {20, 38, 99, 54}}));
    EXPECT_EQ(s.sats()[7].nSnr, 40) << "a slot not reported keeps its values";
    EXPECT_FALSE(g_FieldStore.bRepaintPending);

    // Slot 25 has no elevation and azimuth yet: no sky position. PRN 0 is skipped.
    s.Gsv(kGsv2);
    EXPECT_EQ(InViewSlots(s.sats()), (std::vector<InView>{{5, 45, 77, 77},
                                                          {12, 30, 77, 139},
                                                          {17, 0, 14, 77},
                                                          {20, 38, 99, 54},
                                                          {25, 33, NP, NP}}));
    EXPECT_EQ(s.sats()[0].nSnr, 0);
    EXPECT_TRUE(g_FieldStore.bRepaintPending);
}

// The cycle flags: an RMC ends a cycle; a GSA ends the GSV group and a GSV the
// GSA group; a second talker's group right after the first adds to it.
TEST(GsvTest, CycleFlagsAcrossSentencesAndTalkers) {
    const std::string gp = Nmea("$GPGSV,1,1,01,05,90,000,45");
    const std::string gl = Nmea("$GLGSV,1,1,01,70,90,000,30");
    const std::string gsa5 = Nmea("$GPGSA,A,3,05,,,,,,,,,,,,2.5,1.3,2.1");
    const std::string gsa70 = Nmea("$GLGSA,A,3,70,,,,,,,,,,,,2.5,1.3,2.1");
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::vector<int> inView;
        std::vector<int> used;
    };
    const Case cases[] = {
        {"two talkers build one table", {kRmc, gp, gl}, {5, 70}, {}},
        {"RMC between groups", {kRmc, gp, kRmc, gl}, {70}, {}},
        {"GSA between groups", {kRmc, gp, gsa5, gl}, {70}, {5}},
        {"GGA changes nothing", {kRmc, gp, "$GPGGA,,,,,,0,,,,,,,,*66\r\n", gl}, {5, 70}, {}},
        {"GSAs of two talkers", {kRmc, gsa5, gsa70}, {}, {5, 70}},
        {"GSV between GSAs", {kRmc, gsa5, gp, gsa70}, {5}, {70}},
        {"RMC between GSAs", {kRmc, gsa5, kRmc, gsa70}, {}, {70}},
    };
    for (const Case& c : cases) {
        NmeaState s;
        for (const std::string& line : c.lines) {
            const std::u16string w = W(line);
            s.wnd.m_dwStartTick = 1;
            EXPECT_EQ(s.wnd.HandleSentence(nullptr, w.c_str()), 1);
        }
        std::vector<int> inView;
        for (const InView& v : InViewSlots(s.sats()))
            inView.push_back(v.prn);
        EXPECT_EQ(inView, c.inView) << c.name;
        EXPECT_EQ(UsedSlots(s.sats()), c.used) << c.name;
    }
}

// Shapes of GSV sentences, each as message 1 of 1 into an empty table. NMEA
// 4.10 adds a signal id as the last field before the checksum; it is no
// satellite. Legacy sentences and partial last blocks are read as before.
struct GsvCase {
    const char* name;
    std::string before; // a sentence of the same group handled first, or ""
    std::string line;
    std::vector<InView> inView;
};

const std::string kSat1 = "01,40,083,46", kSat2 = "02,17,308,41", kSat3 = "12,07,344,39",
                  kSat4 = "14,22,228,45";
const InView kIn1 = {1, 46, 111, 72}, kIn2 = {2, 41, 36, 45}, kIn3 = {12, 39, 60, 21},
             kIn4 = {14, 45, 41, 108};

const GsvCase kGsvCases[] = {
    {"Legacy0", "", Nmea("$GPGSV,1,1,00"), {}},
    {"Legacy1", "", Nmea("$GPGSV,1,1,01," + kSat1), {kIn1}},
    {"Legacy2", "", Nmea("$GPGSV,1,1,02," + kSat1 + "," + kSat2), {kIn1, kIn2}},
    {"Legacy3", "", Nmea("$GPGSV,1,1,03," + kSat1 + "," + kSat2 + "," + kSat3), {kIn1, kIn2, kIn3}},
    {"Legacy4",
     "",
     Nmea("$GPGSV,1,1,04," + kSat1 + "," + kSat2 + "," + kSat3 + "," + kSat4),
     {kIn1, kIn2, kIn3, kIn4}},
    {"Signal0", "", Nmea("$GPGSV,1,1,00,1"), {}},
    {"Signal1", "", Nmea("$GPGSV,1,1,01," + kSat1 + ",1"), {kIn1}},
    {"Signal2", "", Nmea("$GPGSV,1,1,02," + kSat1 + "," + kSat2 + ",1"), {kIn1, kIn2}},
    {"Signal3",
     "",
     Nmea("$GPGSV,1,1,03," + kSat1 + "," + kSat2 + "," + kSat3 + ",1"),
     {kIn1, kIn2, kIn3}},
    {"Signal4With22Fields",
     "",
     Nmea("$GPGSV,1,1,04," + kSat1 + "," + kSat2 + "," + kSat3 + "," + kSat4 + ",1"),
     {kIn1, kIn2, kIn3, kIn4}},
    {"Signal8", "", Nmea("$GAGSV,1,1,01," + kSat2 + ",8"), {kIn2}},
    // Partial last blocks: fields the sentence does not reach are empty,
    // whatever the previous sentence left in the table.
    {"PartialOf3",
     Nmea("$GPGSV,2,1,08," + kSat1 + "," + kSat2 + "," + kSat3 + "," + kSat4),
     Nmea("$GPGSV,2,2,08,38,10,200"),
     {kIn1, kIn2, kIn3, kIn4, {38, 0, 57, 129}}},
    {"PartialOf2",
     Nmea("$GPGSV,2,1,08," + kSat1 + "," + kSat2 + "," + kSat3 + "," + kSat4),
     Nmea("$GPGSV,2,2,08,38,10"),
     {kIn1, kIn2, kIn3, kIn4, {38, 0, NP, NP}}},
    {"EmptyElevationAzimuth", "", "$GPGSV,4,4,13,38,,,37*74\r\n", {{38, 37, NP, NP}}},
    // A signal id 1 after the last block is not PRN 1: PRN 1, in view from
    // the first message, keeps its signal and position.
    {"SignalIdIsNotPrn1",
     Nmea("$GPGSV,2,1,05," + kSat1 + "," + kSat2 + "," + kSat3 + "," + kSat4 + ",1"),
     Nmea("$GPGSV,2,2,05,20,45,045,38,1"),
     {kIn1, kIn2, kIn3, kIn4, {20, 38, 99, 54}}},
    // The L2 group of the same cycle lists PRN 1 with no value on that
    // signal: the L1 value stays. A legacy repeat still overwrites.
    {"OtherSignalWithoutValueKeepsIt",
     Nmea("$GPGSV,1,1,01," + kSat1 + ",1"),
     Nmea("$GPGSV,1,1,01,01,40,083,,6"),
     {kIn1}},
    {"OtherSignalFullSentenceKeepsThem",
     Nmea("$GPGSV,1,1,04," + kSat1 + "," + kSat2 + "," + kSat3 + "," + kSat4 + ",1"),
     Nmea("$GPGSV,1,1,04,01,40,083,,02,17,308,,12,07,344,,14,22,228,,6"),
     {kIn1, kIn2, kIn3, kIn4}},
    {"OtherSignalWithValueReplacesIt",
     Nmea("$GPGSV,1,1,01," + kSat1 + ",1"),
     Nmea("$GPGSV,1,1,01,01,40,083,30,6"),
     {{1, 30, 111, 72}}},
    {"NoDigits",
     "",
     Nmea("$GPGSV,1,1,02,05,ab,100,xx,06,30,-,20"),
     {{5, 0, NP, NP}, {6, 20, NP, NP}}},
    {"PrnWithoutSlot", "", Nmea("$GPGSV,1,1,03,300,10,100,20,-5,10,100,20,256,10,100,20"), {}},
    {"AzimuthZeroOnHorizon", "", Nmea("$GPGSV,1,1,01,09,00,000,10"), {{9, 10, 77, 14}}},
    {"NoChecksum", "", "$GPGSV,1,1,01,09,00,000,10\r\n", {{9, 10, 77, 14}}},
};

void PrintTo(const GsvCase& c, std::ostream* os) {
    *os << c.name;
}

class GsvShapeTest : public testing::TestWithParam<GsvCase> {};

TEST_P(GsvShapeTest, MarksExactlyTheseSatellites) {
    const GsvCase& c = GetParam();
    NmeaState s;
    if (!c.before.empty()) s.Gsv(c.before);
    s.Gsv(c.line);
    EXPECT_EQ(InViewSlots(s.sats()), c.inView);
    EXPECT_TRUE(g_FieldStore.bRepaintPending);
}

INSTANTIATE_TEST_SUITE_P(Cases, GsvShapeTest, testing::ValuesIn(kGsvCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResetFixTest, EmptiesTheFixRecordButNotTheFieldTables) {
    NmeaState s;
    s.Rmc("$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*60\r\n");
    s.Gsa(kGsa);
    s.Gsv(kGsv1);
    s.wnd.m_DisplayPanel.ResetFix();
    EXPECT_EQ(FixStrings(s.fix()), std::vector<std::string>(11, ""));
    for (const SatSlot& slot : s.sats())
        EXPECT_EQ(std::tie(slot.bInView, slot.bUsed, slot.nSnr, slot.nX, slot.nY),
                  std::make_tuple(0, 0, 0, 0, 0));
    EXPECT_EQ(A(g_FieldStore.GsvFields[0]), "$GPGSV");
}

} // namespace
