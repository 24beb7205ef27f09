// RMC decoding into the fix text and the last fix time (in a UTC+2 zone
// without daylight saving), the speed warning and the time to first fix.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include "NmeaTestUtil.h"
#include "nmea/NmeaText.h"
#include "nmea/SentenceIntake.h"

namespace {

const std::string kFix =
    "$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*60\r\n";
const std::string kNoFix = "$GPRMC,081530.000,V,,,,,,,150623,,,N*41\r\n";

std::string Rmc(const std::string& time, const std::string& status, const std::string& lat,
                const std::string& lon, const std::string& knots, const std::string& course,
                const std::string& date) {
    return Nmea("$GPRMC," + time + "," + status + "," + lat + ",N," + lon + ",E," + knots + "," +
                course + "," + date + ",,,A");
}

struct St {
    WORD y, mo, dow, d, h, mi, s;
};

struct RmcCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> fix; // the whole FixText afterwards
    St st;                        // m_stLastFix afterwards
};

const std::vector<std::string> kFixText = {
    "2023/06/15", "10:15:30", "123.4",       "100 Km/hr", "3D",          "",
    "",           "N",        "48`07.0380'", "E",         "011`31.5678'"};
const St kFixTime = {2023, 6, 4, 15, 10, 15, 30};

std::vector<std::string> With(std::vector<std::string> v, int i, const char* s) {
    v[i] = s;
    return v;
}
enum { DATE, TIME, DIR, SPEED, STATUS, HDOP, PDOP, NS, LAT, EW, LON };

const RmcCase kRmcCases[] = {
    {"Fix", {kFix}, kFixText, kFixTime},
    {"NoFixKeepsPosition",
     {kFix, kNoFix},
     With(With(With(kFixText, DIR, "0"), SPEED, "0 Km/hr"), STATUS, "No Fix"),
     kFixTime},
    {"NoFixFirst",
     {kNoFix},
     {"2023/06/15", "10:15:30", "0", "0 Km/hr", "No Fix", "", "", "", "", "", ""},
     kFixTime},
    {"YearFrom2000AndShortFraction",
     {Nmea("$GPRMC,235959.000,A,4807.12,S,00833.9148,W,0.5,,230394,,,A")},
     {"2094/03/24", "01:59:59", "0", "0 Km/hr", "3D", "", "", "S", "48`07.0012'", "W",
      "008`33.9148'"},
     {2094, 3, 3, 24, 1, 59, 59}},
    {"LongFractions",
     {Rmc("081530", "A", "4807.12345", "01131.00123", "054.9", "123.4", "150623")},
     With(With(kFixText, LAT, "48`07.12345'"), LON, "011`31.0123'"),
     kFixTime},
    {"InvalidDateKeepsLastTime",
     {kFix, Rmc("120000.000", "A", "4807.0380", "01131.5678", "054.9", "123.4", "001312")},
     kFixText,
     kFixTime},
    {"InvalidHourKeepsLastTime",
     {kFix, Rmc("240000.000", "A", "4807.0380", "01131.5678", "054.9", "123.4", "160623")},
     kFixText,
     kFixTime},
    {"InvalidDateFirstLeavesDateEmpty",
     {Rmc("081530.000", "V", "", "", "", "", "001312")},
     {"", "", "0", "0 Km/hr", "No Fix", "", "", "", "", "", ""},
     {}},
    // Date and time fields that do not hold six digits at their fixed places
    // are not read: the date and time stay as they were.
    {"ShortTime",
     {kFix, Rmc("0915", "A", "4807.0380", "01131.5678", "054.9", "123.4", "160623")},
     kFixText,
     kFixTime},
    {"ShortDate",
     {kFix, Rmc("091530.000", "A", "4807.0380", "01131.5678", "054.9", "123.4", "1606")},
     kFixText,
     kFixTime},
    {"TimeWithoutDigits",
     {kFix, Rmc("09a530.000", "A", "4807.0380", "01131.5678", "054.9", "123.4", "160623")},
     kFixText,
     kFixTime},
    {"DateTooLong",
     {kFix, Rmc("091530.000", "A", "4807.0380", "01131.5678", "054.9", "123.4", "1606231")},
     kFixText,
     kFixTime},
    // Positions read past the end of a short field read 0.
    {"ShortPosition",
     {Rmc("081530.000", "A", "48", "011", "", "", "150623")},
     {"2023/06/15", "10:15:30", "0", "0 Km/hr", "3D", "", "", "N", "00`00.0000'", "E",
      "000`00.0000'"},
     kFixTime},
    {"SpeedWithoutDigits",
     {Rmc("081530.000", "A", "4807.0380", "01131.5678", "abc", "123.4", "150623")},
     With(kFixText, SPEED, "0 Km/hr"),
     kFixTime},
    {"NegativeSpeed",
     {Rmc("081530.000", "A", "4807.0380", "01131.5678", "-5", "123.4", "150623")},
     With(kFixText, SPEED, "-9 Km/hr"),
     kFixTime},
    {"TextsCutToCapacity",
     {Nmea("$GPRMC,081530.000,A,4807.12345678,NORTHNORTH,01131.5678,E,054.9,1234567890123,"
           "150623,,,A")},
     With(With(With(kFixText, DIR, "123456789"), NS, "NORTHNORT"), LAT, "48`07.12345678"),
     kFixTime},
    // A sentence cut short: the fields it does not reach are empty, not the
    // texts of the sentence before.
    {"UnreachedFieldsAreEmpty",
     {kFix, Nmea("$GPRMC,091530.000,A")},
     With(With(kFixText, DIR, "0"), SPEED, "0 Km/hr"),
     kFixTime},
};

