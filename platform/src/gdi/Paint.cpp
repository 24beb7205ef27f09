// BeginPaint/EndPaint and GetDC/ReleaseDC. Inside a widget's paint event
// (core/Paint.h) BeginPaint hands out a DC that paints on that widget. Qt lets
// nobody paint on a widget at any other time, so a DC asked for outside it
// draws on a throwaway image of the client's size: harmless and invisible.
#include "core/Paint.h"
#include "core/Window.h"
#include "gdi/DeviceContext.h"

#include <algorithm>

using namespace winapi;

namespace {

Dc* scratchDc(HWND hwnd) {
    RECT rc{0, 0, 1, 1};
    if (hwnd) GetClientRect(hwnd, &rc);
    int w = std::clamp<int>(rc.right - rc.left, 1, 4096);
    int h = std::clamp<int>(rc.bottom - rc.top, 1, 4096);
    Dc* dc = newDc(Dc::Kind::Scratch, hwnd);
    dc->scratch = QImage(w, h, QImage::Format_RGB32);
    dc->scratch.fill(Qt::white);
    return dc;
}

} // namespace

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (!findWindow(hWnd) || !lpPaint) return nullptr;
    *lpPaint = PAINTSTRUCT{};
    PaintRequest* request = currentPaint();
    Dc* dc = nullptr;
    if (request && request->hwnd == hWnd && request->widget && !request->widget->paintingActive()) {
        dc = newDc(Dc::Kind::Paint, hWnd);
        dc->widgetPainter = new QPainter(request->widget);
        const QRect& a = request->area;
        lpPaint->rcPaint = RECT{a.left(), a.top(), a.left() + a.width(), a.top() + a.height()};
    } else {
        // WM_PAINT sent by hand, or a second BeginPaint in the same event.
        dc = scratchDc(hWnd);
        GetClientRect(hWnd, &lpPaint->rcPaint);
    }
    lpPaint->hdc = reinterpret_cast<HDC>(dc);
    lpPaint->fErase = FALSE;
    return lpPaint->hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint) return FALSE;
    Dc* dc = findDc(lpPaint->hdc);
    if (!dc || dc->kind == Dc::Kind::Memory || dc->hwnd != hWnd) return FALSE;
    freeDc(dc);
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) {
    if (hWnd && !findWindow(hWnd)) return nullptr;
    return reinterpret_cast<HDC>(scratchDc(hWnd));
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    Dc* dc = findDc(hDC);
    if (!dc || dc->kind != Dc::Kind::Scratch) return 0;
    freeDc(dc);
    return 1;
}
