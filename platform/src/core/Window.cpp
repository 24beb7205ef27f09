// Window objects: classes, creation and destruction, long values, text,
// geometry, visibility, enabled state, parents and focus.
#include "core/Window.h"

#include "core/Accessibility.h"
#include "core/HostWidget.h"
#include "core/Menu.h"
#include "core/MessageQueue.h"
#include "core/Paint.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>

namespace winapi {

namespace {

std::mutex g_tableMutex;
std::unordered_map<uintptr_t, std::unique_ptr<Window>> g_windows;
uintptr_t g_nextHandle = 0x10010;
std::map<std::u16string, std::unique_ptr<WindowClass>> g_classes;
HWND g_focus = nullptr;
thread_local PaintRequest* t_paint = nullptr;

std::u16string upper(std::u16string s) {
    for (auto& c : s)
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    return s;
}

QColor sysColor(HBRUSH brush) {
    // COLOR_WINDOW + 1 paints white, dialogs the button face.
    if (reinterpret_cast<uintptr_t>(brush) == COLOR_WINDOW + 1) return QColor(255, 255, 255);
    return QColor(240, 240, 240);
}

} // namespace

std::u16string toU16(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }
QString toQString(const std::u16string& s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
QString toQString(LPCWSTR s) { return s ? QString::fromUtf16(s) : QString(); }
std::u16string fromQString(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size());
}

Window* findWindow(HWND hwnd) {
    if (!hwnd) return nullptr;
    std::lock_guard<std::mutex> lock(g_tableMutex);
    auto it = g_windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == g_windows.end() ? nullptr : it->second.get();
}

Window* findWindowForWidget(const QWidget* widget) {
    for (const QWidget* p = widget; p; p = p->parentWidget()) {
        QVariant v = p->property(kHwndProperty);
        if (v.isValid()) return findWindow(reinterpret_cast<HWND>(v.value<quintptr>()));
    }
    return nullptr;
}

void registerBuiltinClass(const std::u16string& name, WNDPROC proc,
                          QWidget* (*createWidget)(Window&, QWidget*), bool isDialog) {
    auto cls = std::make_unique<WindowClass>();
    cls->name = name;
    cls->proc = proc;
    cls->createWidget = createWidget;
    cls->isDialog = isDialog;
    g_classes[upper(name)] = std::move(cls);
}

WindowClass* findClass(LPCWSTR name) {
    if (!name) return nullptr;
    std::u16string key;
    if (IS_INTRESOURCE(name)) {
        // Atoms of the predefined dialog control classes.
        switch (reinterpret_cast<uintptr_t>(name)) {
        case 0x80: key = u"BUTTON"; break;
        case 0x81: key = u"EDIT"; break;
        case 0x82: key = u"STATIC"; break;
        case 0x85: key = u"COMBOBOX"; break;
        default: return nullptr;
        }
    } else {
        key = upper(name);
    }
    auto it = g_classes.find(key);
    return it == g_classes.end() ? nullptr : it->second.get();
}

RECT clientRectOf(const Window& w) {
    LONG width = w.rect.right - w.rect.left;
    LONG height = w.rect.bottom - w.rect.top;
    if (w.isTopLevel() && (w.style & WS_CAPTION) == WS_CAPTION) {
        width -= 2 * kFrameBorder;
        height -= 2 * kFrameBorder + kCaptionHeight + (w.menu ? kMenuHeight : 0);
    }
    RECT rc{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
    return rc;
}

PaintRequest* currentPaint() { return t_paint; }

std::vector<HWND> topLevelWindows() {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    std::vector<HWND> out;
    for (auto& [h, w] : g_windows)
        if (w->isTopLevel() && !w->destroying) out.push_back(w->hwnd);
    std::sort(out.begin(), out.end());
    return out;
}

void paintWindow(Window& w, QWidget* widget, const QRect& area) {
    PaintRequest request{w.hwnd, widget, area};
    PaintRequest* outer = t_paint;
    t_paint = &request;
    SendMessageW(w.hwnd, WM_PAINT, 0, 0);
    t_paint = outer;
}

// Applies the outer rectangle and visibility to the widgets.
static void applyGeometry(Window& w) {
    if (!w.frame) return;
    if (w.isTopLevel()) {
        RECT rc = clientRectOf(w);
        int menuH = w.menu ? kMenuHeight : 0;
        w.frame->setFixedSize(rc.right, rc.bottom + menuH);
        if (w.client && w.client != w.frame) w.client->setGeometry(0, menuH, rc.right, rc.bottom);
        if (QWidget* bar = menuBarOf(w)) bar->setGeometry(0, 0, rc.right, menuH);
        if (w.rect.left != CW_USEDEFAULT && w.rect.left > -10000)
            w.frame->move(w.rect.left + kFrameBorder, w.rect.top + kFrameBorder + kCaptionHeight);
    } else {
        QRect r(w.rect.left, w.rect.top, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top);
        if (w.control)
            w.control->applyGeometry(w, w.frame, r);
        else
            w.frame->setGeometry(r);
    }
}

static QWidget* parentClientWidget(HWND parent) {
    Window* p = findWindow(parent);
    return p ? p->client.data() : nullptr;
}

} // namespace winapi

using namespace winapi;

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (findClass(wc->lpszClassName)) {
        SetLastError(1410); // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    auto cls = std::make_unique<WindowClass>();
    cls->name = toU16(wc->lpszClassName);
    cls->proc = wc->lpfnWndProc;
    cls->style = wc->style;
    cls->instance = wc->hInstance;
    cls->icon = wc->hIcon;
    cls->iconSmall = wc->hIconSm;
    cls->background = wc->hbrBackground;
    if (wc->lpszMenuName) {
        cls->menuName = IS_INTRESOURCE(wc->lpszMenuName)
                            ? u"#" + fromQString(QString::number(reinterpret_cast<uintptr_t>(wc->lpszMenuName)))
                            : toU16(wc->lpszMenuName);
    }
    static ATOM nextAtom = 0xC000;
    g_classes[upper(cls->name)] = std::move(cls);
    return nextAtom++;
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    WindowClass* cls = findClass(className);
    if (!cls) {
        SetLastError(1407); // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    Window* parentWnd = findWindow(parent);
    if ((style & WS_CHILD) && !parentWnd) {
        SetLastError(1406); // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }

    auto owned = std::make_unique<Window>();
    Window& w = *owned;
    {
        std::lock_guard<std::mutex> lock(g_tableMutex);
        w.hwnd = reinterpret_cast<HWND>(g_nextHandle);
        g_nextHandle += 4;
        g_windows[reinterpret_cast<uintptr_t>(w.hwnd)] = std::move(owned);
    }
    w.cls = cls;
    w.proc = cls->proc;
    w.parent = parent;
    w.style = style & ~WS_VISIBLE;
    w.exStyle = exStyle;
    w.instance = instance;
    w.thread = std::this_thread::get_id();
    w.text = (windowName && !IS_INTRESOURCE(windowName)) ? toU16(windowName) : std::u16string();
    w.enabled = (style & WS_DISABLED) == 0;
    if (style & WS_CHILD) {
        w.id = static_cast<int>(reinterpret_cast<intptr_t>(menu));
        parentWnd->children.push_back(w.hwnd);
    } else {
        w.menu = menu;
        if (!w.menu && !cls->menuName.empty()) {
            if (cls->menuName[0] == u'#')
                w.menu = LoadMenuW(cls->instance,
                                   MAKEINTRESOURCEW(toQString(cls->menuName.substr(1)).toInt()));
            else
                w.menu = LoadMenuW(cls->instance, cls->menuName.c_str());
        }
    }
    if (!(style & WS_CHILD) && x == CW_USEDEFAULT) {
        x = 26;
        y = 26;
    }
    if (width == CW_USEDEFAULT) {
        width = 400;
        height = 300;
    }
    w.rect = RECT{x, y, x + width, y + height};

    // The widget.
    if (cls->createWidget) {
        w.frame = cls->createWidget(w, parentClientWidget(parent));
        w.frame->setProperty(kHwndProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(w.hwnd)));
        w.client = w.frame;
    } else if (style & WS_CHILD) {
        auto* host = new HostWidget(w.hwnd, parentClientWidget(parent), false);
        w.frame = host;
        w.client = host;
    } else {
        auto* frame = new HostWidget(w.hwnd, nullptr, true);
        Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
        if (style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
        if (cls->isDialog || (style & WS_POPUP)) flags |= Qt::Dialog;
        frame->setWindowFlags(flags);
        frame->setWindowTitle(toQString(w.text));
        auto* client = new HostWidget(w.hwnd, frame, false);
        w.frame = frame;
        w.client = client;
        if (w.menu) attachMenuBar(w);
        client->setFocusPolicy(Qt::StrongFocus);
    }
    if (!cls->createWidget) {
        QPalette pal = w.client->palette();
        pal.setColor(QPalette::Window, sysColor(cls->isDialog ? nullptr : cls->background));
        w.client->setPalette(pal);
        w.client->setAutoFillBackground(true);
    }
    w.frame->setEnabled(w.enabled);
    // Every window starts hidden; Qt would otherwise show a child that was
    // never hidden explicitly together with its parent.
    if (style & WS_CHILD) w.frame->setVisible(false);
    applyGeometry(w);

    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;

    HWND hwnd = w.hwnd;
    if (!(style & WS_CHILD)) {
        MINMAXINFO mmi{};
        SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    }
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        if (findWindow(hwnd)) DestroyWindow(hwnd);
        return nullptr;
    }
    RECT nc = w.rect;
    SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&nc));
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (findWindow(hwnd)) DestroyWindow(hwnd);
        return nullptr;
    }
    if (!findWindow(hwnd)) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

