// Menus from resources, shown as the menu bar of a top-level window.
#pragma once

#include <windows.h>

#include <QWidget>
#include <string>
#include <vector>

namespace winapi {

struct Window;

struct MenuItem {
    std::u16string text;
    UINT id = 0;
    UINT flags = 0; // MF_GRAYED, MF_DISABLED, MF_POPUP
    HMENU popup = nullptr;
};

struct MenuObject {
    std::vector<MenuItem> items;
};

// Creates the window's QMenuBar from its menu; each item posts WM_COMMAND.
void attachMenuBar(Window& w);
QWidget* menuBarOf(Window& w);

} // namespace winapi
