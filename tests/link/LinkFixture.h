// A link bench: pseudo-terminals registered as virtual ports in a private
// runtime folder, a stand-in main window that records every delivered line,
// and a control panel of real controls with the ids the link reads.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "TestSupport.h"
#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "core/Window.h"
#include "devices/DeviceList.h"
#include "kernel/FileDialog.h"
#include "link/CommandWriter.h"
#include "link/Link.h"
#include "link/PortDiscovery.h"
#include "res/Resources.h"
#include "resource.h"

namespace linktest {

inline std::u16string W(const std::string& s) {
    std::u16string w;
    for (unsigned char c : s)
        w += static_cast<char16_t>(c);
    return w;
}
inline std::string A(const std::u16string& w) {
    std::string s;
    for (char16_t c : w)
        s += static_cast<char>(c & 0xFF);
    return s;
}

inline int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Pumps the UI thread's messages until `done` holds or `ms` have passed.
inline bool pumpUntil(const std::function<bool()>& done, int ms = 3000) {
    const int64_t end = nowMs() + ms;
    while (!done()) {
        if (nowMs() > end) return false;
        testsupport::pumpMessages(10);
    }
    return true;
}

// The receiver's side of a port: the master of a pseudo-terminal pair.
struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~Pty() { closeMaster(); }
    void closeMaster() {
        if (master >= 0) close(master);
        master = -1;
    }
    void send(const std::string& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0) << errno;
            done += static_cast<size_t>(n);
        }
    }
    // What the link wrote, once `n` bytes have come (or after 2 s).
    std::string receive(size_t n) const {
        std::string got;
        const int64_t end = nowMs() + 2000;
        while (got.size() < n && nowMs() < end) {
            pollfd p = {master, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char buf[4096];
            ssize_t r = read(master, buf, std::min(sizeof buf, n - got.size()));
            if (r > 0) got.append(buf, static_cast<size_t>(r));
        }
        return got;
    }
    // Whatever the link wrote that is still waiting.
    std::string drain() const {
        std::string got;
        pollfd p = {master, POLLIN, 0};
        char buf[4096];
        while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            ssize_t r = read(master, buf, sizeof buf);
            if (r <= 0) break;
            got.append(buf, static_cast<size_t>(r));
        }
        return got;
    }
};

class LinkTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/link-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        saveEnv("XDG_RUNTIME_DIR", dir_ + "/run");
        saveEnv("XDG_CONFIG_HOME", dir_ + "/config");
        std::filesystem::create_directories(winapi::virtualPortFolder());

        g_hInstance = winapi::mainInstance();
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = RecorderProc;
            wc.lpszClassName = u"LinkTestMain";
            RegisterClassExW(&wc);
            registered = true;
        }
        current_ = this;
        hMain_ = CreateWindowExW(0, u"LinkTestMain", u"Starvane", WS_OVERLAPPED | WS_CAPTION, 0, 0,
                                 300, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hMain_, nullptr);
        hPanel_ = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(hPanel_, nullptr);
        child(u"COMBOBOX", IDC_PORT, CBS_DROPDOWN | WS_VSCROLL);
        child(u"COMBOBOX", IDC_BAUD, CBS_DROPDOWN | WS_VSCROLL);
        child(u"BUTTON", IDC_START, BS_PUSHBUTTON);
        child(u"BUTTON", IDC_COLD_START, BS_PUSHBUTTON);
        child(u"BUTTON", IDC_FACTORY_RESET, BS_PUSHBUTTON);
        child(u"EDIT", IDC_CORE_VERSION, ES_AUTOHSCROLL);
        child(u"EDIT", IDC_FW_VERSION, ES_AUTOHSCROLL);
        child(u"BUTTON", IDC_WAAS, BS_AUTOCHECKBOX);
        child(u"EDIT", IDC_COMMAND, ES_AUTOHSCROLL);
        hConsole_ = child(u"RICHEDIT", 0, ES_MULTILINE | ES_READONLY | WS_VSCROLL);
        wnd_.m_hWnd = hMain_;
        wnd_.m_ControlPanel.m_hWnd = hPanel_;
        wnd_.m_ControlPanel.m_hConsole = hConsole_;
        wnd_.m_ControlPanel.m_cfConsole.cbSize = sizeof(CHARFORMATW);
        SendMessageW(hConsole_, EM_GETCHARFORMAT, SCF_SELECTION,
                     reinterpret_cast<LPARAM>(&wnd_.m_ControlPanel.m_cfConsole));
        for (const char16_t* rate : {u"1200", u"2400", u"4800", u"9600", u"14400", u"19200",
                                     u"38400", u"57600", u"115200"})
            SendMessageW(item(IDC_BAUD), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rate));
        SendMessageW(item(IDC_BAUD), CB_SETCURSEL, 2, 0);
        // The UI thread has run its message loop before any reader starts, as
        // in the program (its queue then knows that it waits in Qt's loop).
        testsupport::pumpMessages();
    }

    void TearDown() override {
        if (g_hPort != INVALID_HANDLE_VALUE) CloseLink();
        // A reader that was handing over its last line finishes now.
        testsupport::pumpMessages(150);
        winapi::setFileDialogAnswer(std::nullopt);
        g_nPortCount = 0;
        g_bResetPending = 0;
        DestroyWindow(hPanel_);
        DestroyWindow(hMain_);
        current_ = nullptr;
        for (auto& [name, value] : savedEnv_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    HWND child(const char16_t* cls, int id, DWORD style) {
        return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 20, hPanel_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    HWND item(int id) const { return GetDlgItem(hPanel_, id); }

    // A pseudo-terminal registered as the virtual port `name`.
    Pty& addPort(const std::string& name) {
        ptys_.push_back(std::make_unique<Pty>());
        Pty& pty = *ptys_.back();
        EXPECT_FALSE(pty.slave.empty());
        EXPECT_EQ(symlink(pty.slave.c_str(), (winapi::virtualPortFolder() + "/" + name).c_str()),
                  0);
        return pty;
    }
    // Fills the port list the way the control panel does at start.
    void enumerate() {
        SendMessageW(item(IDC_PORT), CB_RESETCONTENT, 0, 0);
        EnumeratePorts(hPanel_);
    }
    std::vector<std::u16string> portItems() const {
        std::vector<std::u16string> items;
        LRESULT n = SendMessageW(item(IDC_PORT), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; i++) {
            WCHAR buf[256] = {};
            SendMessageW(item(IDC_PORT), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
            items.emplace_back(buf);
        }
        return items;
    }
    // Selects the port list item that names the pseudo-terminal's device.
    void selectPort(const Pty& pty) {
        auto items = portItems();
        for (size_t i = 0; i < items.size(); i++)
            if (A(items[i]).find(pty.slave + " (COM") != std::string::npos) {
                SendMessageW(item(IDC_PORT), CB_SETCURSEL, i, 0);
                return;
            }
        ADD_FAILURE() << "no port item for " << pty.slave;
    }
    // The selected item's text, as the link reads it.
    std::u16string selectedPortText() const {
        WCHAR buf[256] = {};
        LRESULT i = SendMessageW(item(IDC_PORT), CB_GETCURSEL, 0, 0);
        SendMessageW(item(IDC_PORT), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    void selectItem(const char16_t* text) {
        auto items = portItems();
        auto at = std::find(items.begin(), items.end(), std::u16string(text));
        LRESULT i = at != items.end() ? at - items.begin()
                                      : SendMessageW(item(IDC_PORT), CB_ADDSTRING, 0,
                                                     reinterpret_cast<LPARAM>(text));
        SendMessageW(item(IDC_PORT), CB_SETCURSEL, i, 0);
    }
    // Opens the port's link straight away (owner: the stand-in main window).
    int openPort(const Pty& pty, int baudIndex = 8) {
        selectPort(pty);
        std::u16string text = selectedPortText();
        return OpenLink(hMain_, text.data(), baudIndex);
    }

    std::u16string title() const {
        WCHAR buf[128] = {};
        GetWindowTextW(hMain_, buf, 128);
        return buf;
    }
    std::u16string consoleText() const {
        WCHAR buf[4096] = {};
        GetWindowTextW(hConsole_, buf, 4096);
        return buf;
    }
    bool waitForLines(size_t n, int ms = 3000) {
        return pumpUntil([&] { return lines_.size() >= n; }, ms);
    }

    std::string dir_;
    CBaseWnd wnd_;
    HWND hMain_ = nullptr;
    HWND hPanel_ = nullptr;
    HWND hConsole_ = nullptr;
    std::vector<std::unique_ptr<Pty>> ptys_;
    // Every line delivered to the main window, in order.
    std::vector<std::u16string> lines_;
    // When set, delivered lines also go through the program's sentence intake.
    bool intake_ = false;

  private:
    void saveEnv(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        savedEnv_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }

    static LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WMU_SENTENCE && current_ && hwnd == current_->hMain_) {
            LPCWSTR line = reinterpret_cast<LPCWSTR>(wParam);
            current_->lines_.emplace_back(line);
            if (current_->intake_) return current_->wnd_.HandleSentence(hwnd, line);
            return 1;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    static inline LinkTest* current_ = nullptr;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

} // namespace linktest
