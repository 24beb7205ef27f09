// The control panel: port and baud selection, link button, receiver commands,
// version fields, record controls and the console.
#pragma once

#include <richedit.h>

#include "app/Wnd.h"

class CBackupDlg : public CWnd {
  public:
    CBackupDlg() = default;
    ~CBackupDlg() override = default;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Creates the panel from template IDD_CONTROL as a child of `parent`.
    int Create(HWND parent);
    // Sets the colour (0x00BBGGRR) of the text inserted into the console next.
    void SetConsoleColor(COLORREF color);
    // Replaces everything the console holds with `text`.
    void SetConsoleText(LPCWSTR text);

    CHARFORMATW m_cfConsole = {};
    HWND m_hConsole = nullptr;
    HWND m_hMainWnd = nullptr;
    int m_bLinkOpen = 0;
    int m_bScanning = 0;

  private:
    BOOL OnInitDialog(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void OnCommand(HWND hwnd, int id, HWND hCtl, UINT code);
    LRESULT OnPaint(HWND hwnd);
    void OnScan();
    void OnStart();
    void OnSend();
    void OnReset(UINT message);
    void PostCheckState(int id, UINT onMessage);
    void ApplyLinkOpen();
    void ApplyLinkClosed();
    void EnableItem(int id, BOOL enable);
    void SetItemText(int id, LPCWSTR text);
};
