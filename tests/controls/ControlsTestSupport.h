// Helpers for driving controls as a user does: mouse clicks and keystrokes
// delivered to the widgets through Qt, then the message loop pumped so key
// messages reach the controls.
#pragma once

#include <windows.h>

#include "TestSupport.h"
#include "core/Window.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <string>
#include <vector>

namespace controlstest {

inline QWidget* widgetOf(HWND hwnd) {
    winapi::Window* w = winapi::findWindow(hwnd);
    return w ? w->frame.data() : nullptr;
}

template <class T> T* widgetAs(HWND hwnd) {
    return qobject_cast<T*>(widgetOf(hwnd));
}

// A left click (press and release) at a point of the control; check boxes are
// hit on their box. A control that takes the focus on a click gets it first,
// as Qt gives it for a click that comes from the window system.
inline void click(HWND hwnd) {
    QWidget* w = widgetOf(hwnd);
    if (!w) return;
    if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus)) w->setFocus(Qt::MouseFocusReason);
    bool checkBox = w->inherits("QCheckBox");
    QPointF at(checkBox ? 6.0 : w->width() / 2.0, w->height() / 2.0);
    QPointF global = w->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

// One keystroke to the widget with the focus inside `hwnd`'s widget, then the
// loop runs so the key messages are dispatched.
inline void key(HWND hwnd, int qtKey, const QString& text = QString()) {
    QWidget* w = widgetOf(hwnd);
    if (!w) return;
    QWidget* target = w->focusProxy() ? w->focusProxy() : w;
    if (QWidget* f = w->focusWidget()) target = f;
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
    testsupport::pumpMessages();
}

// Clicks into an edit field and types `text` (printable ASCII).
inline void type(HWND hwnd, const std::string& text) {
    click(hwnd);
    for (char c : text) {
        int k = c >= 'a' && c <= 'z'   ? Qt::Key_A + (c - 'a')
                : c >= 'A' && c <= 'Z' ? Qt::Key_A + (c - 'A')
                                       : c;
        key(hwnd, k, QString(QChar(c)));
    }
}

inline std::u16string text(HWND hwnd) {
    WCHAR buf[1024] = {};
    GetWindowTextW(hwnd, buf, 1024);
    return buf;
}

// A top-level window that records the WM_COMMAND notifications its children
// send, for the control tests.
struct Notification {
    int id;
    int code;
    HWND from;
    bool operator==(const Notification&) const = default;
};

class NotifyRecorder {
  public:
    NotifyRecorder() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &NotifyRecorder::proc;
            wc.lpszClassName = u"ControlsTestParent";
            RegisterClassExW(&wc);
            registered = true;
        }
        hwnd =
            CreateWindowExW(0, u"ControlsTestParent", u"", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                            10, 10, 600, 400, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        testsupport::pumpMessages(); // the window becomes active
    }
    ~NotifyRecorder() { DestroyWindow(hwnd); }

    HWND child(LPCWSTR cls, int id, DWORD style, int x = 10, int y = 10, int w = 120, int h = 24) {
        return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    HWND hwnd = nullptr;
    std::vector<Notification> seen;

  private:
    static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<NotifyRecorder*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && m == WM_COMMAND)
            self->seen.push_back({LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)});
        return DefWindowProcW(h, m, w, l);
    }
};

} // namespace controlstest