namespace winapi {

static void sendDestroy(HWND hwnd) {
    Window* w = findWindow(hwnd);
    if (!w) return;
    w->destroying = true;
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    w = findWindow(hwnd);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (HWND c : kids) sendDestroy(c);
}

static void destroyRecursive(HWND hwnd) {
    Window* w = findWindow(hwnd);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (HWND c : kids) destroyRecursive(c);
    w = findWindow(hwnd);
    if (!w) return;
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    forgetWindowMessages(hwnd);
    std::unique_ptr<Window> owned;
    {
        std::lock_guard<std::mutex> lock(g_tableMutex);
        auto it = g_windows.find(reinterpret_cast<uintptr_t>(hwnd));
        if (it == g_windows.end()) return;
        owned = std::move(it->second);
        g_windows.erase(it);
    }
    if (Window* p = findWindow(owned->parent)) {
        auto& v = p->children;
        v.erase(std::remove(v.begin(), v.end(), hwnd), v.end());
    }
    if (g_focus == hwnd) g_focus = nullptr;
    // A top-level window's menu is destroyed with it, as on Windows (its menu
    // bar's actions keep only the window handle and the item id).
    if (owned->isTopLevel() && owned->menu) {
        delete reinterpret_cast<MenuObject*>(owned->menu);
        owned->menu = nullptr;
    }
    if (owned->frame) {
        QWidget* widget = owned->frame;
        widget->setProperty(kHwndProperty, QVariant());
        for (QWidget* child : widget->findChildren<QWidget*>())
            child->setProperty(kHwndProperty, QVariant());
        widget->hide();
        // Deleted later: the destruction may run inside one of its own events.
        widget->deleteLater();
    }
}

} // namespace winapi

