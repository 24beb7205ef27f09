// Placeholder definitions until this area is implemented; delete entries as they land.
#include <commctrl.h>

void WINAPI InitCommonControls(void) { }

#include "controls/Controls.h"
#include "core/Window.h"
namespace winapi {
static LRESULT CALLBACK stubProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
void registerButtonClass() { registerBuiltinClass(u"BUTTON", stubProc, createLabelWidget); }
void registerEditClass() { registerBuiltinClass(u"EDIT", stubProc, createLabelWidget); }
void registerComboBoxClass() { registerBuiltinClass(u"COMBOBOX", stubProc, createLabelWidget); }
void registerRichEditClass() { registerBuiltinClass(u"RICHEDIT", stubProc, createLabelWidget); }
} // namespace winapi
