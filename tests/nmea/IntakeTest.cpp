// Handling of one received line: checksum colour, receiver replies, the
// first-line and busy rules, dispatch, and a replay of real receiver logs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "NmeaTestUtil.h"
#include "link/CommandWriter.h"
#include "nmea/NmeaText.h"
#include "nmea/SentenceIntake.h"
#include "resource.h"

namespace {

const std::string kRmcFix =
    "$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*60\r\n";

TEST(ChecksumColorTest, ColoursEachLineShape) {
    struct Case {
        const char* name;
        std::string line;
        COLORREF color;
    };
    const Case cases[] = {
        {"correct", kRmcFix, CONSOLE_BLACK},
        {"correct GGA",
         "$GPGGA,081530.000,4807.0380,N,01131.5678,E,1,08,1.3,519.5,M,46.9,M,,*54\r\n",
         CONSOLE_BLACK},
        {"changed digit",
         "$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*61\r\n", CONSOLE_RED},
        {"lower-case hex", "$GPGSV,2,2,06,25,,,33,0,10,100,20*7a\r\n", CONSOLE_BLACK},
        {"LF only", "$GPGSV,1,1,00*79\n", CONSOLE_RED},
        {"no checksum", "$GPGSV,1,1,00\r\n", CONSOLE_RED},
        {"empty", "", CONSOLE_RED},
        {"four characters", "*00\n", CONSOLE_RED},
        {"star at index 0", "*00\r\n", CONSOLE_BLACK},
        {"star at index 0, digits not 0", "*01\r\n", CONSOLE_RED},
        {"star at index 1", "$*00\r\n", CONSOLE_BLACK},
        {"first character left out", "!A*41\r\n", CONSOLE_BLACK},
        {"low 8 bits of a widened byte", "$\x80*80\r\n", CONSOLE_BLACK},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChecksumColor(W(c.line).c_str()), c.color) << c.name;
}

TEST(ConsoleColorTest, SetsTheWholeFormatButSizeAndHeight) {
    CBackupDlg panel;
    panel.m_cfConsole.cbSize = sizeof(CHARFORMATW);
    panel.m_cfConsole.yHeight = 180;
    panel.m_cfConsole.dwEffects = CFE_BOLD | CFE_AUTOCOLOR;
    panel.m_cfConsole.yOffset = 5;
    panel.m_cfConsole.bCharSet = 2;
    panel.m_cfConsole.bPitchAndFamily = 3;
    panel.SetConsoleColor(CONSOLE_GREEN);

    const CHARFORMATW& cf = panel.m_cfConsole;
    EXPECT_EQ(cf.cbSize, sizeof(CHARFORMATW));
    EXPECT_EQ(cf.dwMask, 0xE0000007u);
    EXPECT_EQ(cf.dwEffects, 0u);
    EXPECT_EQ(cf.yHeight, 180);
    EXPECT_EQ(cf.yOffset, 0);
    EXPECT_EQ(cf.crTextColor, CONSOLE_GREEN);
    EXPECT_EQ(cf.bCharSet, 0);
    EXPECT_EQ(cf.bPitchAndFamily, 0);
    EXPECT_EQ(A(cf.szFaceName), "System");
}

TEST(ReplyTest, ExtractsVersionTexts) {
    struct Case {
        std::string line;
        int coreId; // result of the core version reply
        std::string coreText;
        int versionId; // result of the version reply
        std::string versionText;
    };
    const Case cases[] = {
        {"$PMTK705,ABC_1.2,0001\r\n", IDC_CORE_VERSION, "ABC_1.2", 0, ""},
        {"$PMTK705, ABC_1.2\r\n", IDC_CORE_VERSION, "ABC_1.2\\r\\n", 0, ""},
        {"$PXYZ,Version: XY-1.0\r\n", 0, "", IDC_CORE_VERSION, "XY-1.0\\r\\n"},
        {"$PXYZ,Version2:Z7*18\r\n", 0, "", IDC_FW_VERSION, "Z7"},
        {"Version 3.1*00\r\n", 0, "", IDC_CORE_VERSION, "3.1"},
        // Both replies: the version text is set last and wins.
        {"$PMTK705,Version:1.0*53\r\n", IDC_CORE_VERSION, "Version:1.0*53\\r\\n", IDC_CORE_VERSION,
         "1.0"},
        {"$PMTK705,x,y\r\n" + std::string(300, 'z'), IDC_CORE_VERSION, "x", 0, ""},
        {kRmcFix, 0, "", 0, ""},
    };
    for (const Case& c : cases) {
        std::u16string line = W(c.line).substr(0, LINE_COPY_CHARS - 1);
        WCHAR core[LINE_COPY_CHARS] = {}, version[LINE_COPY_CHARS] = {};
        EXPECT_EQ(CoreVersionReply(line.c_str(), core, LINE_COPY_CHARS), c.coreId) << c.line;
        EXPECT_EQ(VersionReply(line.c_str(), version, LINE_COPY_CHARS), c.versionId) << c.line;
        if (c.coreId) {
            EXPECT_EQ(A(core), c.coreText) << c.line;
        }
        if (c.versionId) {
            EXPECT_EQ(A(version), c.versionText) << c.line;
        }
    }
}

class IntakeTest : public testing::Test {
  protected:
    NmeaState s;
    int Handle(const std::string& line) { return s.wnd.HandleSentence(nullptr, W(line).c_str()); }
    COLORREF Color() const { return s.wnd.m_ControlPanel.m_cfConsole.crTextColor; }
};

TEST_F(IntakeTest, FirstLineStampsTheStartAndIsNotDecoded) {
    s.wnd.m_dwStartTick = 0;
    EXPECT_EQ(Handle(kRmcFix), 1);
    EXPECT_NE(s.wnd.m_dwStartTick, 0u);
    EXPECT_EQ(A(s.fix().szStatus), "");
    EXPECT_EQ(A(g_FieldStore.RmcFields[0]), "");
    EXPECT_EQ(Color(), CONSOLE_BLACK);

    EXPECT_EQ(Handle(kRmcFix), 1); // the next one is decoded
    EXPECT_EQ(A(s.fix().szStatus), "3D");
}

TEST_F(IntakeTest, BusyLineIsColouredButNotDecoded) {
    s.wnd.m_bBusy = TRUE;
    s.wnd.m_ControlPanel.m_cfConsole.crTextColor = CONSOLE_BLACK;
    EXPECT_EQ(Handle("$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*61\r\n"),
              0);
    EXPECT_EQ(Color(), CONSOLE_RED);
    EXPECT_EQ(A(s.fix().szStatus), "");
    EXPECT_TRUE(s.wnd.m_bBusy);
}

TEST_F(IntakeTest, DispatchesByTheFirstSentenceTypeFound) {
    struct Case {
        std::string line;
        COLORREF color;
        const char* rmc0; // field 0 of each table afterwards
        const char* gsa0;
        const char* gsv0;
    };
    const Case cases[] = {
        {"$GPGGA,081530.000,4807.0380,N,01131.5678,E,1,08,1.3,519.5,M,46.9,M,,*54\r\n",
         CONSOLE_BLACK, "", "", ""},
        // A wrong checksum does not keep a line from being decoded.
        {"$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*61\r\n", CONSOLE_RED,
         "$GPRMC", "", ""},
        {"$GPGSV,RMC,GSA\r\n", CONSOLE_RED, "$GPGSV", "", ""},
        {"$GNGSV,GSA\r\n", CONSOLE_RED, "", "$GNGSV", ""},
        {"$GLGSV,1,1,00*65\r\n", CONSOLE_BLACK, "", "", "$GLGSV"},
    };
    for (const Case& c : cases) {
        g_FieldStore = FieldStore{};
        EXPECT_EQ(Handle(c.line), 1) << c.line;
        EXPECT_EQ(Color(), c.color) << c.line;
        EXPECT_EQ(A(g_FieldStore.RmcFields[0]), c.rmc0) << c.line;
        EXPECT_EQ(A(g_FieldStore.GsaFields[0]), c.gsa0) << c.line;
        EXPECT_EQ(A(g_FieldStore.GsvFields[0]), c.gsv0) << c.line;
        EXPECT_FALSE(g_FieldStore.bRepaintPending) << "consumed by the same line";
        EXPECT_FALSE(s.wnd.m_bBusy);
    }
}

TEST_F(IntakeTest, AnyLineClearsAPendingReset) {
    g_bResetPending = TRUE;
    EXPECT_EQ(Handle("junk\n"), 1);
    EXPECT_FALSE(g_bResetPending);
}

TEST_F(IntakeTest, LongLineIsCutToTheCopy) {
    // 300 characters with a correct checksum: the copy holds 255 of them, so
    // the checksum is no longer at its place.
    const std::string body = "$GPTXT," + std::string(285, 'A');
    EXPECT_EQ(ChecksumColor(W(Nmea(body)).c_str()), CONSOLE_BLACK);
    EXPECT_EQ(Handle(Nmea(body)), 1);
    EXPECT_EQ(Color(), CONSOLE_RED);

    // A GSV of 300 characters is split within the copy and the table.
    std::string gsv = "$GPGSV,1,1,99";
    while (gsv.size() < 300)
        gsv += ",33,45,120,40";
    EXPECT_EQ(Handle(Nmea(gsv)), 1);
    EXPECT_TRUE(s.sats()[33].bInView);
}

// Every captured log, cut into lines as the link reader cuts them (up to and
// including LF, at most 511 characters, bytes widened by sign extension).
TEST_F(IntakeTest, ReplaysEveryReceiverLog) {
    namespace fs = std::filesystem;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(STARVANE_SHARED_DIR "/nmea-logs")) {
        if (!entry.is_regular_file()) continue;
        files++;
        NmeaState state;
        state.wnd.m_dwStartTick = 0;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::u16string line;
        auto deliver = [&] {
            ASSERT_EQ(state.wnd.HandleSentence(nullptr, line.c_str()), 1)
                << entry.path() << ": " << A(line);
            line.clear();
        };
        for (char b : bytes) {
            line += (char16_t)(WCHAR)(signed char)b;
            if (b == '\n' || line.size() == 511) deliver();
        }
        if (!line.empty()) deliver();
    }
    EXPECT_GT(files, 0);
}

} // namespace