BOOL WINAPI DestroyWindow(HWND hwnd) {
    Window* w = findWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->destroying) return TRUE;
    // Owned top-level windows go first, as on Windows.
    std::vector<HWND> owned;
    {
        std::lock_guard<std::mutex> lock(g_tableMutex);
        for (auto& [h, other] : g_windows)
            if (other->isTopLevel() && other->parent == hwnd) owned.push_back(other->hwnd);
    }
    for (HWND o : owned) DestroyWindow(o);
    if (w->visible && w->frame) w->frame->hide();
    sendDestroy(hwnd);
    destroyRecursive(hwnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) { return findWindow(hwnd) != nullptr; }

LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index) {
    Window* w = findWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_USERDATA: return w->userData;
    case GWL_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0) | (w->enabled ? 0 : WS_DISABLED));
    case GWL_EXSTYLE: return w->exStyle;
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    }
    if (w->cls && w->cls->isDialog && index == DWLP_MSGRESULT) return w->msgResult;
    SetLastError(1413); // ERROR_INVALID_INDEX
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    Window* w = findWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = GetWindowLongPtrW(hwnd, index);
    switch (index) {
    case GWL_USERDATA: w->userData = value; break;
    case GWL_ID: w->id = static_cast<int>(value); break;
    case GWL_STYLE: w->style = static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_DISABLED); break;
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); break;
    case GWL_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWL_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    default:
        if (w->cls && w->cls->isDialog && index == DWLP_MSGRESULT) w->msgResult = value;
    }
    return old;
}

LONG WINAPI GetWindowLongW(HWND hwnd, int index) {
    return static_cast<LONG>(GetWindowLongPtrW(hwnd, index));
}
LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value) {
    return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

HWND WINAPI GetDlgItem(HWND dlg, int id) {
    Window* w = findWindow(dlg);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND c : w->children) {
        Window* cw = findWindow(c);
        if (cw && cw->id == id) return c;
    }
    SetLastError(1421); // ERROR_CONTROL_ID_NOT_FOUND
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
    Window* w = findWindow(hwnd);
    return w ? w->id : 0;
}

HWND WINAPI GetParent(HWND hwnd) {
    Window* w = findWindow(hwnd);
    return w ? w->parent : nullptr;
}

