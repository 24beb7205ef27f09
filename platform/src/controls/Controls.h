// The built-in control classes, one adapter file each.
#pragma once

#include <windows.h>

class QWidget;

namespace winapi {

struct Window;
// A plain label widget showing the window text (the STATIC control).
QWidget* createLabelWidget(Window& w, QWidget* parent);

void registerStaticClass();   // STATIC: a label
void registerButtonClass();   // BUTTON: push button, automatic check box
void registerEditClass();     // EDIT: single-line edit field
void registerComboBoxClass(); // COMBOBOX: drop-down with edit field
void registerRichEditClass(); // RICHEDIT: the console text area

// A user action on control `hwnd`: WM_COMMAND (id, code) sent to its parent,
// as Windows notifies. Changes made by code never call this.
void notifyParent(HWND hwnd, WORD code);

} // namespace winapi