void PrintTo(const RmcCase& c, std::ostream* os) {
    *os << c.name;
}

class RmcTest : public testing::TestWithParam<RmcCase> {
  public:
    static void SetUpTestSuite() {
        setenv("TZ", "Etc/GMT-2", 1); // UTC+2, no daylight saving
        tzset();
    }
};

TEST_P(RmcTest, SetsTheWholeFixText) {
    const RmcCase& c = GetParam();
    NmeaState s;
    for (const std::string& line : c.lines)
        s.Rmc(line);
    EXPECT_EQ(FixStrings(s.fix()), c.fix);
    const SYSTEMTIME& st = s.wnd.m_stLastFix;
    EXPECT_EQ((std::vector<int>{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute,
                                st.wSecond, st.wMilliseconds}),
              (std::vector<int>{c.st.y, c.st.mo, c.st.dow, c.st.d, c.st.h, c.st.mi, c.st.s, 0}));
    EXPECT_TRUE(g_FieldStore.bRepaintPending);
}

INSTANTIATE_TEST_SUITE_P(Cases, RmcTest, testing::ValuesIn(kRmcCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RmcTest, SpeedOver100KmhTurnsTheLineGreen) {
    NmeaState s;
    // 54 knots = 100.008 km/h: no warning.
    EXPECT_EQ(s.wnd.HandleSentence(nullptr, W(kFix).c_str()), 1);
    EXPECT_EQ(s.wnd.m_ControlPanel.m_cfConsole.crTextColor, CONSOLE_BLACK);
    EXPECT_EQ(A(s.fix().szSpeed), "100 Km/hr");
    // 55 knots = 101.86 km/h: green after the black of the checksum (pauses 1 s).
    const std::string fast =
        "$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,055.0,123.4,150623,,,A*68\r\n";
    EXPECT_EQ(s.wnd.HandleSentence(nullptr, W(fast).c_str()), 1);
    EXPECT_EQ(s.wnd.m_ControlPanel.m_cfConsole.crTextColor, CONSOLE_GREEN);
    EXPECT_EQ(A(s.fix().szSpeed), "101 Km/hr");
}

TEST_F(RmcTest, TimeToFirstFixShownOnceAfterThreeSeconds) {
    NmeaState s;
    CBaseWnd& w = s.wnd;
    w.m_bFixTimeShown = FALSE;
    CopyText(w.m_szTitle, 64, TEXT("Trovix"));

    w.m_dwStartTick = GetTickCount() - 2500; // too early: nothing changes
    const DWORD early = w.m_dwStartTick;
    s.Rmc(kFix);
    EXPECT_EQ(A(w.m_szTitle), "Trovix");
    EXPECT_FALSE(w.m_bFixTimeShown);
    EXPECT_EQ(w.m_dwStartTick, early);

    w.m_dwStartTick = GetTickCount() - 3500;
    s.Rmc(kNoFix); // no fix: nothing changes
    EXPECT_EQ(A(w.m_szTitle), "Trovix");

    EXPECT_EQ(w.HandleSentence(nullptr, W(kFix).c_str()), 1);
    EXPECT_EQ(A(w.m_szTitle), "Trovix  3 Sec");
    EXPECT_TRUE(w.m_bFixTimeShown);
    EXPECT_EQ(w.m_dwStartTick, 0u);

    // The next line only stamps a new start and is not decoded.
    EXPECT_EQ(w.HandleSentence(nullptr, W(kNoFix).c_str()), 1);
    EXPECT_NE(w.m_dwStartTick, 0u);
    EXPECT_EQ(A(s.fix().szStatus), "3D");

    // Later fixes, however late, leave the title alone.
    w.m_dwStartTick = GetTickCount() - 10000;
    s.Gsa("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n");
    EXPECT_EQ(A(w.m_szTitle), "Trovix  3 Sec");
}

} // namespace
