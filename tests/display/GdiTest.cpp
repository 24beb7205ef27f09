// The layer's GDI: rectangles, selection, bitmaps, text and ellipses drawn
// into memory DCs and read back pixel by pixel.
#include <gtest/gtest.h>

#include "gdi/GdiObjects.h"
#include "res/Resources.h"
#include "resource.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kInvalid = 0xFFFFFFFF;

// A memory DC drawing on a bitmap of its own, filled with one colour.
struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    int width, height;

    Surface(int w, int h, COLORREF fill = kWhite) : width(w), height(h) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, w, h);
        previous = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Surface() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
    // Pixels of `color` inside [left, right) x [top, bottom).
    int count(COLORREF color, int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += at(x, y) == color;
        return n;
    }
    // Bounding box of the pixels that differ from `background`.
    RECT inkBox(COLORREF background) const {
        RECT box{width, height, -1, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
};

} // namespace

TEST(Gdi, FillRectCoversLeftTopButNotRightBottom) {
    struct Case {
        RECT rc;
        int filled; // pixels that change
    } cases[] = {
        {{2, 3, 7, 9}, 5 * 6}, {{4, 4, 5, 5}, 1}, {{4, 4, 4, 8}, 0}, // empty
        {{7, 9, 2, 3}, 0},                                           // inverted
        {{-5, -5, 2, 2}, 4},                                         // clipped at the surface
    };
    for (const Case& c : cases) {
        Surface s(12, 12);
        HBRUSH blue = CreateSolidBrush(kBlue);
        EXPECT_TRUE(FillRect(s.dc, &c.rc, blue));
        DeleteObject(blue);
        EXPECT_EQ(s.count(kBlue, 0, 0, 12, 12), c.filled) << c.rc.left << "," << c.rc.top;
    }
    Surface s(12, 12);
    HBRUSH blue = CreateSolidBrush(kBlue);
    RECT rc{2, 3, 7, 9};
    FillRect(s.dc, &rc, blue);
    DeleteObject(blue);
    EXPECT_EQ(s.at(2, 3), kBlue);
    EXPECT_EQ(s.at(6, 8), kBlue);
    EXPECT_EQ(s.at(7, 8), kWhite);
    EXPECT_EQ(s.at(6, 9), kWhite);
    EXPECT_EQ(s.at(1, 3), kWhite);
    EXPECT_EQ(s.at(2, 2), kWhite);
    EXPECT_EQ(s.at(12, 0), kInvalid);
}

TEST(Gdi, SelectObjectReturnsWhatItReplaced) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 3);
    HBRUSH brush = CreateSolidBrush(kRed);
    HPEN pen = CreatePen(PS_DASH, 2, kRed);

    // A new memory DC has the stock white brush, black pen and system font,
    // and a 1 x 1 bitmap of its own.
    HGDIOBJ defaultBitmap = SelectObject(dc, bmp);
    ASSERT_NE(defaultBitmap, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(defaultBitmap, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), brush);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);

    // The selected bitmap is the surface; it can be in one DC only, and it
    // cannot be deleted while selected.
    ASSERT_EQ(GetObjectW(bmp, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 3);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(GetPixel(dc, 3, 2), kBlack);
    EXPECT_EQ(GetPixel(dc, 4, 2), kInvalid);
    HDC other = CreateCompatibleDC(dc);
    EXPECT_EQ(SelectObject(other, bmp), nullptr);
    EXPECT_FALSE(DeleteObject(bmp));
    EXPECT_EQ(SelectObject(dc, defaultBitmap), bmp);
    EXPECT_NE(SelectObject(other, bmp), nullptr);
    EXPECT_EQ(GetPixel(other, 3, 2), kBlack);
    DeleteDC(other); // releases the bitmap
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(pen));

    // Deleted and foreign handles are refused.
    EXPECT_EQ(SelectObject(dc, brush), nullptr);
    EXPECT_FALSE(DeleteObject(brush));
    int notAnObject = 0;
    EXPECT_EQ(SelectObject(dc, &notAnObject), nullptr);
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(&notAnObject), GetStockObject(WHITE_BRUSH)),
              nullptr);
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))); // stock: nothing happens
    EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(Gdi, SetBkModeAndSetTextColorReturnThePreviousValue) {
    Surface s(2, 2);
    EXPECT_EQ(SetBkMode(s.dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(s.dc, OPAQUE), TRANSPARENT);
    EXPECT_EQ(SetBkMode(s.dc, 7), 0);
    EXPECT_EQ(SetTextColor(s.dc, kRed), kBlack);
    EXPECT_EQ(SetTextColor(s.dc, kBlue), kRed);
    EXPECT_EQ(SetTextColor(nullptr, kBlue), kInvalid);
}

TEST(Gdi, LoadBitmapReadsThePaletteImageExactly) {
    HBITMAP sky = LoadBitmapW(winapi::mainInstance(), MAKEINTRESOURCEW(IDB_SKYPLOT));
    ASSERT_NE(sky, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(sky, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 155);
    EXPECT_EQ(bm.bmHeight, 155);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, sky);
    // Every pixel against Qt's own reading of the bitmap file.
    QImage reference(STARVANE_SOURCE_DIR "/res/skyplot.bmp");
    ASSERT_FALSE(reference.isNull());
    ASSERT_EQ(reference.size(), QSize(155, 155));
    int wrong = 0;
    for (int y = 0; y < 155; ++y)
        for (int x = 0; x < 155; ++x) {
            QRgb c = reference.pixel(x, y);
            wrong += GetPixel(dc, x, y) != RGB(qRed(c), qGreen(c), qBlue(c));
        }
    EXPECT_EQ(wrong, 0);
    // Black sky in the corner, the white cross-hair through the centre.
    EXPECT_EQ(GetPixel(dc, 0, 0), kBlack);
    EXPECT_EQ(GetPixel(dc, 77, 40), kWhite);
    EXPECT_EQ(GetPixel(dc, 40, 78), kWhite);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(sky));

    EXPECT_EQ(LoadBitmapW(winapi::mainInstance(), MAKEINTRESOURCEW(999)), nullptr);
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(IDB_SKYPLOT)), nullptr);
}

