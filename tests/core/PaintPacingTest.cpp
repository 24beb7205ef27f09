// Repaints of a top-level window are paced: a stream of invalidations is
// painted a few dozen times a second, and the last state is always painted.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/Window.h"

#include <QElapsedTimer>

using testsupport::pumpMessages;

namespace {

int g_generation = 0; // what the window shows, changed by the "data"
int g_painted = -1;   // the generation the last paint drew
int g_paints = 0;

LRESULT CALLBACK CountingPaintProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        g_painted = g_generation;
        ++g_paints;
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

TEST(PaintPacing, StreamOfInvalidationsIsPaintedAtAFrameRateAndEndsPainted) {
    HWND hwnd = testsupport::makeWindowOfClass(u"PacedWindow", CountingPaintProc,
                                               WS_OVERLAPPED | WS_CAPTION, 200, 150);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    pumpMessages(100);
    g_paints = 0;

    // 400 ms of a new state every millisecond, as a fast stream of lines.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 400) {
        ++g_generation;
        InvalidateRect(hwnd, nullptr, FALSE);
        pumpMessages(1);
    }
    const int duringStream = g_paints;
    pumpMessages(100);

    // About 12 frames of 33 ms (a slow machine may paint fewer), never one
    // per change; and the final state is on screen.
    EXPECT_GE(duringStream, 3);
    EXPECT_LE(duringStream, 20);
    EXPECT_EQ(g_painted, g_generation);

    // A single change after a quiet spell is painted without waiting.
    pumpMessages(100);
    const int before = g_paints;
    ++g_generation;
    InvalidateRect(hwnd, nullptr, FALSE);
    pumpMessages(5);
    EXPECT_EQ(g_paints, before + 1);
    EXPECT_EQ(g_painted, g_generation);
    DestroyWindow(hwnd);
}
