#include "core/HostWidget.h"

#include "core/MessageQueue.h"
#include "core/Window.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPaintEvent>

namespace winapi {

HostWidget::HostWidget(HWND hwnd, QWidget* parent, bool isFrame)
    : QWidget(parent), m_hwnd(hwnd), m_isFrame(isFrame) {
    setProperty(kHwndProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(hwnd)));
}

void HostWidget::paintEvent(QPaintEvent* event) {
    if (m_isFrame) return;
    Window* w = findWindow(m_hwnd);
    if (w) paintWindow(*w, this, event->rect());
}

void HostWidget::closeEvent(QCloseEvent* event) {
    // The close box: Windows turns it into WM_SYSCOMMAND SC_CLOSE, whose
    // default processing sends WM_CLOSE. The window decides; Qt never closes.
    event->ignore();
    Window* w = findWindow(m_hwnd);
    if (w) PostMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void HostWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isWindow()) {
        Window* w = findWindow(m_hwnd);
        if (w && !w->destroying) {
            bool active = isActiveWindow();
            SendMessageW(m_hwnd, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
            // As Windows does after activation: when the focus is not inside
            // the newly active window, the window itself takes it.
            if (active) {
                HWND focus = GetFocus();
                Window* f = findWindow(focus);
                bool inside = false;
                for (Window* p = f; p; p = findWindow(p->parent)) {
                    if (p->hwnd == m_hwnd) {
                        inside = true;
                        break;
                    }
                    if (p->isTopLevel()) break;
                }
                if (!inside) SetFocus(m_hwnd);
            }
        }
    }
    QWidget::changeEvent(event);
}


} // namespace winapi
