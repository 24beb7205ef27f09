// The main window object: creates the two panels, dispatches the menu and
// accelerator commands and the internal messages, and keeps the state that
// sentence processing carries from line to line.
#pragma once

#include "app/Wnd.h"
#include "ui/control/BackupDlg.h"
#include "ui/display/RestoreDlg.h"

class CBaseWnd : public CWnd {
  public:
    CBaseWnd();
    ~CBaseWnd() override = default;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    int Create(HINSTANCE hInstance, int nCmdShow);
    void RegisterWndClass(HINSTANCE hInstance, LPCWSTR className);

    // Sentence processing (nmea/).
    int HandleSentence(HWND hwnd, LPCWSTR line);
    void DecodeRmc(LPCWSTR line, HWND hwnd);
    void ShowFixTime(HWND hwnd);
    void DecodeGsa(LPCWSTR line, HWND hwnd);
    void DecodeGsv(LPCWSTR line);

    // Link (link/).
    int ToggleLink(HWND hwnd);
    // Receiver commands (link/).
    LRESULT OnSimpleCommand(UINT message);
    LRESULT OnSendCommand();
    LRESULT OnResetCommand(UINT message);

    // Record file and auto-send (ui/control/).
    // Appends one received line (length characters) to the record file.
    void RecordLine(LPCWSTR line, int length);
    LRESULT OnRecordStart();
    LRESULT OnRecordStop();
    LRESULT OnAutoSendStart();
    LRESULT OnAutoSendStop();

    SYSTEMTIME m_stLastFix;
    BOOL m_bBusy;
    WCHAR m_szTitle[64];
    DWORD m_dwStartTick;
    BYTE m_bFixTimeShown;
    CBackupDlg m_ControlPanel;
    CRestoreDlg m_DisplayPanel;

  private:
    LRESULT OnCreate(HWND hwnd);
    LRESULT OnDestroy();
    LRESULT OnActivate(WPARAM wParam);
    LRESULT OnPaint(HWND hwnd);
    LRESULT OnCommand(HWND hwnd, WPARAM wParam);
    LRESULT OnTimer(HWND hwnd, WPARAM wParam);
};

extern BOOL g_bCreating;
