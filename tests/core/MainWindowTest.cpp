// The main window, its panels and the About box as the system builds them.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/About.h"
#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "core/Window.h"
#include "res/Resources.h"
#include "resource.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <atomic>
#include <thread>

using testsupport::pumpMessages;

namespace {

struct DialogProbe : CWnd {
    std::vector<UINT> seen;
    HWND hwndAtInit = nullptr;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message == WM_INITDIALOG) {
            hwndAtInit = m_hWnd;
            return TRUE;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

RECT windowRect(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return rc;
}

// Creates the main window of a CBaseWnd with an outer height of its own, as
// CBaseWnd::Create does for 600.
HWND createMain(CBaseWnd& wnd, int outerHeight) {
    g_hInstance = winapi::mainInstance();
    static int n = 0;
    std::u16string cls = u"StarvaneTest" + testsupport::u16(std::to_string(++n).c_str());
    wnd.RegisterWndClass(g_hInstance, cls.c_str());
    HWND hwnd = CreateWindowExW(0, cls.c_str(), u"Starvane", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 580, outerHeight, nullptr, nullptr,
                                g_hInstance, &wnd);
    wnd.m_ControlPanel.m_hMainWnd = hwnd;
    return hwnd;
}

} // namespace

TEST(MainWindow, CreatesFixedFrameWithTitleMenuAndPanels) {
    CBaseWnd wnd;
    ASSERT_EQ(wnd.Create(winapi::mainInstance(), SW_SHOW), 1);
    HWND hwnd = wnd.m_hWnd;
    WCHAR title[64];
    GetWindowTextW(hwnd, title, 64);
    EXPECT_EQ(std::u16string(title), u"Starvane");
    RECT outer = windowRect(hwnd);
    EXPECT_EQ(outer.right - outer.left, 580);
    EXPECT_EQ(outer.bottom - outer.top, 600);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    HMENU menu = GetMenu(hwnd);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(GetMenuState(menu, IDM_SET_TIME, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu, IDM_ABOUT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(GetMenuState(menu, IDM_EXIT, MF_BYCOMMAND), static_cast<UINT>(-1)); // Ctrl+Q only
    EXPECT_EQ(GetParent(wnd.m_ControlPanel.m_hWnd), hwnd);
    EXPECT_EQ(GetParent(wnd.m_DisplayPanel.m_hWnd), hwnd);
    EXPECT_TRUE(IsWindowVisible(wnd.m_ControlPanel.m_hWnd));
    EXPECT_TRUE(IsWindowVisible(wnd.m_DisplayPanel.m_hWnd));
    // Controls created without WS_VISIBLE stay hidden when their panel shows.
    HWND scan = GetDlgItem(wnd.m_ControlPanel.m_hWnd, IDC_SCAN);
    ASSERT_NE(scan, nullptr);
    EXPECT_FALSE(IsWindowVisible(scan));
    EXPECT_FALSE(winapi::findWindow(scan)->frame->isVisible());
    EXPECT_TRUE(winapi::findWindow(GetDlgItem(wnd.m_ControlPanel.m_hWnd, IDC_START))->frame->isVisible());
    pumpMessages(50);
    // At start the keyboard focus is on the main window itself, so Ctrl+A and
    // Ctrl+Q work until the operator clicks into a control.
    EXPECT_EQ(GetFocus(), hwnd);
    DestroyWindow(hwnd);
    EXPECT_EQ(testsupport::runUntilQuit(), 0); // WM_DESTROY posted the quit
}

TEST(MainWindow, PanelsSplitTheClientArea) {
    struct Case {
        int outer, client, control, display;
    } cases[] = {{600, 552, 306, 246}, {601, 553, 306, 247}};
    for (const Case& c : cases) {
        CBaseWnd wnd;
        HWND hwnd = createMain(wnd, c.outer);
        ASSERT_NE(hwnd, nullptr);
        RECT rc;
        GetClientRect(hwnd, &rc);
        EXPECT_EQ(rc.bottom, c.client);
        RECT top = windowRect(wnd.m_ControlPanel.m_hWnd);
        RECT bottom = windowRect(wnd.m_DisplayPanel.m_hWnd);
        EXPECT_EQ(top.top, 0);
        EXPECT_EQ(top.bottom - top.top, c.control) << c.outer;
        EXPECT_EQ(bottom.top, c.control);
        EXPECT_EQ(bottom.bottom - bottom.top, c.display) << c.outer;
        EXPECT_EQ(bottom.right - bottom.left, rc.right);
        DestroyWindow(hwnd);
        testsupport::runUntilQuit();
    }
}

TEST(MainWindow, UnassignedMessageAndCommandResults) {
    CBaseWnd wnd;
    HWND hwnd = createMain(wnd, 600);
    EXPECT_EQ(SendMessageW(hwnd, 2727, 5, 6), DefWindowProcW(hwnd, 2727, 5, 6));
    EXPECT_EQ(SendMessageW(hwnd, WM_SETTINGCHANGE, 0, 0), 0);
    // Set Time with no fix yet hands SetLocalTime an all-zero date, which it
    // refuses: the clock is never set from undefined data.
    SYSTEMTIME zero{};
    EXPECT_EQ(memcmp(&wnd.m_stLastFix, &zero, sizeof zero), 0);
    EXPECT_FALSE(SetLocalTime(&wnd.m_stLastFix));
    DestroyWindow(hwnd);
    testsupport::runUntilQuit();
}

TEST(DialogBinding, InitDialogSeesHandleAndSetFontNeverReachesTheObject) {
    CBaseWnd host;
    HWND main = createMain(host, 600);
    DialogProbe probe;
    HWND dlg = CreateDialogParamW(winapi::mainInstance(), MAKEINTRESOURCEW(IDD_DISPLAY), main,
                                  StaticDlgProc, reinterpret_cast<LPARAM>(&probe));
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(probe.hwndAtInit, dlg);
    ASSERT_FALSE(probe.seen.empty());
    EXPECT_EQ(probe.seen.front(), static_cast<UINT>(WM_INITDIALOG)); // nothing before binding
    SendMessageW(dlg, WM_SETFONT, 0, TRUE);
    EXPECT_EQ(std::count(probe.seen.begin(), probe.seen.end(), static_cast<UINT>(WM_SETFONT)), 0);
    DestroyWindow(main);
    testsupport::runUntilQuit();
}

namespace {

HWND findAboutBox() {
    for (HWND h : winapi::topLevelWindows()) {
        WCHAR title[32];
        GetWindowTextW(h, title, 32);
        if (std::u16string(title) == u"Dialog") return h;
    }
    return nullptr;
}

void keyTo(HWND hwnd, int key) {
    QWidget* w = winapi::findWindow(hwnd)->client;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
}

} // namespace

TEST(AboutBox, EnterDoesNothingEscClosesAndSentLinesAreServedMeanwhile) {
    CBaseWnd wnd;
    HWND main = createMain(wnd, 600);
    std::atomic<LRESULT> sentResult{-1};
    bool openAfterEnter = false;
    bool mainDisabled = false;
    std::thread reader;
    QTimer::singleShot(50, [&] {
        HWND about = findAboutBox();
        ASSERT_NE(about, nullptr);
        mainDisabled = !IsWindowEnabled(main);
        keyTo(about, Qt::Key_Return);
        QTimer::singleShot(50, [&, about] {
            openAfterEnter = IsWindow(about);
            // A line from the reader thread while the box is open.
            reader = std::thread([&] {
                static const WCHAR line[] = u"$GPGGA,,,,,,0,,,,,,,,*66\r\n";
                sentResult = SendMessageW(main, WMU_SENTENCE, reinterpret_cast<WPARAM>(line), 0);
            });
            QTimer::singleShot(100, [about] { keyTo(about, Qt::Key_Escape); });
        });
    });
    {
        CAbout about(main); // returns when the box has closed
    }
    reader.join();
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(sentResult.load(), 1);
    EXPECT_EQ(findAboutBox(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main));
    DestroyWindow(main);
    testsupport::runUntilQuit();
}

TEST(AboutBox, EscapeEndsTheBoxWithCancel) {
    CBaseWnd host;
    HWND main = createMain(host, 600);
    // The About template driven by CAbout's own message handling.
    struct AboutLike : CWnd {
        LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_INITDIALOG) return TRUE;
            if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
                EndDialog(hwnd, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        }
    } probe;
    QTimer::singleShot(50, [] { keyTo(findAboutBox(), Qt::Key_Escape); });
    INT_PTR result = DialogBoxParamW(winapi::mainInstance(), MAKEINTRESOURCEW(IDD_ABOUT), main,
                                     StaticDlgProc, reinterpret_cast<LPARAM>(&probe));
    EXPECT_EQ(result, IDCANCEL);
    DestroyWindow(main);
    testsupport::runUntilQuit();
}
