#include "core/Input.h"

#include "core/HostWidget.h"
#include "core/MessageQueue.h"
#include "core/Window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <map>
#include <memory>

namespace winapi {

namespace {

struct PendingKey {
    std::unique_ptr<QKeyEvent> event;
    QPointer<QWidget> widget;
};

std::map<DWORD, PendingKey> g_pending; // UI thread only
DWORD g_nextSerial = 1;
const MSG* t_dispatching = nullptr;
QKeyEvent* g_replaying = nullptr;
Qt::KeyboardModifiers g_modifiers;

// The layer window a keystroke belongs to. A widget inside a top-level window
// that is not one of ours (the open-file dialog, a combo box's drop-down list)
// belongs to none: Qt hands it its keys directly. Otherwise the keys of the
// file dialog would be queued for its owner, whose loop does not run while
// the dialog is open, and the operator could not type a file name.
Window* keyWindowOf(QWidget* widget) {
    for (QWidget* p = widget; p; p = p->parentWidget()) {
        if (p->property(kHwndProperty).isValid()) return findWindowForWidget(p);
        if (p->isWindow()) return nullptr;
    }
    return nullptr;
}

class InputFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto type = event->type();
        if (type == QEvent::FocusIn) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (Window* w = findWindowForWidget(widget)) noteFocus(w->hwnd);
            return false;
        }
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key == g_replaying) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        Window* w = keyWindowOf(widget);
        if (!w) return false;
        bool alt = key->modifiers() & Qt::AltModifier;
        MSG m{};
        m.hwnd = w->hwnd;
        if (type == QEvent::KeyPress)
            m.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        else
            m.message = alt ? WM_SYSKEYUP : WM_KEYUP;
        m.wParam = static_cast<WPARAM>(virtualKeyOf(key->key()));
        m.lParam = 1 | (static_cast<LPARAM>(key->nativeScanCode() & 0xFF) << 16) |
                   (type == QEvent::KeyRelease ? (LPARAM(3) << 30) : 0) | (alt ? (LPARAM(1) << 29) : 0);
        m.time = GetTickCount();
        m.lPrivate = g_nextSerial++;
        PendingKey pending;
        pending.event = std::make_unique<QKeyEvent>(type, key->key(), key->modifiers(), key->text(),
                                                    key->isAutoRepeat(), key->count());
        pending.widget = widget;
        g_pending[m.lPrivate] = std::move(pending);
        // Bound the bookkeeping if nobody ever dispatches the messages.
        while (g_pending.size() > 256) g_pending.erase(g_pending.begin());
        postInput(m);
        return true;
    }
};

} // namespace

void installInputFilter() {
    static InputFilter* filter = nullptr;
    if (!filter) {
        filter = new InputFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

void noteRetrieved(const MSG& msg) {
    auto it = g_pending.find(msg.lPrivate);
    if (msg.lPrivate && it != g_pending.end()) g_modifiers = it->second.event->modifiers();
}

DispatchScope::DispatchScope(const MSG& msg) : m_outer(t_dispatching) { t_dispatching = &msg; }
DispatchScope::~DispatchScope() {
    const MSG* msg = t_dispatching;
    t_dispatching = m_outer;
    if (msg && msg->lPrivate && !m_outer) g_pending.erase(msg->lPrivate);
}

bool replayKey(HWND hwnd, UINT message, WPARAM wParam) {
    const MSG* msg = t_dispatching;
    if (!msg || !msg->lPrivate || msg->hwnd != hwnd || msg->message != message || msg->wParam != wParam)
        return false;
    auto it = g_pending.find(msg->lPrivate);
    if (it == g_pending.end() || !it->second.widget) return false;
    QKeyEvent* event = it->second.event.get();
    QWidget* widget = it->second.widget;
    if (dynamic_cast<HostWidget*>(widget)) return false; // plain windows have no key behaviour
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                   event->count());
    g_replaying = &copy;
    QCoreApplication::sendEvent(widget, &copy);
    g_replaying = nullptr;
    return true;
}

int virtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    }
    return 0;
}

} // namespace winapi

using namespace winapi;

short WINAPI GetKeyState(int vk) {
    Qt::KeyboardModifier mod;
    switch (vk) {
    case VK_CONTROL: mod = Qt::ControlModifier; break;
    case VK_SHIFT: mod = Qt::ShiftModifier; break;
    case VK_MENU: mod = Qt::AltModifier; break;
    default: return 0;
    }
    return (g_modifiers & mod) ? static_cast<short>(0x8000) : 0;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    auto it = g_pending.find(msg->lPrivate);
    if (!msg->lPrivate || it == g_pending.end()) return FALSE;
    QString text = it->second.event->text();
    if (text.isEmpty()) return FALSE;
    // WM_CHAR carries the character; default processing ignores it because
    // the key message already delivered the text to the widget.
    MSG ch = *msg;
    ch.message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    ch.wParam = text.at(0).unicode();
    ch.lPrivate = 0;
    postInput(ch);
    return TRUE;
}

int WINAPI TranslateAcceleratorW(HWND hwnd, HACCEL table, LPMSG msg) {
    if (!hwnd || !table || !msg) return 0;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return 0;
    auto it = g_pending.find(msg->lPrivate);
    Qt::KeyboardModifiers mods = (msg->lPrivate && it != g_pending.end()) ? it->second.event->modifiers()
                                                                          : g_modifiers;
    bool ctrl = mods & Qt::ControlModifier;
    bool shift = mods & Qt::ShiftModifier;
    bool alt = mods & Qt::AltModifier;
    // The table is the ACCELTABLEENTRY array of the resource: flags, key,
    // command, padding; the last entry has bit 0x80 in its flags.
    const auto* p = reinterpret_cast<const BYTE*>(table);
    for (int i = 0; i < 512; ++i, p += 8) {
        WORD flags = static_cast<WORD>(p[0] | (p[1] << 8));
        WORD key = static_cast<WORD>(p[2] | (p[3] << 8));
        WORD cmd = static_cast<WORD>(p[4] | (p[5] << 8));
        if ((flags & FVIRTKEY) && key == msg->wParam && ctrl == ((flags & FCONTROL) != 0) &&
            shift == ((flags & FSHIFT) != 0) && alt == ((flags & FALT) != 0)) {
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(cmd, 1), 0);
            return 1;
        }
        if (flags & 0x80) break;
    }
    return 0;
}
