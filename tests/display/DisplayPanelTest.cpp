// The display panel painted as the system paints it: the main window is
// created with its panels, the fix record is filled directly, and the panel's
// widget is grabbed into an image (which runs its WM_PAINT).
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/BaseWnd.h"
#include "core/Window.h"
#include "gdi/GdiObjects.h"
#include "res/Resources.h"
#include "resource.h"
#include "ui/control/RecordFile.h"

#include <QImage>
#include <QWidget>

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kCyan = 0xFFFF00;
constexpr COLORREF kMagenta = 0xFF00FF;

// The pixels of one colour in a region, as a comparable picture.
using Mask = std::vector<std::string>;

class DisplayPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hInstance = winapi::mainInstance();
        static int n = 0;
        std::u16string cls = u"StarvaneDisplayTest" + testsupport::u16(std::to_string(++n).c_str());
        m_wnd.RegisterWndClass(g_hInstance, cls.c_str());
        m_main = CreateWindowExW(0, cls.c_str(), u"Starvane",
                                 WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 580, 600, nullptr, nullptr, g_hInstance, &m_wnd);
        ASSERT_NE(m_main, nullptr);
        m_wnd.m_ControlPanel.m_hMainWnd = m_main;
        panel().ResetFix();
    }
    void TearDown() override {
        g_hRecordFile = INVALID_HANDLE_VALUE;
        g_nSnrOffset = 0;
        DestroyWindow(m_main);
        testsupport::runUntilQuit();
    }

    CRestoreDlg& panel() { return m_wnd.m_DisplayPanel; }

    void setSat(int prn, int snr, bool used, int x = 100, int y = 100) {
        SatSlot& s = panel().m_SatTable[prn];
        s.bInView = 1;
        s.bUsed = used;
        s.nSnr = snr;
        s.nX = x;
        s.nY = y;
    }

    // Runs the panel's WM_PAINT into an image of its client area.
    QImage paint() {
        winapi::Window* w = winapi::findWindow(panel().m_hWnd);
        EXPECT_NE(w, nullptr);
        return w->client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    static COLORREF at(const QImage& img, int x, int y) {
        QRgb c = img.pixel(x, y);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    }
    static Mask mask(const QImage& img, COLORREF color, int left, int top, int right, int bottom) {
        Mask m;
        for (int y = top; y < bottom; ++y) {
            std::string row;
            for (int x = left; x < right; ++x)
                row += at(img, x, y) == color ? '#' : '.';
            m.push_back(row);
        }
        return m;
    }
    static int count(const QImage& img, COLORREF color, int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += at(img, x, y) == color;
        return n;
    }
    // The pixels `text` leaves in `color` when drawn with format 0 at the
    // top left of a box of the given size: what a number in the panel
    // must look like.
    static Mask textMask(LPCWSTR text, COLORREF color, int width, int height) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bmp = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ old = SelectObject(dc, bmp);
        RECT rc{0, 0, width, height};
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, color);
        DrawTextW(dc, text, -1, &rc, 0);
        Mask m;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x)
                row += GetPixel(dc, x, y) == color ? '#' : '.';
            m.push_back(row);
        }
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        return m;
    }
    // Rows in column x, from y = 0 down, that are exactly `color`.
    static std::vector<int> rowsOf(const QImage& img, COLORREF color, int x, int top, int bottom) {
        std::vector<int> rows;
        for (int y = top; y < bottom; ++y)
            if (at(img, x, y) == color) rows.push_back(y);
        return rows;
    }
    static std::vector<int> span(int first, int last) {
        std::vector<int> v;
        for (int i = first; i <= last; ++i)
            v.push_back(i);
        return v;
    }

    CBaseWnd m_wnd;
    HWND m_main = nullptr;
};

TEST_F(DisplayPanel, WithNothingInViewShowsTextAndSkyPlotOnly) {
    lstrcpynW(panel().m_FixText.szDate, u"2024/05/17", 15);
    lstrcpynW(panel().m_FixText.szLatitude, u"2409.123456789", 15);
    QImage img = paint();
    RECT rc;
    GetClientRect(panel().m_hWnd, &rc);
    ASSERT_EQ(img.width(), rc.right);
    ASSERT_EQ(img.height(), rc.bottom);
    // The sky bitmap at the top left, pixel for pixel.
    QImage sky(STARVANE_SOURCE_DIR "/res/skyplot.bmp");
    sky = sky.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.copy(0, 0, 155, 155), sky);
    // The bar area is empty.
    EXPECT_EQ(count(img, kWhite, 310, 0, rc.right, rc.bottom), (rc.right - 310) * rc.bottom);
    // Labels and strings are black, at the top left of their rectangles and
    // clipped to them: the date, the latitude cut off at x 140.
    EXPECT_EQ(mask(img, kBlack, 225, 5, 300, 25), textMask(u"2024/05/17", kBlack, 75, 20));
    EXPECT_GT(count(img, kBlack, 165, 45, 240, 65), 20); // "Direction:"
    EXPECT_EQ(count(img, kBlack, 140, 157, 150, 170), 0);
    EXPECT_GT(count(img, kBlack, 60, 157, 140, 170), 20);
}

