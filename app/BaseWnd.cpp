#include "app/BaseWnd.h"

#include "app/About.h"
#include "app/AppMessages.h"
#include "link/Link.h"
#include "resource.h"
#include "ui/control/RecordFile.h"

BOOL g_bCreating = 0;

CBaseWnd::CBaseWnd() : m_stLastFix{}, m_szTitle{}, m_dwStartTick(0), m_bFixTimeShown(0) {
    // m_stLastFix stays all zero until the first RMC time: Set Time then
    // hands SetLocalTime an invalid date, which it refuses.
    m_bBusy = 0;
}

int CBaseWnd::Create(HINSTANCE hInstance, int nCmdShow) {
    g_hInstance = hInstance;
    WCHAR szClass[512];
    WCHAR szTitle[512];
    LoadStringW(hInstance, IDS_APP_TITLE, szClass, 512);
    LoadStringW(hInstance, IDS_APP_TITLE, szTitle, 512);
    RegisterWndClass(hInstance, szClass);
    HWND hwnd = CreateWindowExW(0, szClass, szTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 580, 600, nullptr, nullptr, hInstance,
                                this);
    if (!hwnd) return 0;
    m_ControlPanel.m_hMainWnd = hwnd;
    ShowWindow(hwnd, nCmdShow);
    UpdateWindow(hwnd);
    return 1;
}

void CBaseWnd::RegisterWndClass(HINSTANCE hInstance, LPCWSTR className) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(WNDCLASSEXW);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = StaticWndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_APP));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MENU);
    wc.lpszClassName = className;
    wc.hIconSm = LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_APP));
    RegisterClassExW(&wc);
}

LRESULT CBaseWnd::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_DESTROY: return OnDestroy();
    case WM_ACTIVATE: return OnActivate(wParam);
    case WM_PAINT: return OnPaint(hwnd);
    case WM_SETTINGCHANGE: return 0;
    case WM_NOTIFY: return 0;
    case WM_HELP: return 0;
    case WM_COMMAND: return OnCommand(hwnd, wParam);
    case WM_TIMER: return OnTimer(hwnd, wParam);
    case WMU_TOGGLE_LINK: return ToggleLink(hwnd);
    case WMU_COLD_START: return OnResetCommand(message);
    case WMU_SENTENCE: return HandleSentence(hwnd, reinterpret_cast<LPCWSTR>(wParam));
    case WMU_POWER_SAVE_ON: return OnSimpleCommand(message);
    case WMU_POWER_SAVE_OFF: return OnSimpleCommand(message);
    case WMU_WAAS_ON: return OnSimpleCommand(message);
    case WMU_WAAS_OFF: return OnSimpleCommand(message);
    case WMU_VTG_ON: return OnSimpleCommand(message);
    case WMU_VTG_OFF: return OnSimpleCommand(message);
    case WMU_GET_VERSION: return OnSimpleCommand(message);
    case WMU_RECORD_START: return OnRecordStart();
    case WMU_RECORD_STOP: return OnRecordStop();
    case WMU_SEND_COMMAND: return OnSendCommand();
    case WMU_AUTO_SEND_START: return OnAutoSendStart();
    case WMU_AUTO_SEND_STOP: return OnAutoSendStop();
    case WMU_FACTORY_RESET: return OnResetCommand(message);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CBaseWnd::OnCreate(HWND hwnd) {
    g_bCreating = 1;
    RECT rc;
    GetClientRect(hwnd, &rc);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    m_DisplayPanel.m_hSkyBitmap = LoadBitmapW(g_hInstance, MAKEINTRESOURCEW(IDB_SKYPLOT));
    if (!m_ControlPanel.Create(hwnd)) {
        g_bCreating = 0;
        return -1;
    }
    int split = height / 2 + 30;
    SetParent(m_ControlPanel.m_hWnd, hwnd);
    MoveWindow(m_ControlPanel.m_hWnd, 0, 0, width, split, TRUE);
    ShowWindow(m_ControlPanel.m_hWnd, SW_SHOW);
    if (!m_DisplayPanel.Create(hwnd)) {
        g_bCreating = 0;
        return -1;
    }
    SetParent(m_DisplayPanel.m_hWnd, hwnd);
    MoveWindow(m_DisplayPanel.m_hWnd, 0, split, width, height - split, TRUE);
    ShowWindow(m_DisplayPanel.m_hWnd, SW_SHOW);
    g_bCreating = 0;
    return 0;
}

LRESULT CBaseWnd::OnDestroy() {
    DeleteObject(m_DisplayPanel.m_hSkyBitmap);
    // The link closes before the record file.
    if (g_hPort != INVALID_HANDLE_VALUE) CloseLink();
    if (g_hRecordFile != INVALID_HANDLE_VALUE) {
        g_bRecording = 0;
        CloseHandle(g_hRecordFile);
        g_hRecordFile = INVALID_HANDLE_VALUE;
    }
    PostQuitMessage(0);
    return 0;
}

LRESULT CBaseWnd::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_ACTIVE && !g_bCreating) m_DisplayPanel.RefreshDisplay();
    return 0;
}

LRESULT CBaseWnd::OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT CBaseWnd::OnCommand(HWND hwnd, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDM_ABOUT: {
        CAbout about(hwnd);
        break;
    }
    case IDM_EXIT:
        if (!g_bCreating) PostMessageW(hwnd, WM_CLOSE, 0, 0);
        break;
    case IDM_SET_TIME: SetLocalTime(&m_stLastFix); break;
    }
    return 0;
}

LRESULT CBaseWnd::OnTimer(HWND hwnd, WPARAM wParam) {
    if (wParam == TIMER_AUTO_SEND) SendMessageW(hwnd, WMU_SEND_COMMAND, 0, 0);
    return 0;
}
