// Opening and closing the link, and the lines the reader hands to the main
// window, over pseudo-terminals registered as virtual ports.
#include "LineSpeed.h"
#include "LinkFixture.h"

#include <sys/resource.h>
#include <termios.h>

#include <fstream>

using namespace linktest;

namespace {

// CPU time this process used, in milliseconds.
int64_t cpuMs() {
    rusage r = {};
    getrusage(RUSAGE_SELF, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000 +
           (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000;
}

} // namespace

TEST_F(LinkTest, OpensAtEachBaudRateAsRawEightNoneOne) {
    Pty& pty = addPort("Bench Receiver");
    enumerate();
    for (int index = 0; index < 9; index++) {
        // Each open drops the link opened before it.
        ASSERT_EQ(openPort(pty, index), 1) << index;
        ASSERT_NE(g_hPort, INVALID_HANDLE_VALUE);
        EXPECT_EQ(lineSpeed(pty.master), g_BaudRates[index]);
        termios t = {};
        ASSERT_EQ(tcgetattr(pty.master, &t), 0); // the master reads the slave's settings
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8)) << index;
        EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u) << index;
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | ICRNL), 0u) << index;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u) << index;
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        ASSERT_TRUE(GetCommState(g_hPort, &dcb));
        EXPECT_EQ(dcb.fAbortOnError, 1u);
        EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
        EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
        COMMTIMEOUTS to = {};
        ASSERT_TRUE(GetCommTimeouts(g_hPort, &to));
        EXPECT_EQ(to.ReadIntervalTimeout, MAXDWORD);
        EXPECT_EQ(to.ReadTotalTimeoutMultiplier, MAXDWORD);
        EXPECT_EQ(to.ReadTotalTimeoutConstant, 100u);
        EXPECT_EQ(to.WriteTotalTimeoutMultiplier, MAXDWORD);
        EXPECT_EQ(to.WriteTotalTimeoutConstant, 100u);
    }
}

TEST_F(LinkTest, ToggleOpensTheSelectedPortAndClosesIt) {
    Pty& pty = addPort("Bench Receiver");
    enumerate();
    selectPort(pty);
    SendMessageW(item(IDC_BAUD), CB_SETCURSEL, 3, 0);
    wnd_.m_dwStartTick = 1234;
    wnd_.m_bFixTimeShown = 1;
    wnd_.m_DisplayPanel.m_FixText.szSpeed[0] = 'X';

    ASSERT_EQ(wnd_.ToggleLink(hMain_), 1);
    EXPECT_NE(g_hPort, INVALID_HANDLE_VALUE);
    EXPECT_EQ(wnd_.m_ControlPanel.m_bLinkOpen, 1);
    EXPECT_EQ(title(), u"Trovix");
    EXPECT_EQ(wnd_.m_dwStartTick, 0u);
    EXPECT_EQ(wnd_.m_bFixTimeShown, 0);
    EXPECT_EQ(wnd_.m_DisplayPanel.m_FixText.szSpeed[0], 0);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_START)));
    EXPECT_EQ(lineSpeed(pty.master), 9600u);

    pty.send("$GPGGA,1*00\r\n");
    ASSERT_TRUE(waitForLines(1));
    EXPECT_EQ(lines_[0], u"$GPGGA,1*00\r\n");

    ASSERT_EQ(wnd_.ToggleLink(hMain_), 1);
    EXPECT_EQ(g_hPort, INVALID_HANDLE_VALUE);
    EXPECT_EQ(wnd_.m_ControlPanel.m_bLinkOpen, 0);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_START)));
    // Closed means closed: the port can be opened again at once.
    EXPECT_EQ(openPort(pty), 1);
}

