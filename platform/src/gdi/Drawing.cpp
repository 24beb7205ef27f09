// Filling rectangles, ellipses and bit-block transfer. Everything is drawn
// without antialiasing, on whole pixels, the way GDI draws.
#include "gdi/DeviceContext.h"
#include "gdi/Sprites.h"

#include <QPainterPath>
#include <algorithm>
#include <utility>

using namespace winapi;

namespace {
constexpr int kPsNull = 5;
constexpr int kPsInsideFrame = 6;
} // namespace

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    Dc* dc = findDc(hDC);
    Brush* brush = findGdi<Brush>(hbr, GdiType::Brush);
    if (!dc || !lprc || !brush) return 0;
    // Left and top edges are inside, right and bottom outside; an empty or
    // inverted rectangle fills nothing.
    int width = lprc->right - lprc->left;
    int height = lprc->bottom - lprc->top;
    if (width <= 0 || height <= 0 || brush->hollow) return 1;
    QRect r(lprc->left, lprc->top, width, height);
    QColor color = brush->color;
    paintOn(*dc, [&](QPainter& p) { p.fillRect(r, color); });
    return 1;
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    Dc* dc = findDc(hdc);
    if (!dc) return FALSE;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    int width = right - left;
    int height = bottom - top;
    if (width <= 0 || height <= 0) return TRUE;
    Brush* brush = dc->brush;
    Pen* pen = dc->pen;
    bool filled = brush && !brush->hollow;
    bool outlined = pen && pen->style != kPsNull;
    int w = outlined ? std::max(pen->width, 1) : 0;
    if (!filled && !outlined) return TRUE;
    // The figure covers the bounding box without its right and bottom edges:
    // the interior is filled with the brush and the outline lies inside the
    // box along its border, pen width pixels thick. It is drawn once per
    // size, pen and brush into a sprite with a margin for the outline.
    const int margin = w + 1;
    auto render = [=](QPainter& p) {
        qreal inset = w / 2.0 + margin;
        QRectF box(inset, inset, width - w, height - w);
        if (filled) {
            // Filled up to the middle of the outline, which covers the rest.
            p.setPen(Qt::NoPen);
            p.setBrush(brush->color);
            p.drawEllipse(box);
        }
        if (outlined) {
            QPen qpen(pen->color);
            qpen.setWidth(w);
            if (w == 1 && pen->style != PS_SOLID && pen->style != kPsInsideFrame) {
                // The cosmetic dash of a one-pixel pen: 18 on, 6 off (dots 3 on, 3 off).
                qpen.setDashPattern(pen->style == PS_DOT ? QList<qreal>{3, 3}
                                                         : QList<qreal>{18, 6});
            }
            p.setPen(qpen);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(box);
        }
    };
    const QString key = QString::asprintf(
        "ellipse %dx%d pen %d/%d/%08x brush %08x", width, height, outlined ? pen->style : -1, w,
        outlined ? pen->color.rgba() : 0u, filled ? brush->color.rgba() : 0u);
    QSize size(width + 2 * margin, height + 2 * margin);
    QPoint at(left - margin, top - margin);
    paintOn(*dc, [&](QPainter& p) { drawSprite(p, key, size, at, render); });
    return TRUE;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    Dc* dst = findDc(hdc);
    Dc* src = findDc(hdcSrc);
    if (!dst || !src || rop != SRCCOPY) return FALSE;
    QImage* image = src->image();
    if (!image) return FALSE; // a widget cannot be read back
    // Copy only the part of the source rectangle that lies on the source.
    QRect from = QRect(x1, y1, cx, cy).intersected(image->rect());
    if (from.isEmpty()) return TRUE;
    QPoint to(x + (from.left() - x1), y + (from.top() - y1));
    // Copying within one surface reads a snapshot, so overlaps come out
    // right; any other copy reads the source directly, with no image between.
    bool sameSurface = dst->image() == image;
    QImage snapshot = sameSurface ? image->copy(from) : QImage();
    paintOn(*dst, [&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        if (sameSurface)
            p.drawImage(to, snapshot);
        else
            p.drawImage(to, *image, from);
    });
    return TRUE;
}
