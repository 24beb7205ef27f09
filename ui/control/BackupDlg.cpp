#include "ui/control/BackupDlg.h"
#include "resource.h"

int CBackupDlg::Create(HWND parent) {
    return CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_CONTROL), parent, StaticDlgProc,
                              (LPARAM)this) != nullptr;
}

LRESULT CBackupDlg::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND: return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