HWND WINAPI SetParent(HWND child, HWND newParent) {
    Window* w = findWindow(child);
    Window* p = findWindow(newParent);
    if (!w || (newParent && !p)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND old = w->parent;
    if (Window* op = findWindow(old)) {
        auto& v = op->children;
        v.erase(std::remove(v.begin(), v.end(), child), v.end());
    }
    w->parent = newParent;
    if (p) {
        if (w->isTopLevel()) {
            // SetParent makes a child in effect; mirror it in the widget tree.
            w->style |= WS_CHILD;
        }
        p->children.push_back(child);
        if (w->frame) {
            w->frame->setParent(p->client);
            applyGeometry(*w);
            w->frame->setVisible(w->visible);
        }
    }
    return old ? old : reinterpret_cast<HWND>(0);
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    Window* w = findWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->rect = RECT{x, y, x + width, y + height};
    applyGeometry(*w);
    RECT rc = clientRectOf(*w);
    SendMessageW(hwnd, WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
    if (repaint && w->frame) w->frame->update();
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    Window* w = findWindow(hwnd);
    if (!w || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = clientRectOf(*w);
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    Window* w = findWindow(hwnd);
    if (!w || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = w->rect;
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmd) {
    Window* w = findWindow(hwnd);
    if (!w) return FALSE;
    BOOL wasVisible = w->visible;
    bool show = cmd != SW_HIDE;
    if (show != w->visible) SendMessageW(hwnd, WM_SHOWWINDOW, show, 0);
    w = findWindow(hwnd);
    if (!w) return wasVisible;
    w->visible = show;
    if (w->frame) {
        w->frame->setVisible(show);
        if (show != (wasVisible != FALSE)) accessibleVisibilityChanged(*w, show);
        if (show && w->isTopLevel()) {
            w->frame->raise();
            w->frame->activateWindow();
        }
    }
    return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    for (Window* w = findWindow(hwnd); w; w = w->isTopLevel() ? nullptr : findWindow(w->parent)) {
        if (!w->visible) return FALSE;
        if (w->isTopLevel()) return TRUE;
    }
    return findWindow(hwnd) != nullptr;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    Window* w = findWindow(hwnd);
    if (!w) return FALSE;
    if (w->client && w->client->isVisible()) w->client->repaint();
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    Window* w = findWindow(hwnd);
    if (!w) return FALSE;
    if (!w->client) return TRUE;
    if (rect)
        w->client->update(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
    else
        w->client->update();
    return TRUE;
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = findWindow(hwnd);
    if (!w) return FALSE;
    BOOL wasDisabled = !w->enabled;
    bool en = enable != FALSE;
    if (en != w->enabled) {
        w->enabled = en;
        if (!en && w->frame) {
            // Disabling the focused control leaves the focus nowhere, as on
            // Windows; Qt would hand it on to the next control.
            QWidget* f = QApplication::focusWidget();
            if (f && (f == w->frame || w->frame->isAncestorOf(f))) f->clearFocus();
        }
        if (w->frame) w->frame->setEnabled(en);
        if (!en && g_focus == hwnd) g_focus = nullptr;
        SendMessageW(hwnd, WM_ENABLE, en, 0);
    }
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    Window* w = findWindow(hwnd);
    return w && w->enabled;
}

BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!findWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return static_cast<BOOL>(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")));
}

int WINAPI GetWindowTextW(HWND hwnd, LPWSTR buffer, int max) {
    if (!buffer || max <= 0) return 0;
    buffer[0] = 0;
    if (!findWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, max, reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthW(HWND hwnd) {
    if (!findWindow(hwnd)) return 0;
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND WINAPI GetFocus(void) {
    if (g_focus && !findWindow(g_focus)) g_focus = nullptr;
    return g_focus;
}

namespace winapi {
// Keeps the layer's focus in step with Qt's when the user clicks a control.
void noteFocus(HWND hwnd) { g_focus = hwnd; }
} // namespace winapi

HWND WINAPI SetFocus(HWND hwnd) {
    HWND old = GetFocus();
    Window* w = findWindow(hwnd);
    if (hwnd && !w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (hwnd == old) return old;
    if (old) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    g_focus = hwnd;
    w = findWindow(hwnd);
    if (w) {
        QWidget* target = w->client ? w->client.data() : w->frame.data();
        if (target) {
            if (target->focusPolicy() == Qt::NoFocus) target->setFocusPolicy(Qt::ClickFocus);
            target->setFocus(Qt::OtherFocusReason);
        }
        SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
    return old;
}

HWND WINAPI GetActiveWindow(void) {
    QWidget* active = QApplication::activeWindow();
    Window* w = findWindowForWidget(active);
    return w ? w->hwnd : nullptr;
}

int WINAPI GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CYCAPTION: return kCaptionHeight;
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME: return kFrameBorder;
    case SM_CYMENU: return kMenuHeight;
    }
    return 0;
}
