// The paint in progress: Qt paint events run the window's WM_PAINT
// synchronously, and BeginPaint hands out a DC on the widget being painted.
#pragma once

#include <windows.h>

#include <QRect>
#include <QWidget>

namespace winapi {

struct PaintRequest {
    HWND hwnd = nullptr;
    QWidget* widget = nullptr;
    QRect area;
};

// The paint request of the paint event now running on this thread, or null.
PaintRequest* currentPaint();

} // namespace winapi
