// The messaging rules the system relies on, pinned by recording message
// sequences: creation order, sent before posted, cross-thread sends served
// while the owner waits (in GetMessageW and in a modal loop), accelerators
// translated for the window the keystroke is addressed to.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/Window.h"
#include "res/Resources.h"
#include "resource.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <thread>
#include <vector>

namespace {

std::vector<UINT>* g_log = nullptr;
std::vector<std::pair<HWND, UINT>> g_commands;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_log && message != WM_PAINT && message != WM_ACTIVATE && message != WM_SETFOCUS &&
        message != WM_KILLFOCUS && message != WM_SHOWWINDOW && message != WM_SIZE &&
        message != WM_ENABLE && message != WM_NCDESTROY)
        g_log->push_back(message);
    if (message == WM_COMMAND) g_commands.emplace_back(hwnd, LOWORD(wParam));
    if (message == WM_USER + 1) return 42;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void registerRecordingClass() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = winapi::mainInstance();
    wc.lpszClassName = u"RecordingWindow";
    ASSERT_NE(RegisterClassExW(&wc), 0);
}

HWND makeWindow(HWND parent = nullptr) {
    registerRecordingClass();
    DWORD style = parent ? (WS_CHILD | WS_VISIBLE) : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU);
    return CreateWindowExW(0, u"RecordingWindow", u"t", style, 0, 0, parent ? 50 : 300,
                           parent ? 20 : 200, parent, reinterpret_cast<HMENU>(parent ? 7 : 0),
                           winapi::mainInstance(), nullptr);
}

struct Recording {
    std::vector<UINT> log;
    Recording() {
        g_log = &log;
        g_commands.clear();
    }
    ~Recording() { g_log = nullptr; }
};

} // namespace

TEST(Messaging, CreationSendsMinMaxNcCreateCalcSizeThenCreate) {
    Recording rec;
    HWND hwnd = makeWindow();
    ASSERT_NE(hwnd, nullptr);
    std::vector<UINT> expected = {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE};
    EXPECT_EQ(rec.log, expected);
    rec.log.clear();
    DestroyWindow(hwnd);
    EXPECT_EQ(rec.log, std::vector<UINT>{WM_DESTROY});
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Messaging, DestructionReachesParentThenChildren) {
    HWND parent = makeWindow();
    HWND child = makeWindow(parent);
    std::vector<HWND> order;
    // A second recording: which window received WM_DESTROY, in order.
    static std::vector<HWND>* s_order;
    s_order = &order;
    auto proc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_DESTROY) s_order->push_back(h);
        return DefWindowProcW(h, m, w, l);
    };
    SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+proc));
    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+proc));
    SendMessageW(parent, WM_CLOSE, 0, 0); // default processing destroys it
    EXPECT_EQ(order, (std::vector<HWND>{parent, child}));
    EXPECT_FALSE(IsWindow(child));
}

TEST(Messaging, SentMessagesGoBeforePostedOnes) {
    Recording rec;
    HWND hwnd = makeWindow();
    rec.log.clear();
    PostMessageW(hwnd, WM_USER + 2, 0, 0);
    std::atomic<LRESULT> result{0};
    std::thread sender([&] { result = SendMessageW(hwnd, WM_USER + 1, 0, 0); });
    // Give the sender time to queue its message before the owner looks.
    Sleep(100);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    // The sent message was handled inside GetMessageW, before it returned
    // the posted one.
    EXPECT_EQ(rec.log, std::vector<UINT>{WM_USER + 1});
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    DispatchMessageW(&msg);
    sender.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_EQ(rec.log, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    DestroyWindow(hwnd);
}

TEST(Messaging, CrossThreadSendIsHandledWhileOwnerWaitsInGetMessage) {
    Recording rec;
    HWND hwnd = makeWindow();
    rec.log.clear();
    std::atomic<LRESULT> result{0};
    std::thread sender([&] {
        Sleep(50);
        result = SendMessageW(hwnd, WM_USER + 1, 0, 0);
        PostMessageW(hwnd, WM_USER + 3, 0, 0);
    });
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0)); // blocks until the post
    sender.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    EXPECT_EQ(rec.log, std::vector<UINT>{WM_USER + 1});
    DestroyWindow(hwnd);
}

namespace {

std::atomic<long> g_streamExpected{0};
std::atomic<long> g_streamOutOfOrder{0};
std::atomic<bool> g_streamHandling{false};
std::atomic<long> g_streamOverlaps{0};

LRESULT CALLBACK StreamProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_USER + 4) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (g_streamHandling.exchange(true)) ++g_streamOverlaps;
    if (static_cast<long>(wParam) != g_streamExpected) ++g_streamOutOfOrder;
    g_streamExpected = static_cast<long>(wParam) + 1;
    g_streamHandling = false;
    return static_cast<LRESULT>(wParam) + 1;
}

} // namespace

