#include "ui/control/BackupDlg.h"

#include <commctrl.h>

#include "app/AppMessages.h"
#include "link/PortDiscovery.h"
#include "resource.h"

// Baud rate texts; the link reads the selected index back to choose the rate.
static LPCWSTR const BAUD_TEXTS[] = {TEXT("1200"),  TEXT("2400"),  TEXT("4800"),
                                     TEXT("9600"),  TEXT("14400"), TEXT("19200"),
                                     TEXT("38400"), TEXT("57600"), TEXT("115200")};
constexpr int BAUD_DEFAULT_INDEX = 2; // 4800

// The console: a read-only rich edit area, lines not wrapped, at a fixed
// pixel place below the controls.
constexpr DWORD CONSOLE_STYLE =
    WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;
constexpr int CONSOLE_X = 20;
constexpr int CONSOLE_Y = 150;
constexpr int CONSOLE_WIDTH = 530;
constexpr int CONSOLE_HEIGHT = 140;

int CBackupDlg::Create(HWND parent) {
    return CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_CONTROL), parent, StaticDlgProc,
                              (LPARAM)this) != nullptr;
}

LRESULT CBackupDlg::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(hwnd, wParam, lParam);
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wParam), (HWND)lParam, HIWORD(wParam));
        return 0;
    case WM_PAINT:
        return OnPaint(hwnd);
    case WM_DESTROY:
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL CBackupDlg::OnInitDialog(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    m_hConsole = nullptr;
    g_nPortCount = 0;

    // The heights of these drop-down boxes include their open lists.
    MoveWindow(GetDlgItem(hwnd, IDC_PORT), 100, 0, 440, 140, TRUE);
    MoveWindow(GetDlgItem(hwnd, IDC_BAUD), 100, 30, 140, 110, TRUE);

    HWND hBaud = GetDlgItem(hwnd, IDC_BAUD);
    SendMessageW(hBaud, CB_RESETCONTENT, 0, 0);
    SendMessageW(GetDlgItem(hwnd, IDC_PORT), CB_RESETCONTENT, 0, 0);
    for (LPCWSTR text : BAUD_TEXTS)
        SendMessageW(hBaud, CB_ADDSTRING, 0, (LPARAM)text);
    HWND hField = GetDlgItem(hwnd, IDC_FILTER_FIELD);
    SendMessageW(hField, CB_ADDSTRING, 0, (LPARAM)TEXT("Speed"));
    SendMessageW(hField, CB_ADDSTRING, 0, (LPARAM)TEXT("Height"));
    HWND hOp = GetDlgItem(hwnd, IDC_FILTER_OP);
    SendMessageW(hOp, CB_ADDSTRING, 0, (LPARAM)TEXT("="));
    SendMessageW(hOp, CB_ADDSTRING, 0, (LPARAM)TEXT(">"));
    SendMessageW(hOp, CB_ADDSTRING, 0, (LPARAM)TEXT("<"));
    SendMessageW(hBaud, CB_SETCURSEL, BAUD_DEFAULT_INDEX, 0);

    // The serial ports found, then "Log File:", the first entry selected.
    EnumeratePorts(hwnd);

    InitCommonControls();
    LoadLibraryW(TEXT("RICHED32.DLL")); // stays loaded for the life of the process
    m_hConsole = CreateWindowExW(0, TEXT("RICHEDIT"), TEXT("RichEdit"), CONSOLE_STYLE, CONSOLE_X,
                                 CONSOLE_Y, CONSOLE_WIDTH, CONSOLE_HEIGHT, hwnd, nullptr,
                                 (HINSTANCE)GetWindowLongPtrW(hwnd, GWLP_HINSTANCE), nullptr);
    SetWindowTextW(m_hConsole, TEXT(""));
    SendMessageW(m_hConsole, WM_SETFOCUS, 0, 0);
    ShowWindow(m_hConsole, SW_SHOW);

    // The console's own default format; its character height stays in force
    // for every later colour change.
    m_cfConsole = CHARFORMATW{};
    m_cfConsole.cbSize = sizeof(CHARFORMATW);
    SendMessageW(m_hConsole, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&m_cfConsole);
    return TRUE;
}