TEST_F(DisplayPanel, BarsClampTheValueAndShowIt) {
    struct Case {
        bool used;
        int snr;
        const char16_t* shown;
        COLORREF bar;
        int rows; // bar height
    } cases[] = {
        {true, 60, u"50", kBlue, 26},
        {false, 60, u"49", kGreen, 25},
        {true, 31, u"31", kBlue, 16},
        {false, 1, u"1", kGreen, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::utf8(c.shown));
        panel().ResetFix();
        setSat(12, c.snr, c.used);
        QImage img = paint();
        // Column 0 of the first group: X 320, base line Y 40. The right edge
        // of the bar (x 337) is clear of the number.
        EXPECT_EQ(rowsOf(img, c.bar, 337, 0, 60), span(40 - c.rows, 39));
        EXPECT_EQ(rowsOf(img, c.bar, 338, 0, 60), std::vector<int>{});
        EXPECT_EQ(mask(img, kMagenta, 320, 20, 343, 40), textMask(c.shown, kMagenta, 23, 20));
        EXPECT_EQ(mask(img, kBlack, 320, 40, 343, 60), textMask(u"12", kBlack, 23, 20));
        if (c.used) {
            EXPECT_EQ(rowsOf(img, kBlue, 320, 0, 60), span(40 - c.rows, 39));
        } else if (c.rows > 2) {
            // Hollow: a one-pixel green outline around white.
            EXPECT_EQ(rowsOf(img, kGreen, 320, 0, 60), span(40 - c.rows, 39));
            EXPECT_EQ(at(img, 336, 39 - c.rows / 2), kWhite);
            EXPECT_EQ(count(img, kGreen, 320, 40 - c.rows, 338, 41 - c.rows), 18);
            EXPECT_EQ(count(img, kGreen, 320, 39, 338, 40), 18);
        }
    }
}

TEST_F(DisplayPanel, SilentSatelliteGetsRedMarkerNoBarAndKeepsItsColumn) {
    setSat(3, 0, true, 60, 50);
    setSat(9, 40, true, 110, 100);
    QImage img = paint();
    // Column 0 (satellite 03): number only.
    EXPECT_EQ(count(img, kBlue, 320, 0, 345, 40), 0);
    EXPECT_EQ(count(img, kMagenta, 320, 0, 345, 40), 0);
    EXPECT_EQ(mask(img, kBlack, 320, 40, 343, 60), textMask(u"03", kBlack, 23, 20));
    // Column 1 (satellite 09) at X 345.
    EXPECT_EQ(rowsOf(img, kBlue, 345, 0, 60), span(40 - 21, 39));
    EXPECT_EQ(mask(img, kBlack, 345, 40, 368, 60), textMask(u"09", kBlack, 23, 20));
    // Markers: red and blue outlines around their positions.
    EXPECT_EQ(at(img, 60 - 11, 50), kRed);
    EXPECT_EQ(at(img, 60 + 10, 50), kRed);
    EXPECT_EQ(at(img, 60, 50 - 9), kRed);
    EXPECT_EQ(at(img, 110 - 11, 100), kBlue);
    EXPECT_EQ(at(img, 110, 100 + 8), kBlue);
}

TEST_F(DisplayPanel, MarkerIsWhiteEllipseWithTheNumberInside) {
    struct Case {
        int prn, snr;
        bool used;
        COLORREF pen, text;
    } cases[] = {
        {7, 0, false, kRed, kBlack},
        {8, 30, true, kBlue, kBlack},
        {10, 30, false, kGreen, kBlack},
        {120, 30, false, kGreen, kCyan},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prn);
        panel().ResetFix();
        setSat(c.prn, c.snr, c.used, 80, 60);
        QImage img = paint();
        EXPECT_EQ(at(img, 69, 60), c.pen);
        EXPECT_EQ(at(img, 70, 60), c.pen);
        EXPECT_NE(at(img, 69, 51), c.pen); // the corner of the box is outside
        EXPECT_EQ(at(img, 80, 51), c.pen);
        EXPECT_EQ(at(img, 80, 68), c.pen);
        EXPECT_NE(at(img, 80, 69), c.pen);
        EXPECT_EQ(at(img, 80, 65), kWhite); // inside, below the number
        EXPECT_EQ(at(img, 90, 60), c.pen);
        EXPECT_NE(at(img, 91, 60), c.pen);
        // The number, centred horizontally, from the top of the box.
        int left = 200, right = -1, top = 200;
        for (int y = 51; y < 69; ++y)
            for (int x = 60; x < 100; ++x)
                if (at(img, x, y) == c.text) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                }
        EXPECT_NEAR((left + right) / 2.0, 80, 1.5);
        EXPECT_LT(top, 57);
    }
}

