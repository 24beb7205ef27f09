#include "app/About.h"

#include "resource.h"

CAbout::CAbout(HWND hParent) {
    DialogBoxParamW(g_hInstance, MAKEINTRESOURCEW(IDD_ABOUT), hParent, StaticDlgProc,
                    reinterpret_cast<LPARAM>(this));
}

LRESULT CAbout::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