// Acts on the control id alone.
void CBackupDlg::OnCommand(HWND hwnd, int id, HWND hCtl, UINT code) {
    switch (id) {
    case IDC_SCAN:
        OnScan();
        break;
    case IDC_COLD_START:
        OnReset(WMU_COLD_START);
        break;
    case IDC_START:
        OnStart();
        break;
    case IDC_SEND:
        OnSend();
        break;
    case IDC_VTG:
        PostCheckState(IDC_VTG, WMU_VTG_ON);
        break;
    case IDC_POWER_SAVE:
        PostCheckState(IDC_POWER_SAVE, WMU_POWER_SAVE_ON);
        break;
    case IDC_WAAS:
        PostCheckState(IDC_WAAS, WMU_WAAS_ON);
        break;
    case IDC_LOG_FILE:
        PostCheckState(IDC_LOG_FILE, WMU_RECORD_START);
        break;
    case IDC_AUTO:
        PostCheckState(IDC_AUTO, WMU_AUTO_SEND_START);
        break;
    case IDC_GET_VERSION:
        SendMessageW(m_hMainWnd, WMU_GET_VERSION, 0, 0);
        break;
    case IDC_FACTORY_RESET:
        OnReset(WMU_FACTORY_RESET);
        break;
    }
}

LRESULT CBackupDlg::OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    return 0;
}

void CBackupDlg::OnScan() {
    EnableItem(IDC_START, FALSE);
    EnableItem(IDC_SCAN, FALSE);
    RescanPorts(this);
    EnableItem(IDC_SCAN, TRUE);
    EnableItem(IDC_START, TRUE);
}

// ToggleLink has set m_bLinkOpen by the time the sent message returns.
void CBackupDlg::OnStart() {
    if (!SendMessageW(m_hMainWnd, WMU_TOGGLE_LINK, 0, 0)) {
        SetConsoleText(TEXT("ComPort ERROR!!"));
        return;
    }
    if (m_bLinkOpen)
        ApplyLinkOpen();
    else
        ApplyLinkClosed();
}

void CBackupDlg::OnSend() {
    if (!SendMessageW(m_hMainWnd, WMU_SEND_COMMAND, 0, 0)) SetConsoleText(TEXT("Send ERROR!!"));
}

// Cold start or factory reset: the receiver's versions are stale either way.
void CBackupDlg::OnReset(UINT message) {
    if (!SendMessageW(m_hMainWnd, message, 0, 0)) SetConsoleText(TEXT("Reset ERROR!!"));
    SetItemText(IDC_FW_VERSION, TEXT(""));
    SetItemText(IDC_P_VERSION, TEXT(""));
}

// The automatic check box has toggled already: checked posts the on message,
// unchecked the one after it.
void CBackupDlg::PostCheckState(int id, UINT onMessage) {
    LRESULT state = SendMessageW(GetDlgItem(m_hWnd, id), BM_GETCHECK, 0, 0);
    PostMessageW(m_hMainWnd, state == BST_CHECKED ? onMessage : onMessage + 1, 0, 0);
}

void CBackupDlg::ApplyLinkOpen() {
    SetItemText(IDC_CORE_VERSION, TEXT(""));
    SetItemText(IDC_FW_VERSION, TEXT(""));
    SetItemText(IDC_P_VERSION, TEXT(""));
    SetConsoleText(TEXT(""));
    SendMessageW(m_hConsole, WM_SETFOCUS, 0, 0);
    EnableItem(IDC_COLD_START, TRUE);
    EnableItem(IDC_FACTORY_RESET, TRUE);
    EnableItem(IDC_SCAN, FALSE);
    SetItemText(IDC_START, TEXT("Close GPS"));
    EnableItem(IDC_VTG, TRUE);
    EnableItem(IDC_POWER_SAVE, TRUE);
    EnableItem(IDC_WAAS, TRUE);
    EnableItem(IDC_GET_VERSION, TRUE);
    EnableItem(IDC_SEND, TRUE);
    EnableItem(IDC_COMMAND, TRUE);
    EnableItem(IDC_PORT, FALSE);
    EnableItem(IDC_BAUD, FALSE);
}

// Leaves the console and the version fields as they are.
void CBackupDlg::ApplyLinkClosed() {
    EnableItem(IDC_COLD_START, FALSE);
    EnableItem(IDC_FACTORY_RESET, FALSE);
    EnableItem(IDC_SCAN, TRUE);
    SetItemText(IDC_START, TEXT("Start GPS"));
    EnableItem(IDC_VTG, FALSE);
    EnableItem(IDC_POWER_SAVE, FALSE);
    EnableItem(IDC_WAAS, FALSE);
    EnableItem(IDC_GET_VERSION, FALSE);
    EnableItem(IDC_SEND, FALSE);
    EnableItem(IDC_COMMAND, FALSE);
    EnableItem(IDC_PORT, TRUE);
    EnableItem(IDC_BAUD, TRUE);
}

void CBackupDlg::SetConsoleText(LPCWSTR text) {
    SetWindowTextW(m_hConsole, text);
}

void CBackupDlg::EnableItem(int id, BOOL enable) {
    EnableWindow(GetDlgItem(m_hWnd, id), enable);
}

void CBackupDlg::SetItemText(int id, LPCWSTR text) {
    SetWindowTextW(GetDlgItem(m_hWnd, id), text);
}
