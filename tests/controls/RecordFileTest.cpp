// The record file and auto-send, driven through the panel of a real main
// window: the operator names the file, checks Log File, lines arrive.
//
// The record file lies in the program's folder; the tests reach a temporary
// folder from there with a relative name ("..\..\tmp\x\name"), as an operator
// could type it.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "res/Resources.h"
#include "resource.h"
#include "ui/control/RecordFile.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <unistd.h>

using namespace controlstest;
using testsupport::pumpMessages;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The UTF-16LE bytes of ASCII text.
std::string utf16le(const std::string& s) {
    std::string out;
    for (char c : s) {
        out += c;
        out += '\0';
    }
    return out;
}

const std::string kBom = "\xFF\xFE";

class RecordFileTest : public testing::Test {
  protected:
    CBaseWnd wnd;
    HWND main = nullptr;
    fs::path tmp;
    fs::path programFolder;

    void SetUp() override {
        char pattern[] = "/tmp/ctl-rec-XXXXXX";
        tmp = mkdtemp(pattern);
        programFolder = fs::read_symlink("/proc/self/exe").parent_path();
        g_hInstance = winapi::mainInstance();
        static int n = 0;
        std::u16string cls = u"RecordTestMain" + testsupport::u16(std::to_string(++n).c_str());
        wnd.RegisterWndClass(g_hInstance, cls.c_str());
        main = CreateWindowExW(0, cls.c_str(), u"Starvane", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                               CW_USEDEFAULT, CW_USEDEFAULT, 580, 600, nullptr, nullptr,
                               g_hInstance, &wnd);
        ASSERT_NE(main, nullptr);
        wnd.m_ControlPanel.m_hMainWnd = main;
        ShowWindow(main, SW_SHOW);
        pumpMessages();
    }
    void TearDown() override {
        DestroyWindow(main); // closes an open record file
        testsupport::runUntilQuit();
        fs::remove_all(tmp);
    }

    HWND item(int id) { return GetDlgItem(wnd.m_ControlPanel.m_hWnd, id); }
    bool checked(int id) { return SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::u16string console() { return text(wnd.m_ControlPanel.m_hConsole); }

    // The record name that leads from the program's folder to `dir`/`stem`.
    std::string nameFor(const fs::path& dir, const std::string& stem) {
        std::string up;
        for (auto it = programFolder.begin(); it != programFolder.end(); ++it)
            if (it->string() != "/") up += "..\\";
        std::string rel = (dir / stem).relative_path().string();
        for (char& c : rel)
            if (c == '/') c = '\\';
        return up + rel;
    }
    void setName(const std::string& name) {
        SetWindowTextW(item(IDC_LOG_NAME), testsupport::u16(name.c_str()).c_str());
    }
    void clickLogFile() {
        click(item(IDC_LOG_FILE));
        pumpMessages();
    }
    void sendLine(const std::string& line) {
        std::u16string w(line.begin(), line.end());
        SendMessageW(main, WMU_SENTENCE, reinterpret_cast<WPARAM>(w.c_str()), 0);
    }
    void expectNotRecording() {
        EXPECT_EQ(g_bRecording, 0);
        EXPECT_EQ(g_hRecordFile, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(checked(IDC_LOG_FILE));
        EXPECT_TRUE(IsWindowEnabled(item(IDC_LOG_NAME)));
        EXPECT_TRUE(IsWindowEnabled(item(IDC_LOG_FILE)));
    }
};

} // namespace

TEST_F(RecordFileTest, RecordsEveryLineAsReceivedAndIsReadableWhileItGrows) {
    type(item(IDC_LOG_NAME), nameFor(tmp, "bench"));
    const fs::path file = tmp / "bench_log.txt";
    clickLogFile();
    ASSERT_EQ(g_bRecording, 1);
    ASSERT_NE(g_hRecordFile, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(checked(IDC_LOG_FILE));
    EXPECT_FALSE(IsWindowEnabled(item(IDC_LOG_NAME)));
    EXPECT_FALSE(IsWindowEnabled(item(IDC_SNR_OFFSET)));
    EXPECT_EQ(readAll(file), kBom);

    const std::string lines[] = {
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48\r\n", // bad checksum
        "not nmea at all\n",
    };
    std::string expected = kBom;
    for (const std::string& line : lines) {
        sendLine(line);
        expected += utf16le(line);
        EXPECT_EQ(readAll(file), expected); // a reader sees each line at once
    }

    clickLogFile(); // stop
    EXPECT_EQ(g_bRecording, 0);
    EXPECT_EQ(g_hRecordFile, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_LOG_NAME)));
    EXPECT_TRUE(IsWindowEnabled(item(IDC_SNR_OFFSET)));
    sendLine("$GPGSA,after stop*00\r\n");
    EXPECT_EQ(readAll(file), expected);

    // Starting again replaces the content.
    clickLogFile();
    EXPECT_EQ(readAll(file), kBom);
    clickLogFile();
}

