// Common controls initialisation, and the notification every control sends
// its parent when the user acts on it.
#include <commctrl.h>

#include "controls/Controls.h"
#include "core/Window.h"

namespace winapi {

void notifyParent(HWND hwnd, WORD code) {
    Window* w = findWindow(hwnd);
    if (!w || w->destroying || !w->parent) return;
    HWND parent = w->parent;
    int id = w->id;
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(hwnd));
}

} // namespace winapi

// The layer's control classes are registered when it starts; this only makes
// sure they exist, so a program may call it as often as it likes.
void WINAPI InitCommonControls(void) {
    using namespace winapi;
    if (!findClass(u"BUTTON")) registerButtonClass();
    if (!findClass(u"EDIT")) registerEditClass();
    if (!findClass(u"COMBOBOX")) registerComboBoxClass();
    if (!findClass(u"RICHEDIT")) registerRichEditClass();
    if (!findClass(u"STATIC")) registerStaticClass();
}
