// The root of the window object tree and the two procedures that bind a
// system window to the object that handles its messages.
#pragma once

#include <windows.h>

class CWnd {
  public:
    CWnd() = default;
    virtual ~CWnd() = default;
    // The window's messages. For a dialog the result is the dialog procedure's
    // result (nonzero: processed).
    virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;

    HWND m_hWnd = nullptr;
};

// Window procedure of the main window class; the object arrives as the
// creation parameter at WM_CREATE.
LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog procedure of every dialog; the object arrives as the init parameter
// at WM_INITDIALOG.
INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The module every resource is loaded from.
extern HINSTANCE g_hInstance;
