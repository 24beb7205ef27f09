// GDI objects of the layer: brushes, pens, fonts and bitmaps behind the
// handles the system holds. A handle is the object's address; every use looks
// it up in the table of live objects first, so a stale or foreign handle fails
// like it does on Windows instead of touching freed memory.
#pragma once

#include <windows.h>

#include <QColor>
#include <QFont>
#include <QImage>
#include <cstdint>

namespace winapi {

struct Dc;

enum class GdiType { Brush, Pen, Font, Bitmap };

struct GdiObject {
    explicit GdiObject(GdiType t) : type(t) {}
    virtual ~GdiObject() = default;
    GdiType type;
    bool stock = false; // never deleted; DeleteObject on it does nothing
    int selections = 0; // DCs that have it selected
};

struct Brush : GdiObject {
    Brush() : GdiObject(GdiType::Brush) {}
    QColor color;
    bool hollow = false; // NULL_BRUSH
};

struct Pen : GdiObject {
    Pen() : GdiObject(GdiType::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    QColor color;
};

struct Font : GdiObject {
    Font() : GdiObject(GdiType::Font) {}
    QFont font;
};

// A device-dependent bitmap: always 32 bits per pixel (QImage::Format_RGB32).
struct Bitmap : GdiObject {
    Bitmap() : GdiObject(GdiType::Bitmap) {}
    QImage image;
    Dc* selectedIn = nullptr; // the memory DC it is the surface of
};

// Registers a new object and returns it as its handle.
HGDIOBJ addGdiObject(GdiObject* object);
// The live object behind a handle, or null.
GdiObject* findGdiObject(HGDIOBJ handle);
template <class T> T* findGdi(HGDIOBJ handle, GdiType type) {
    GdiObject* o = findGdiObject(handle);
    return o && o->type == type ? static_cast<T*>(o) : nullptr;
}

// The stock objects a new DC starts with.
Brush* stockWhiteBrush();
Pen* stockBlackPen();
Font* systemFont();
// The 1 x 1 bitmap every new memory DC has selected.
Bitmap* stockDefaultBitmap();

QColor fromColorRef(COLORREF c);
COLORREF toColorRef(QRgb rgb);

// Diagnostics for tests: live objects that are not stock, and the number of
// bitmaps made by CreateCompatibleBitmap since start.
size_t liveGdiObjectCount();
uint64_t compatibleBitmapsCreated();
void countCompatibleBitmap();

} // namespace winapi