TEST_F(LinkTest, ReaderCutsTheStreamIntoLines) {
    Pty& pty = addPort("Bench Receiver");
    enumerate();
    ASSERT_EQ(openPort(pty), 1);
    const std::string max510(510, 'A');
    const std::string over511(511, 'B');
    pty.send("$GPGGA,1*00\r\n"          // CR LF stays in the line
             "\n"                       // a lone line feed is a line
             + max510 + "\n"            // 510 characters and LF: delivered whole
             + over511 + "X" + "tail\n" // 511 without LF: dropped with the next byte
             + "deg \xB0 \x7F\n");      // bytes widened by sign extension
    ASSERT_TRUE(waitForLines(5));
    testsupport::pumpMessages(50);
    const std::vector<std::u16string> expected = {u"$GPGGA,1*00\r\n", u"\n", W(max510) + u"\n",
                                                  u"tail\n", u"deg \uFFB0 \u007F\n"};
    EXPECT_EQ(lines_, expected);

    // 150 ms of silence inside a sentence drops its first part.
    lines_.clear();
    pty.send("$GPRMC,first");
    Sleep(150);
    pty.send("second*00\r\n");
    ASSERT_TRUE(waitForLines(1));
    testsupport::pumpMessages(50);
    EXPECT_EQ(lines_, std::vector<std::u16string>{u"second*00\r\n"});
}

TEST_F(LinkTest, RefusedOpensLeaveTheLinkClosed) {
    Pty& pty = addPort("Bench Receiver");
    enumerate();

    // A port held open elsewhere (share mode 0 is exclusive).
    selectPort(pty);
    std::u16string text = selectedPortText();
    std::u16string com = text.substr(text.find(u"(COM") + 1);
    com.pop_back();
    HANDLE other = CreateFileW((u"\\\\.\\" + com).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(wnd_.ToggleLink(hMain_), 0);
    EXPECT_EQ(title(), u"Trovix"); // the display was cleared for the attempt
    CloseHandle(other);

    const std::u16string longName(130, u'x');
    struct Case {
        const char* what;
        std::u16string item;
        int baudIndex;
    } cases[] = {
        {"'(COM' without ')'", u"Broken Port (COM7", 2},
        {"':' before '(COM'", u"Dev: Port (COM7)", 2},
        {"link name over 127 characters", longName, 2},
        {"no baud selection", text, -1},
    };
    for (const Case& c : cases) {
        selectItem(c.item.c_str());
        SendMessageW(item(IDC_BAUD), CB_SETCURSEL, static_cast<WPARAM>(c.baudIndex), 0);
        EXPECT_EQ(wnd_.ToggleLink(hMain_), 0) << c.what;
        EXPECT_EQ(g_hPort, INVALID_HANDLE_VALUE) << c.what;
        EXPECT_EQ(wnd_.m_ControlPanel.m_bLinkOpen, 0) << c.what;
        EXPECT_TRUE(IsWindowEnabled(item(IDC_START))) << c.what;
    }

    // No port selection at all.
    SendMessageW(item(IDC_BAUD), CB_SETCURSEL, 2, 0);
    SendMessageW(item(IDC_PORT), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(wnd_.ToggleLink(hMain_), 0);

    // A baud index outside the table never opens a port.
    std::u16string copy = text;
    EXPECT_EQ(OpenLink(hMain_, copy.data(), 9), 0);
    copy = text;
    EXPECT_EQ(OpenLink(hMain_, copy.data(), -1), 0);
    EXPECT_EQ(g_hPort, INVALID_HANDLE_VALUE);

    // Without any COM port found, a port item is refused before anything changes.
    SetWindowTextW(hMain_, u"Starvane");
    g_nPortCount = 0;
    selectPort(pty);
    EXPECT_EQ(wnd_.ToggleLink(hMain_), 0);
    EXPECT_EQ(title(), u"Starvane");
}

TEST_F(LinkTest, AnUnpluggedPortKeepsTheLinkOpenUntilClosed) {
    Pty& pty = addPort("Bench Receiver");
    enumerate();
    ASSERT_EQ(openPort(pty), 1);
    pty.send("$GPGGA,1*00\r\n$GPGSA,2");
    ASSERT_TRUE(waitForLines(1));
    pty.closeMaster(); // the device is gone: every read fails

    const int64_t cpuBefore = cpuMs();
    testsupport::pumpMessages(300); // the UI stays responsive
    const int64_t cpuUsed = cpuMs() - cpuBefore;
    EXPECT_NE(g_hPort, INVALID_HANDLE_VALUE);
    EXPECT_EQ(lines_.size(), 1u); // the half line was dropped
    // Failing reads pause between tries instead of spinning a core.
    EXPECT_LT(cpuUsed, 150) << "CPU ms used in 300 ms of failing reads";
    EXPECT_EQ(wnd_.ToggleLink(hMain_), 1);
    EXPECT_EQ(g_hPort, INVALID_HANDLE_VALUE);
}
