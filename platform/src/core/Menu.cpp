#include "core/Menu.h"

#include "core/Window.h"
#include "res/Resources.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace winapi {

namespace {

uint16_t rd16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Reads the items of one level of a standard menu template.
bool parseItems(const uint8_t*& p, const uint8_t* end, MenuObject& menu) {
    while (end - p >= 2) {
        MenuItem item;
        uint16_t flags = rd16(p);
        p += 2;
        if (!(flags & MF_POPUP)) {
            if (end - p < 2) return false;
            item.id = rd16(p);
            p += 2;
        }
        while (true) {
            if (end - p < 2) return false;
            uint16_t c = rd16(p);
            p += 2;
            if (!c) break;
            item.text.push_back(static_cast<char16_t>(c));
        }
        item.flags = flags & (MF_GRAYED | MF_DISABLED | MF_POPUP);
        if (flags & MF_POPUP) {
            auto* sub = new MenuObject;
            if (!parseItems(p, end, *sub)) return false;
            item.popup = reinterpret_cast<HMENU>(sub);
        }
        menu.items.push_back(item);
        if (flags & MF_END) return true;
    }
    return false;
}

void addItems(Window& w, QWidget* target, const MenuObject& menu) {
    HWND hwnd = w.hwnd;
    for (const MenuItem& item : menu.items) {
        QString text = toQString(item.text);
        if (item.popup) {
            auto* sub = new QMenu(text, target);
            addItems(w, sub, *reinterpret_cast<MenuObject*>(item.popup));
            if (auto* bar = qobject_cast<QMenuBar*>(target)) bar->addMenu(sub);
            else if (auto* m = qobject_cast<QMenu*>(target)) m->addMenu(sub);
            continue;
        }
        auto* action = new QAction(text, target);
        action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
        UINT id = item.id;
        QObject::connect(action, &QAction::triggered, [hwnd, id] {
            // A menu choice reaches the window as a posted WM_COMMAND with
            // notification code 0.
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        });
        target->addAction(action);
    }
}

} // namespace

void attachMenuBar(Window& w) {
    auto* menu = reinterpret_cast<MenuObject*>(w.menu);
    if (!menu || !w.frame) return;
    auto* bar = new QMenuBar(w.frame);
    bar->setObjectName("winapi_menubar");
    bar->setNativeMenuBar(false);
    addItems(w, bar, *menu);
}

QWidget* menuBarOf(Window& w) {
    if (!w.frame) return nullptr;
    return w.frame->findChild<QMenuBar*>("winapi_menubar", Qt::FindDirectChildrenOnly);
}

} // namespace winapi

using namespace winapi;

HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name) {
    ResourceData res;
    if (!findResource(instance, kRtMenu, name, &res) || res.size < 4) {
        SetLastError(1814);
        return nullptr;
    }
    const uint8_t* p = res.data + 4 + rd16(res.data + 2); // version, header size
    auto* menu = new MenuObject;
    if (!parseItems(p, res.data + res.size, *menu)) {
        delete menu;
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return reinterpret_cast<HMENU>(menu);
}

HMENU WINAPI GetMenu(HWND hwnd) {
    Window* w = findWindow(hwnd);
    return w && w->isTopLevel() ? w->menu : nullptr;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT id, UINT flags) {
    auto* menu = reinterpret_cast<MenuObject*>(hMenu);
    if (!menu) return static_cast<UINT>(-1);
    for (const MenuItem& item : menu->items) {
        if (item.popup) {
            UINT r = GetMenuState(item.popup, id, flags);
            if (r != static_cast<UINT>(-1)) return r;
        } else if (item.id == id) {
            return item.flags;
        }
    }
    return static_cast<UINT>(-1);
}
