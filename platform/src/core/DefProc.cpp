// Default processing of window and dialog messages.
#include "core/Input.h"
#include "core/Window.h"

#include <algorithm>

using namespace winapi;

static HWND topLevelOf(HWND hwnd) {
    Window* w = findWindow(hwnd);
    while (w && !w->isTopLevel()) w = findWindow(w->parent);
    return w ? w->hwnd : nullptr;
}

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(hwnd);
    if (!w) return 0;
    switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_SETTEXT: {
        w->text = toU16(reinterpret_cast<LPCWSTR>(lParam));
        if (w->control)
            w->control->textChanged(*w);
        else if (w->isTopLevel() && w->frame)
            w->frame->setWindowTitle(toQString(w->text));
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* out = reinterpret_cast<LPWSTR>(lParam);
        if (!out || wParam == 0) return 0;
        if (w->control) w->control->syncTextFromWidget(*w);
        size_t n = std::min(w->text.size(), static_cast<size_t>(wParam - 1));
        std::copy_n(w->text.data(), n, out);
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        if (w->control) w->control->syncTextFromWidget(*w);
        return static_cast<LRESULT>(w->text.size());
    case WM_KEYDOWN:
    case WM_KEYUP:
        replayKey(hwnd, message, wParam);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4) {
            // Alt+F4 closes the top-level window through its system command.
            if (HWND top = topLevelOf(hwnd)) PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        }
        replayKey(hwnd, message, wParam);
        return 0;
    case WM_SYSKEYUP:
        replayKey(hwnd, message, wParam);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
        return 0;
    }
    return 0;
}

LRESULT WINAPI DefDlgProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(hwnd);
    if (!w) return 0;
    INT_PTR result = w->dlgProc ? w->dlgProc(hwnd, message, wParam, lParam) : 0;
    w = findWindow(hwnd);
    if (!w) return result;
    if (result) {
        // The dialog procedure processed it: most messages answer with the
        // DWLP_MSGRESULT value, a few with the procedure's own result.
        if (message == WM_INITDIALOG || (message >= 0x132 && message <= 0x138)) return result;
        return w->msgResult;
    }
    switch (message) {
    case WM_CLOSE:
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
        return 0;
    case WM_INITDIALOG:
    case WM_SETFONT:
    case WM_GETFONT:
        if (message == WM_SETFONT) w->font = reinterpret_cast<HFONT>(wParam);
        return message == WM_GETFONT ? reinterpret_cast<LRESULT>(w->font) : 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
