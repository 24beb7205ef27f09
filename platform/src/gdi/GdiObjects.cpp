// The table of live GDI objects, the stock objects, and the calls that make,
// describe and delete brushes, pens and bitmaps.
#include "gdi/GdiObjects.h"
#include "gdi/Bitmaps.h"

#include <atomic>
#include <mutex>
#include <unordered_set>

namespace winapi {

namespace {

// Values of the stock object indices and pen styles beyond those the system uses.
constexpr int kLtGrayBrush = 1, kGrayBrush = 2, kDkGrayBrush = 3, kBlackBrush = 4, kNullBrush = 5,
              kWhitePen = 6, kNullPen = 8, kOemFixedFont = 10, kDeviceDefaultFont = 14,
              kSystemFixedFont = 16;
constexpr int kPsNull = 5;

std::mutex g_mutex;
std::unordered_set<GdiObject*> g_live;
std::atomic<uint64_t> g_compatibleBitmaps{0};

struct StockObjects {
    Brush white, ltGray, gray, dkGray, black, hollow;
    Pen whitePen, blackPen, nullPen;
    Font system;
    Bitmap defaultBitmap;

    StockObjects() {
        auto brush = [](Brush& b, QColor c) {
            b.color = c;
            b.stock = true;
        };
        brush(white, QColor(255, 255, 255));
        brush(ltGray, QColor(192, 192, 192));
        brush(gray, QColor(128, 128, 128));
        brush(dkGray, QColor(64, 64, 64));
        brush(black, QColor(0, 0, 0));
        brush(hollow, QColor(0, 0, 0));
        hollow.hollow = true;
        auto pen = [](Pen& p, QColor c, int style) {
            p.color = c;
            p.style = style;
            p.stock = true;
        };
        pen(whitePen, QColor(255, 255, 255), PS_SOLID);
        pen(blackPen, QColor(0, 0, 0), PS_SOLID);
        pen(nullPen, QColor(0, 0, 0), kPsNull);
        // The layer's "System" font: one clear font, the same in every DC.
        // Unsmoothed like the raster font it stands for, so text pixels are
        // exactly the text colour.
        system.font = QFont(QStringLiteral("DejaVu Sans Condensed"));
        system.font.setPixelSize(12);
        system.font.setStyleStrategy(QFont::NoAntialias);
        system.font.setHintingPreference(QFont::PreferFullHinting);
        system.stock = true;
        defaultBitmap.image = QImage(1, 1, QImage::Format_RGB32);
        defaultBitmap.image.fill(Qt::black);
        defaultBitmap.stock = true;
        std::lock_guard<std::mutex> lock(g_mutex);
        for (GdiObject* o : std::initializer_list<GdiObject*>{&white, &ltGray, &gray, &dkGray,
                                                              &black, &hollow, &whitePen, &blackPen,
                                                              &nullPen, &system, &defaultBitmap})
            g_live.insert(o);
    }
};

StockObjects& stock() {
    static StockObjects* objects = new StockObjects; // lives as long as the process
    return *objects;
}

} // namespace

HGDIOBJ addGdiObject(GdiObject* object) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_live.insert(object);
    return object;
}

GdiObject* findGdiObject(HGDIOBJ handle) {
    if (!handle) return nullptr;
    stock();
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_live.find(static_cast<GdiObject*>(handle));
    return it == g_live.end() ? nullptr : *it;
}

Brush* stockWhiteBrush() {
    return &stock().white;
}
Pen* stockBlackPen() {
    return &stock().blackPen;
}
Font* systemFont() {
    return &stock().system;
}
Bitmap* stockDefaultBitmap() {
    return &stock().defaultBitmap;
}

QColor fromColorRef(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
COLORREF toColorRef(QRgb rgb) {
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

size_t liveGdiObjectCount() {
    stock();
    std::lock_guard<std::mutex> lock(g_mutex);
    size_t n = 0;
    for (GdiObject* o : g_live)
        if (!o->stock) ++n;
    return n;
}

uint64_t compatibleBitmapsCreated() {
    return g_compatibleBitmaps.load();
}
void countCompatibleBitmap() {
    ++g_compatibleBitmaps;
}

} // namespace winapi

using namespace winapi;

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    auto* b = new Brush;
    b->color = fromColorRef(color);
    return static_cast<HBRUSH>(addGdiObject(b));
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    if (iStyle < PS_SOLID || iStyle > 6) { // PS_SOLID .. PS_INSIDEFRAME
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* p = new Pen;
    p->width = cWidth < 0 ? 0 : cWidth;
    // Dashed and dotted styles exist only for pens one pixel wide; a wider
    // one draws solid, as Windows makes it.
    p->style = (iStyle >= PS_DASH && iStyle <= 4 && p->width > 1) ? PS_SOLID : iStyle;
    p->color = fromColorRef(color);
    return static_cast<HPEN>(addGdiObject(p));
}

HGDIOBJ WINAPI GetStockObject(int i) {
    StockObjects& s = stock();
    switch (i) {
    case WHITE_BRUSH:
        return &s.white;
    case kLtGrayBrush:
        return &s.ltGray;
    case kGrayBrush:
        return &s.gray;
    case kDkGrayBrush:
        return &s.dkGray;
    case kBlackBrush:
        return &s.black;
    case kNullBrush:
        return &s.hollow;
    case kWhitePen:
        return &s.whitePen;
    case BLACK_PEN:
        return &s.blackPen;
    case kNullPen:
        return &s.nullPen;
    case kOemFixedFont:
    case 11: // ANSI_FIXED_FONT
    case 12: // ANSI_VAR_FONT
    case SYSTEM_FONT:
    case kDeviceDefaultFont:
    case kSystemFixedFont:
    case DEFAULT_GUI_FONT:
        return &s.system;
    }
    return nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    GdiObject* o = findGdiObject(ho);
    if (!o) return FALSE;
    if (o->stock) return TRUE;
    // An object still selected into a DC stays: the DC keeps drawing with it.
    if (o->selections > 0) return FALSE;
    if (o->type == GdiType::Bitmap && static_cast<Bitmap*>(o)->selectedIn) return FALSE;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_live.erase(o);
    }
    if (o->type == GdiType::Bitmap) recycleBitmapImage(std::move(static_cast<Bitmap*>(o)->image));
    delete o;
    return TRUE;
}

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
    // Only bitmaps are described; the system asks for nothing else.
    auto* bmp = findGdi<Bitmap>(h, GdiType::Bitmap);
    if (!bmp) return 0;
    if (!pv) return sizeof(BITMAP);
    if (c < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP bm{};
    bm.bmType = 0;
    bm.bmWidth = bmp->image.width();
    bm.bmHeight = bmp->image.height();
    bm.bmWidthBytes = bm.bmWidth * 4;
    bm.bmPlanes = 1;
    bm.bmBitsPixel = 32;
    bm.bmBits = nullptr; // device-dependent: no bits pointer, as on Windows
    *static_cast<BITMAP*>(pv) = bm;
    return sizeof(BITMAP);
}
