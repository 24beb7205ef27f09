// Replay files: chosen through the open-file dialog (answered by the test
// hook), played back as fast as the main window takes the lines.
#include "LinkFixture.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>

using namespace linktest;

namespace {

int64_t cpuMs() {
    rusage r = {};
    getrusage(RUSAGE_SELF, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000 +
           (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000;
}

class ReplayTest : public LinkTest {
  protected:
    std::string writeReplay(const std::string& name, const std::string& bytes) {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    void chooseReplay(const std::string& path) {
        winapi::setFileDialogAnswer(path);
        selectItem(u"Log File:");
    }
};

} // namespace

TEST_F(ReplayTest, PlaysTheFileAndStaysOpenAtItsEnd) {
    // No COM port at all: a replay opens all the same.
    enumerate();
    g_nPortCount = 0;
    const std::string bytes = "$GPGGA,1*00\r\n\n$GPRMC,\xB0*00\r\n$GPGSV,no line feed";
    const std::string path = writeReplay("drive.pgl", bytes);
    chmod(path.c_str(), 0444); // a read-only file opens
    chooseReplay(path);
    ASSERT_EQ(wnd_.ToggleLink(hMain_), 1);
    EXPECT_EQ(wnd_.m_ControlPanel.m_bLinkOpen, 1);
    EXPECT_EQ(title(), u"Trovix");

    const winapi::FileDialogRequest asked = winapi::lastFileDialogRequest();
    EXPECT_EQ(asked.title, "WAVE Files");
    EXPECT_EQ(asked.filters, "Log Files(*.pgl) (*.pgl)");
    EXPECT_TRUE(asked.mustExist);

    ASSERT_TRUE(waitForLines(3));
    // At the end of the file the reader polls with pauses, and the link stays open.
    const int64_t cpuBefore = cpuMs();
    testsupport::pumpMessages(300);
    EXPECT_LT(cpuMs() - cpuBefore, 150) << "CPU ms used in 300 ms at the end of a replay";
    const std::vector<std::u16string> expected = {u"$GPGGA,1*00\r\n", u"\n",
                                                  u"$GPRMC,\uFFB0*00\r\n"};
    EXPECT_EQ(lines_, expected); // the last line has no line feed and never comes
    EXPECT_NE(g_hPort, INVALID_HANDLE_VALUE);

    // A replay file is read-only: a command writes nothing into it.
    EXPECT_EQ(WriteSentence(u"$PMTK605*31"), 1);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);

    EXPECT_EQ(wnd_.ToggleLink(hMain_), 1);
    EXPECT_EQ(g_hPort, INVALID_HANDLE_VALUE);
}

TEST_F(ReplayTest, ClosingDuringAReplayHandlesAtMostOneMoreLine) {
    std::string many;
    for (int i = 0; i < 50000; i++)
        many += "$GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n";
    chooseReplay(writeReplay("long.pgl", many));
    ASSERT_EQ(wnd_.ToggleLink(hMain_), 1);
    ASSERT_TRUE(waitForLines(200));

    const int64_t start = nowMs();
    ASSERT_EQ(wnd_.ToggleLink(hMain_), 1);
    const int64_t took = nowMs() - start;
    const size_t handledAtClose = lines_.size();
    testsupport::pumpMessages(300);
    EXPECT_LE(lines_.size(), handledAtClose + 1);
    EXPECT_GE(took, 200); // the two pauses of 100 ms
    EXPECT_LT(took, 5000);
    std::printf("[ measure  ] close during a replay took %lld ms\n", static_cast<long long>(took));
}

TEST_F(ReplayTest, RefusedReplays) {
    enumerate();
    // Cancelled dialog: nothing opens, but the display was cleared for it.
    chooseReplay("");
    SetWindowTextW(hMain_, u"Starvane");
    EXPECT_EQ(wnd_.ToggleLink(hMain_), 0);
    EXPECT_EQ(title(), u"Trovix");
    EXPECT_EQ(wnd_.m_ControlPanel.m_bLinkOpen, 0);

    // A path longer than the link name buffer holds (127 characters).
    std::string deep = dir_ + "/" + std::string(140 - dir_.size(), 'd');
    std::filesystem::create_directories(deep);
    chooseReplay(writeReplay(deep.substr(dir_.size() + 1) + "/x.pgl", "$GPGGA,1*00\r\n"));
    EXPECT_EQ(wnd_.ToggleLink(hMain_), 0);

    // A missing file, and one held open by another program (exclusive open).
    chooseReplay(dir_ + "/missing.pgl");
    EXPECT_EQ(wnd_.ToggleLink(hMain_), 0);
    std::string held = writeReplay("held.pgl", "$GPGGA,1*00\r\n");
    std::u16string heldZ = u"Z:" + W(held);
    std::replace(heldZ.begin(), heldZ.end(), u'/', u'\\');
    HANDLE other = CreateFileW(heldZ.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    chooseReplay(held);
    EXPECT_EQ(wnd_.ToggleLink(hMain_), 0);
    CloseHandle(other);
    EXPECT_EQ(g_hPort, INVALID_HANDLE_VALUE);
}