// A thread sending back to back (as the reader hands over lines) has each
// message handled once, in order, with its own result, while Qt's events,
// posted messages and timers still get their turn during the stream.
TEST(Messaging, SendStreamIsServedInOrderWithoutStarvingTheLoop) {
    HWND hwnd =
        testsupport::makeWindowOfClass(u"StreamWindow", StreamProc, WS_OVERLAPPED, 100, 100);
    ASSERT_NE(hwnd, nullptr);
    g_streamExpected = 0;
    g_streamOutOfOrder = 0;
    g_streamOverlaps = 0;

    std::atomic<bool> streaming{true};
    std::atomic<long> wrongResults{0};
    std::atomic<long> sent{0};
    std::thread sender([&] {
        const DWORD start = GetTickCount();
        for (long i = 0; GetTickCount() - start < 400; ++i) {
            if (SendMessageW(hwnd, WM_USER + 4, static_cast<WPARAM>(i), 0) != i + 1) ++wrongResults;
            sent = i + 1;
            if (i == 100) PostMessageW(hwnd, WM_USER + 5, 0, 0);
        }
        streaming = false;
        PostMessageW(hwnd, WM_USER + 6, 0, 0);
    });
    int qtTicksDuringStream = 0;
    QTimer qtTimer;
    QObject::connect(&qtTimer, &QTimer::timeout, [&] { qtTicksDuringStream += streaming ? 1 : 0; });
    qtTimer.start(20);
    SetTimer(hwnd, 9, 20, nullptr);
    int timerTicksDuringStream = 0;
    bool postedDuringStream = false;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_TIMER && streaming) ++timerTicksDuringStream;
        if (msg.message == WM_USER + 5) postedDuringStream = streaming;
        if (msg.message == WM_USER + 6) break;
        DispatchMessageW(&msg);
    }
    sender.join();
    KillTimer(hwnd, 9);
    DestroyWindow(hwnd);
    EXPECT_GT(sent.load(), 200);
    EXPECT_EQ(g_streamExpected.load(), sent.load());
    EXPECT_EQ(g_streamOutOfOrder.load(), 0);
    EXPECT_EQ(g_streamOverlaps.load(), 0);
    EXPECT_EQ(wrongResults.load(), 0);
    EXPECT_TRUE(postedDuringStream);
    EXPECT_GE(qtTicksDuringStream, 3);
    EXPECT_GE(timerTicksDuringStream, 3);
}

TEST(Messaging, SendToDestroyedWindowFailsAndPendingSendsComplete) {
    HWND hwnd = makeWindow();
    std::atomic<LRESULT> result{-1};
    std::atomic<bool> queued{false};
    std::thread sender([&] {
        queued = true;
        result = SendMessageW(hwnd, WM_USER + 1, 0, 0);
    });
    while (!queued)
        Sleep(1);
    Sleep(50);
    DestroyWindow(hwnd); // the waiting sender is released with 0
    sender.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(SendMessageW(hwnd, WM_USER + 1, 0, 0), 0);
}

TEST(Messaging, QuitEndsGetMessageWithItsCode) {
    PostQuitMessage(7);
    MSG msg;
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(Messaging, TimersFireOnlyWhenNothingElseWaits) {
    Recording rec;
    HWND hwnd = makeWindow();
    rec.log.clear();
    SetTimer(hwnd, 5, 10, nullptr);
    Sleep(30);
    PostMessageW(hwnd, WM_USER + 2, 0, 0);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_TRUE(KillTimer(hwnd, 5));
    EXPECT_FALSE(KillTimer(hwnd, 5));
    DestroyWindow(hwnd);
}

namespace {

void sendKey(QWidget* widget, int key, Qt::KeyboardModifiers mods) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(widget, &press);
}

QWidget* widgetOf(HWND hwnd) {
    return winapi::findWindow(hwnd)->client;
}

} // namespace

TEST(Messaging, AcceleratorIsTranslatedForTheAddressedWindowOnly) {
    Recording rec;
    HWND main = makeWindow();
    HWND child = makeWindow(main);
    HACCEL accel = LoadAcceleratorsW(winapi::mainInstance(), MAKEINTRESOURCEW(IDR_ACCEL));
    ASSERT_NE(accel, nullptr);
    auto pump = [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!TranslateAcceleratorW(msg.hwnd, accel, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
    };
    sendKey(widgetOf(main), Qt::Key_A, Qt::ControlModifier);
    pump();
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0], std::make_pair(main, static_cast<UINT>(IDM_ABOUT)));

    g_commands.clear();
    sendKey(widgetOf(child), Qt::Key_Q, Qt::ControlModifier);
    pump();
    // The command went to the child, which ignores it; the main window got none.
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0], std::make_pair(child, static_cast<UINT>(IDM_EXIT)));

    g_commands.clear();
    sendKey(widgetOf(main), Qt::Key_A, Qt::NoModifier); // no Ctrl: no command
    pump();
    EXPECT_TRUE(g_commands.empty());
    DestroyWindow(main);
}