TEST_F(RecordFileTest, EmptyNameGivesLogTxtInTheProgramFolder) {
    const fs::path file = programFolder / "_log.txt";
    fs::remove(file);
    clickLogFile();
    EXPECT_EQ(g_bRecording, 1);
    EXPECT_TRUE(fs::exists(file));
    clickLogFile();
    EXPECT_EQ(readAll(file), kBom);
    fs::remove(file);
}

TEST_F(RecordFileTest, StopWithNoFileOpenChangesNothing) {
    EnableWindow(item(IDC_SNR_OFFSET), FALSE);
    PostMessageW(main, WMU_RECORD_STOP, 0, 0);
    pumpMessages();
    EXPECT_FALSE(IsWindowEnabled(item(IDC_SNR_OFFSET))); // as the template has it
    EXPECT_EQ(g_hRecordFile, INVALID_HANDLE_VALUE);
}

TEST_F(RecordFileTest, FailingStartReportsAndLeavesTheControlsReadyForAnotherTry) {
    fs::create_directory(tmp / "dir_log.txt");
    fs::create_symlink("/dev/full", tmp / "full_log.txt"); // opens, but nothing can be written
    const std::string cases[] = {
        nameFor(tmp / "missing" / "folder", "x"), nameFor(tmp, "dir"), nameFor(tmp, "full"),
        nameFor(tmp, std::string(250, 'n')), // the path would not fit 260 characters
    };
    for (const std::string& name : cases) {
        setName(name);
        SetWindowTextW(wnd.m_ControlPanel.m_hConsole, u"");
        clickLogFile();
        EXPECT_EQ(console(), u"Log File ERROR!!") << name;
        expectNotRecording();
        sendLine("$GPGGA,x*00\r\n"); // handled as ever, recorded nowhere
    }
    // The operator picks another name and tries again.
    setName(nameFor(tmp, "good"));
    clickLogFile();
    EXPECT_EQ(g_bRecording, 1);
    EXPECT_TRUE(checked(IDC_LOG_FILE));
    sendLine("$GPGGA,y*00\r\n");
    EXPECT_EQ(readAll(tmp / "good_log.txt"), kBom + utf16le("$GPGGA,y*00\r\n"));
    clickLogFile();
}

TEST_F(RecordFileTest, FailedWriteStopsRecordingAndKeepsWhatWasWritten) {
    setName(nameFor(tmp, "disk"));
    SendMessageW(item(IDC_SNR_OFFSET), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"-3"));
    clickLogFile();
    ASSERT_EQ(g_bRecording, 1);
    EXPECT_EQ(g_nSnrOffset, -3);

    // A full disk, as a file size limit just past the first line: the second
    // line is cut short, the third cannot be written at all.
    const std::string first = "$GPGGA,first*00\r\n";
    const std::string second = "$GPGGA,second*00\r\n";
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = kBom.size() + utf16le(first).size() + 6;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::u16string w1(first.begin(), first.end()), w2(second.begin(), second.end());
    wnd.RecordLine(w1.c_str(), static_cast<int>(w1.size()));
    EXPECT_EQ(g_bRecording, 1);
    wnd.RecordLine(w2.c_str(), static_cast<int>(w2.size()));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    expectNotRecording();
    EXPECT_TRUE(IsWindowEnabled(item(IDC_SNR_OFFSET)));
    EXPECT_EQ(console(), u"Log File ERROR!!");
    std::string content = readAll(tmp / "disk_log.txt");
    EXPECT_EQ(content.substr(0, kBom.size() + utf16le(first).size()), kBom + utf16le(first));
    // Nothing more is attempted, and a new start works.
    wnd.RecordLine(w1.c_str(), static_cast<int>(w1.size()));
    EXPECT_EQ(readAll(tmp / "disk_log.txt"), content);
    clickLogFile();
    EXPECT_EQ(g_bRecording, 1);
    clickLogFile();
}

TEST_F(RecordFileTest, AutoSendRunsOnlyWithAUsableInterval) {
    struct Case {
        const char16_t* interval;
        bool starts;
    } cases[] = {
        {u"5", true},        {u" 12abc", true},       {u"0", false},
        {u"", false},        {u"abc", false},         {u"-5", false},
        {u"2147483", true},  {u"2147484", false}, // past the longest period
        {u"4294968", false}, {u"99999999999", false},
    };
    for (const Case& c : cases) {
        SetWindowTextW(item(IDC_AUTO_INTERVAL), c.interval);
        SendMessageW(item(IDC_AUTO), BM_CLICK, 0, 0);
        pumpMessages();
        EXPECT_EQ(checked(IDC_AUTO), c.starts) << testsupport::utf8(c.interval);
        // KillTimer succeeds only for a running timer.
        EXPECT_EQ(KillTimer(main, TIMER_AUTO_SEND) != FALSE, c.starts)
            << testsupport::utf8(c.interval);
        if (c.starts) {
            SetTimer(main, TIMER_AUTO_SEND, 100000, nullptr);
            SendMessageW(item(IDC_AUTO), BM_CLICK, 0, 0); // unchecking stops it
            pumpMessages();
            EXPECT_FALSE(KillTimer(main, TIMER_AUTO_SEND));
        }
    }
}
