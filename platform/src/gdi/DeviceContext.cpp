// Device context table and state: memory DCs, object selection, background
// mode, text colour and reading pixels.
#include "gdi/DeviceContext.h"

#include <mutex>
#include <unordered_set>

namespace winapi {

namespace {

constexpr COLORREF kClrInvalid = 0xFFFFFFFF;

std::mutex g_mutex;
std::unordered_set<Dc*> g_dcs;

template <class T> void reselect(T*& slot, T* object) {
    if (slot) --slot->selections;
    slot = object;
    if (slot) ++slot->selections;
}

} // namespace

QImage* Dc::image() {
    if (kind == Kind::Paint) return nullptr;
    if (kind == Kind::Memory && bitmap && !bitmap->stock) return &bitmap->image;
    if (scratch.isNull()) {
        // A memory DC's own 1 x 1 surface, made only when something uses it.
        scratch = QImage(1, 1, QImage::Format_RGB32);
        scratch.fill(Qt::black);
    }
    return &scratch;
}

Dc* newDc(Dc::Kind kind, HWND hwnd) {
    auto* dc = new Dc;
    dc->kind = kind;
    dc->hwnd = hwnd;
    reselect(dc->brush, stockWhiteBrush());
    reselect(dc->pen, stockBlackPen());
    reselect(dc->font, systemFont());
    // A new memory DC has a private 1 x 1 surface until a bitmap is selected.
    if (kind == Dc::Kind::Memory) dc->bitmap = stockDefaultBitmap();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_dcs.insert(dc);
    return dc;
}

Dc* findDc(HDC hdc) {
    if (!hdc) return nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_dcs.find(reinterpret_cast<Dc*>(hdc));
    return it == g_dcs.end() ? nullptr : *it;
}

void freeDc(Dc* dc) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_dcs.erase(dc);
    }
    reselect(dc->brush, static_cast<Brush*>(nullptr));
    reselect(dc->pen, static_cast<Pen*>(nullptr));
    reselect(dc->font, static_cast<Font*>(nullptr));
    if (dc->bitmap && dc->bitmap->selectedIn == dc) dc->bitmap->selectedIn = nullptr;
    delete dc->widgetPainter;
    delete dc;
}

bool paintOn(Dc& dc, const std::function<void(QPainter&)>& draw) {
    if (dc.widgetPainter) {
        dc.widgetPainter->save();
        dc.widgetPainter->setRenderHint(QPainter::Antialiasing, false);
        draw(*dc.widgetPainter);
        dc.widgetPainter->restore();
        return true;
    }
    QImage* image = dc.image();
    if (!image || image->isNull()) return false;
    QPainter painter(image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw(painter);
    return true;
}

} // namespace winapi

using namespace winapi;

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !findDc(hdc)) return nullptr;
    return reinterpret_cast<HDC>(newDc(Dc::Kind::Memory));
}

BOOL WINAPI DeleteDC(HDC hdc) {
    Dc* dc = findDc(hdc);
    // Paint DCs end with EndPaint and window DCs with ReleaseDC.
    if (!dc || dc->kind != Dc::Kind::Memory) return FALSE;
    freeDc(dc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    Dc* dc = findDc(hdc);
    GdiObject* o = findGdiObject(h);
    if (!dc || !o) return nullptr;
    switch (o->type) {
    case GdiType::Brush: {
        Brush* previous = dc->brush;
        reselect(dc->brush, static_cast<Brush*>(o));
        return previous;
    }
    case GdiType::Pen: {
        Pen* previous = dc->pen;
        reselect(dc->pen, static_cast<Pen*>(o));
        return previous;
    }
    case GdiType::Font: {
        Font* previous = dc->font;
        reselect(dc->font, static_cast<Font*>(o));
        return previous;
    }
    case GdiType::Bitmap: {
        // Only a memory DC takes a bitmap, and a bitmap is the surface of
        // one DC at a time (the stock default bitmap excepted).
        auto* bmp = static_cast<Bitmap*>(o);
        if (dc->kind != Dc::Kind::Memory) return nullptr;
        if (!bmp->stock && bmp->selectedIn && bmp->selectedIn != dc) return nullptr;
        Bitmap* previous = dc->bitmap;
        if (previous && previous->selectedIn == dc) previous->selectedIn = nullptr;
        dc->bitmap = bmp;
        if (!bmp->stock) bmp->selectedIn = dc;
        return previous;
    }
    }
    return nullptr;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    Dc* dc = findDc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    Dc* dc = findDc(hdc);
    if (!dc) return kClrInvalid;
    COLORREF previous = dc->textColor;
    dc->textColor = color & 0x00FFFFFF;
    return previous;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    Dc* dc = findDc(hdc);
    if (!dc) return kClrInvalid;
    QImage* image = dc->image();
    // A widget cannot be read back; pixels outside the surface are invalid.
    if (!image || !image->valid(x, y)) return kClrInvalid;
    return toColorRef(image->pixel(x, y));
}