TEST(Gdi, BitBltCopiesTheSourceRectangle) {
    Surface src(6, 6, kBlue);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT corner{0, 0, 2, 2};
    FillRect(src.dc, &corner, red);
    DeleteObject(red);
    Surface dst(10, 10);
    EXPECT_TRUE(BitBlt(dst.dc, 3, 4, 6, 6, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.at(3, 4), kRed);
    EXPECT_EQ(dst.at(5, 6), kBlue);
    EXPECT_EQ(dst.at(8, 9), kBlue);
    EXPECT_EQ(dst.at(2, 4), kWhite);
    EXPECT_EQ(dst.count(kWhite, 0, 0, 10, 10), 100 - 36 + 6 * 0); // 6x6 copied, the rest untouched
    // A source rectangle that runs off the source copies only what exists.
    Surface part(10, 10);
    EXPECT_TRUE(BitBlt(part.dc, 0, 0, 10, 10, src.dc, 4, 4, SRCCOPY));
    EXPECT_EQ(part.count(kBlue, 0, 0, 10, 10), 4);
    EXPECT_FALSE(BitBlt(part.dc, 0, 0, 2, 2, src.dc, 0, 0, 0x00EE0086)); // SRCPAINT: not provided
    // Within one surface, overlapping: the source is read before it is overwritten.
    EXPECT_TRUE(BitBlt(src.dc, 1, 1, 5, 5, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(src.count(kRed, 0, 0, 6, 6), 7); // the red 2 x 2 moved by one over itself
    EXPECT_EQ(src.at(2, 2), kRed);
    EXPECT_EQ(src.at(3, 3), kBlue);
}

// Text of the system font: a clipped, unwrapped block at the top left of
// its rectangle for format 0 and DT_VCENTER alone; DT_CENTER centres it
// across the rectangle, still at the top.
TEST(Gdi, DrawTextPlacesAndClipsText) {
    auto draw = [](LPCWSTR text, RECT rc, UINT format) {
        auto s = std::make_unique<Surface>(120, 60);
        SetBkMode(s->dc, TRANSPARENT);
        EXPECT_GT(DrawTextW(s->dc, text, -1, &rc, format), 0);
        return s;
    };
    RECT wide{10, 10, 110, 50};
    auto topLeft = draw(u"88", wide, 0);
    RECT ink = topLeft->inkBox(kWhite);
    EXPECT_GE(ink.left, 10);
    EXPECT_LT(ink.left, 13);
    EXPECT_GE(ink.top, 10);
    EXPECT_LT(ink.top, 16);
    EXPECT_EQ(topLeft->count(kBlack, 0, 0, 120, 60) > 0, true);

    auto vcenter = draw(u"88", wide, DT_VCENTER);
    EXPECT_EQ(vcenter->inkBox(kWhite).top, ink.top);
    EXPECT_EQ(vcenter->inkBox(kWhite).left, ink.left);

    auto centred = draw(u"88", wide, DT_CENTER | DT_VCENTER);
    RECT c = centred->inkBox(kWhite);
    EXPECT_EQ(c.top, ink.top);
    EXPECT_NEAR((c.left + c.right) / 2.0, 60, 2);

    // Clipped to the rectangle, no wrapping onto a second line.
    RECT small{10, 10, 24, 16};
    auto clipped = draw(u"WWWWWWWW WWWW", small, 0);
    RECT k = clipped->inkBox(kWhite);
    EXPECT_GE(k.left, 10);
    EXPECT_GE(k.top, 10);
    EXPECT_LE(k.right, 24);
    EXPECT_LE(k.bottom, 16);
    EXPECT_GT(k.right, 20);

    // The text colour, exactly: the system font is not smoothed.
    Surface coloured(40, 20);
    SetBkMode(coloured.dc, TRANSPARENT);
    SetTextColor(coloured.dc, 0xFF00FF);
    RECT rc{0, 0, 40, 20};
    DrawTextW(coloured.dc, u"50", -1, &rc, 0);
    EXPECT_EQ(coloured.count(0xFF00FF, 0, 0, 40, 20) + coloured.count(kWhite, 0, 0, 40, 20), 800);
    EXPECT_GT(coloured.count(0xFF00FF, 0, 0, 40, 20), 10);
}

// A memory DC fills an ellipse with its default white brush; a dashed pen two
// pixels wide draws a solid outline, as on Windows.
TEST(Gdi, EllipseFillsWithTheBrushAndOutlinesSolidWithAWidePen) {
    Surface s(40, 40, kBlack);
    HPEN pen = CreatePen(PS_DASH, 2, kRed);
    HGDIOBJ old = SelectObject(s.dc, pen);
    EXPECT_TRUE(Ellipse(s.dc, 9, 11, 31, 29));
    SelectObject(s.dc, old);
    DeleteObject(pen);
    EXPECT_EQ(s.inkBox(kBlack).left, 9);
    EXPECT_EQ(s.inkBox(kBlack).top, 11);
    EXPECT_EQ(s.inkBox(kBlack).right, 31);
    EXPECT_EQ(s.inkBox(kBlack).bottom, 29);
    EXPECT_EQ(s.at(20, 20), kWhite);
    // Every row and every column of the figure starts with the outline: no gaps.
    for (int y = 11; y < 29; ++y) {
        int x = 0;
        while (x < 40 && s.at(x, y) == kBlack)
            ++x;
        EXPECT_EQ(s.at(x, y), kRed) << "row " << y;
        EXPECT_EQ(s.at(x + 1, y), kRed) << "row " << y;
    }
    for (int x = 9; x < 31; ++x) {
        int y = 0;
        while (y < 40 && s.at(x, y) == kBlack)
            ++y;
        EXPECT_EQ(s.at(x, y), kRed) << "column " << x;
    }
}

// Markers and labels are copied from images drawn once. The copies must be
// exactly what drawing gives, over any background and at any position, and
// a figure must never be taken for another (other pen, brush, colour, text).
TEST(Gdi, RepeatedFiguresAndTextsEqualDirectDrawing) {
    struct Case {
        const char* name;
        int penStyle, penWidth;
        COLORREF penColor, brushColor, textColor;
        const char16_t* text; // null: an ellipse
        UINT format;
    } cases[] = {
        {"wide dashed red ellipse", PS_DASH, 2, kRed, kWhite, 0, nullptr, 0},
        {"same size, blue pen", PS_DASH, 2, kBlue, kWhite, 0, nullptr, 0},
        {"same pen, green brush", PS_DASH, 2, kBlue, 0x00FF00, 0, nullptr, 0},
        {"thin dashed ellipse", PS_DASH, 1, kBlack, kWhite, 0, nullptr, 0},
        {"magenta number", PS_SOLID, 1, 0, kWhite, 0xFF00FF, u"07", 0},
        {"same number, black", PS_SOLID, 1, 0, kWhite, kBlack, u"07", 0},
        {"centred label", PS_SOLID, 1, 0, kWhite, kBlue, u"Lat 48.1173",
         DT_CENTER | DT_VCENTER | DT_SINGLELINE},
    };
    // Reference: the same figure drawn straight with Qt on the same background.
    auto reference = [](const Case& c, QImage image, int left, int top) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        auto qcolor = [](COLORREF v) { return QColor(GetRValue(v), GetGValue(v), GetBValue(v)); };
        if (!c.text) {
            int w = c.penWidth;
            QRectF box(left + w / 2.0, top + w / 2.0, 22 - w, 18 - w);
            p.setPen(Qt::NoPen);
            p.setBrush(qcolor(c.brushColor));
            p.drawEllipse(box);
            QPen pen(qcolor(c.penColor));
            pen.setWidth(w);
            if (w == 1) pen.setDashPattern({18, 6});
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(box);
        } else {
            const QFont& font = winapi::systemFont()->font;
            QFontMetrics m(font);
            QString text = QString::fromUtf16(c.text);
            int x = left, y = top;
            if (c.format & DT_CENTER) x = left + (60 - m.horizontalAdvance(text)) / 2;
            if (c.format & DT_VCENTER) y = top + (18 - m.height()) / 2;
            p.setClipRect(QRect(left, top, 60, 18));
            p.setFont(font);
            p.setPen(qcolor(c.textColor));
            p.drawText(QPoint(x, y + m.ascent()), text);
        }
        return image;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Surface s(100, 60);
        // A striped background shows any pixel the copy would wrongly cover.
        HBRUSH stripe = CreateSolidBrush(0x808080);
        for (int x = 0; x < 100; x += 3) {
            RECT r{x, 0, x + 1, 60};
            FillRect(s.dc, &r, stripe);
        }
        DeleteObject(stripe);
        QImage before =
            winapi::findGdi<winapi::Bitmap>(s.bitmap, winapi::GdiType::Bitmap)->image.copy();
        HPEN pen = CreatePen(c.penStyle, c.penWidth, c.penColor);
        HBRUSH brush = CreateSolidBrush(c.brushColor);
        HGDIOBJ oldPen = SelectObject(s.dc, pen);
        HGDIOBJ oldBrush = SelectObject(s.dc, brush);
        SetBkMode(s.dc, TRANSPARENT);
        SetTextColor(s.dc, c.textColor);
        QImage expected = before;
        // At three places: drawn straight, then into the image, then copied.
        for (QPoint at : {QPoint(5, 7), QPoint(37, 30), QPoint(70, 2)}) {
            if (c.text) {
                RECT rc{at.x(), at.y(), at.x() + 60, at.y() + 18};
                DrawTextW(s.dc, reinterpret_cast<LPCWSTR>(c.text), -1, &rc, c.format);
            } else {
                Ellipse(s.dc, at.x(), at.y(), at.x() + 22, at.y() + 18);
            }
            expected = reference(c, expected, at.x(), at.y());
        }
        SelectObject(s.dc, oldPen);
        SelectObject(s.dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
        QImage got =
            winapi::findGdi<winapi::Bitmap>(s.bitmap, winapi::GdiType::Bitmap)->image.copy();
        int differing = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x)
                differing += got.pixel(x, y) != expected.pixel(x, y);
        EXPECT_EQ(differing, 0);
        EXPECT_NE(got, before);
    }
}

// Off-screen bitmaps are made and deleted with every paint, and a deleted
// one's pixels are reused: a new bitmap must still start black, whatever was
// drawn on the one before, and one still in use is never handed out again.
TEST(Gdi, NewBitmapStartsBlackAfterOneOfItsSizeWasDeleted) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP first = CreateCompatibleBitmap(dc, 300, 300);
    HGDIOBJ old = SelectObject(dc, first);
    HBRUSH white = CreateSolidBrush(kWhite);
    RECT all{0, 0, 300, 300};
    FillRect(dc, &all, white);
    SelectObject(dc, old);
    HBITMAP kept = CreateCompatibleBitmap(dc, 300, 300);
    EXPECT_TRUE(DeleteObject(first));
    HBITMAP second = CreateCompatibleBitmap(dc, 300, 300);
    for (HBITMAP b : {second, kept}) {
        old = SelectObject(dc, b);
        int black = 0;
        for (int y = 0; y < 300; y += 7)
            for (int x = 0; x < 300; x += 7)
                black += GetPixel(dc, x, y) == kBlack;
        EXPECT_EQ(black, 43 * 43);
        SelectObject(dc, old);
    }
    // Drawing on one does not show on the other.
    old = SelectObject(dc, second);
    FillRect(dc, &all, white);
    SelectObject(dc, kept);
    EXPECT_EQ(GetPixel(dc, 150, 150), kBlack);
    SelectObject(dc, old);
    DeleteObject(white);
    DeleteObject(second);
    DeleteObject(kept);
    DeleteDC(dc);
}

// WM_PAINT sent by hand (no paint event running): BeginPaint still hands
// out a DC, on an image nobody sees, and EndPaint releases it.
TEST(Gdi, BeginPaintOutsideAPaintEventIsHarmless) {
    size_t before = winapi::liveGdiObjectCount();
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
    PAINTSTRUCT ps{};
    EXPECT_EQ(BeginPaint(nullptr, &ps), nullptr);
    EXPECT_EQ(winapi::liveGdiObjectCount(), before);
}