TEST_F(DisplayPanel, EleventhSatelliteStartsANewRow) {
    for (int prn = 1; prn <= 11; ++prn)
        setSat(prn, 40, true);
    QImage img = paint();
    for (int n = 0; n < 10; ++n)
        EXPECT_EQ(rowsOf(img, kBlue, 320 + 25 * n + 17, 0, 45), span(19, 39)) << n;
    EXPECT_EQ(rowsOf(img, kBlue, 337, 45, 85), span(59, 79));
    EXPECT_EQ(mask(img, kBlack, 320, 80, 343, 100), textMask(u"11", kBlack, 23, 20));
    EXPECT_EQ(rowsOf(img, kBlue, 362, 45, 85), std::vector<int>{});
}

TEST_F(DisplayPanel, SecondGroupIsDrawnInCyanBelowTheFirst) {
    setSat(32, 40, true);
    setSat(33, 40, false);
    setSat(120, 20, true);
    QImage img = paint();
    EXPECT_EQ(mask(img, kBlack, 320, 40, 343, 60), textMask(u"32", kBlack, 23, 20));
    EXPECT_EQ(mask(img, kCyan, 320, 160, 343, 180), textMask(u"33", kCyan, 23, 20));
    EXPECT_EQ(mask(img, kCyan, 345, 160, 368, 180), textMask(u"120", kCyan, 23, 20));
    EXPECT_EQ(rowsOf(img, kGreen, 337, 100, 200), span(160 - 21, 159));
    EXPECT_EQ(rowsOf(img, kBlue, 362, 100, 200), span(160 - 11, 159));
    EXPECT_EQ(mask(img, kMagenta, 345, 140, 368, 160), textMask(u"20", kMagenta, 23, 20));
}

TEST_F(DisplayPanel, RecordOffsetAppliesOnlyWhileARecordFileIsOpen) {
    struct Case {
        bool recording;
        int snr;
        const char16_t* shown;
        int rows;
    } cases[] = {
        {true, 30, u"20", 11},
        {true, 5, u"5", 3},
        {true, 10, u"0", 1},
        {false, 30, u"30", 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::utf8(c.shown));
        panel().ResetFix();
        setSat(4, c.snr, true);
        // Any valid handle value: the panel only asks whether one is open.
        g_hRecordFile = c.recording ? reinterpret_cast<HANDLE>(0x1234) : INVALID_HANDLE_VALUE;
        g_nSnrOffset = -10;
        QImage img = paint();
        EXPECT_EQ(mask(img, kMagenta, 320, 20, 343, 40), textMask(c.shown, kMagenta, 23, 20));
        EXPECT_EQ(rowsOf(img, kBlue, 337, 0, 60), span(40 - c.rows, 39));
    }
}

TEST_F(DisplayPanel, SatelliteWithoutSkyPositionHasNoMarker) {
    QImage empty = paint();
    setSat(14, 35, true, SKY_NO_POSITION, SKY_NO_POSITION);
    QImage img = paint();
    EXPECT_EQ(img.copy(0, 0, 155, 155), empty.copy(0, 0, 155, 155));
    EXPECT_EQ(rowsOf(img, kBlue, 337, 0, 60), span(40 - 18, 39));
}

// Each paint makes one off-screen bitmap and gives back everything it made.
TEST_F(DisplayPanel, RepaintsUseOneOffscreenBitmapAndLeakNothing) {
    for (int prn = 1; prn < 40; prn += 3)
        setSat(prn, prn, prn % 2, 77, 77);
    paint();
    size_t live = winapi::liveGdiObjectCount();
    uint64_t made = winapi::compatibleBitmapsCreated();
    for (int i = 0; i < 3; ++i)
        paint();
    EXPECT_EQ(winapi::compatibleBitmapsCreated() - made, 3u);
    EXPECT_EQ(winapi::liveGdiObjectCount(), live);
    // WM_PAINT sent by hand outside a paint event draws nowhere and harms nothing.
    SendMessageW(panel().m_hWnd, WM_PAINT, 0, 0);
    EXPECT_EQ(winapi::liveGdiObjectCount(), live);
}

} // namespace
