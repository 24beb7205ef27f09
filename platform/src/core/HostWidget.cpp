#include "core/HostWidget.h"

#include "core/MessageQueue.h"
#include "core/Window.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPaintEvent>
#include <QTimerEvent>

namespace winapi {

HostWidget::HostWidget(HWND hwnd, QWidget* parent, bool isFrame)
    : QWidget(parent), m_hwnd(hwnd), m_isFrame(isFrame) {
    setProperty(kHwndProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(hwnd)));
}

// Qt asks a top-level widget to paint its dirty region with an update
// request; while the last paint is younger than a frame interval the request
// is held back (the dirty region stays recorded) and served when the interval
// ends. A stream of received lines thus costs a few paints per second of
// screen time instead of one per line. Paints asked for synchronously
// (UpdateWindow) are not held back.
bool HostWidget::event(QEvent* event) {
    if (event->type() == QEvent::UpdateRequest && isWindow()) {
        auto now = std::chrono::steady_clock::now();
        auto due = m_lastFlush + kFrameInterval;
        if (now < due) {
            if (!m_flushTimer.isActive()) {
                auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now);
                m_flushTimer.start(static_cast<int>(wait.count()), Qt::PreciseTimer, this);
            }
            return true;
        }
        m_flushTimer.stop();
        m_lastFlush = now;
    }
    return QWidget::event(event);
}

void HostWidget::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_flushTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    flushUpdates();
}

void HostWidget::flushUpdates() {
    m_flushTimer.stop();
    m_lastFlush = std::chrono::steady_clock::now();
    QEvent request(QEvent::UpdateRequest);
    QWidget::event(&request);
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
