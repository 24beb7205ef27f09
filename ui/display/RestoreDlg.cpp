#include "ui/display/RestoreDlg.h"
#include "resource.h"

CRestoreDlg::CRestoreDlg() : m_SatTable{}, m_FixText{} {}

int CRestoreDlg::Create(HWND parent) {
    return CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_DISPLAY), parent, StaticDlgProc,
                              (LPARAM)this) != nullptr;
}

LRESULT CRestoreDlg::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND: return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CRestoreDlg::RefreshDisplay() {
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    InvalidateRect(m_hWnd, &rc, FALSE);
}
