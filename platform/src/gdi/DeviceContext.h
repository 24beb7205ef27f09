// Device contexts of the layer. A DC draws either on an image (a memory DC's
// selected bitmap, or a scratch image that nobody sees) or, between BeginPaint
// and EndPaint, through a QPainter on the widget being painted.
#pragma once

#include "gdi/GdiObjects.h"

#include <QPainter>
#include <functional>

namespace winapi {

struct Dc {
    enum class Kind {
        Memory,  // CreateCompatibleDC: draws on its selected bitmap
        Paint,   // BeginPaint inside the widget's paint event
        Scratch, // BeginPaint without a paint event, GetDC: a throwaway image
    };
    Kind kind = Kind::Memory;
    HWND hwnd = nullptr;
    QPainter* widgetPainter = nullptr; // Kind::Paint only
    QImage scratch;                    // Scratch DCs, and memory DCs with the 1 x 1 default bitmap
    Bitmap* bitmap = nullptr;          // memory DCs
    Brush* brush = nullptr;
    Pen* pen = nullptr;
    Font* font = nullptr;
    int bkMode = OPAQUE;
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;

    // The image this DC draws on, or null for a widget DC.
    QImage* image();
};

// Makes and registers a DC of `kind` with the default objects selected.
Dc* newDc(Dc::Kind kind, HWND hwnd = nullptr);
// The live DC behind a handle, or null.
Dc* findDc(HDC hdc);
// Releases the DC's selections and frees it.
void freeDc(Dc* dc);

// Runs `draw` with a painter on the DC's surface, in the DC's coordinates and
// without antialiasing. False when the DC has nothing to draw on.
bool paintOn(Dc& dc, const std::function<void(QPainter&)>& draw);

} // namespace winapi
