#include "app/Wnd.h"

HINSTANCE g_hInstance = nullptr;

LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd;
    if (message == WM_CREATE) {
        // Bind before the object sees WM_CREATE: the object came as the
        // creation parameter.
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        wnd = static_cast<CWnd*>(cs->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wnd));
        wnd->m_hWnd = hwnd;
    } else {
        wnd = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    // Messages before WM_CREATE (WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE)
    // have no object yet and take the default path.
    if (wnd) return wnd->HandleMessage(hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd;
    if (message == WM_INITDIALOG) {
        wnd = reinterpret_cast<CWnd*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wnd));
        wnd->m_hWnd = hwnd;
    } else if (message == WM_SETFONT) {
        // Never reaches an object; the dialog manager does the default.
        return 0;
    } else {
        wnd = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (wnd) return wnd->HandleMessage(hwnd, message, wParam, lParam);
    // Unbound (before WM_INITDIALOG): answer FALSE so the dialog manager does
    // its default processing. Handing the message to DefDlgProcW here would
    // call this procedure again without end.
    return FALSE;
}
