// The display panel: fix text, sky plot and signal bars.
#pragma once

#include "app/Wnd.h"
#include "nmea/FixRecord.h"

class CRestoreDlg : public CWnd {
  public:
    CRestoreDlg();
    ~CRestoreDlg() override = default;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Creates the panel from template IDD_DISPLAY as a child of `parent`.
    int Create(HWND parent);
    // Invalidates the whole panel without erasing it.
    void RefreshDisplay();
    // Empties the fix record: every text empty, every satellite slot zero.
    void ResetFix();
    // Copies the whole of `hBitmap` to (x, y) of `hdc` with raster operation `rop`.
    void BlitBitmap(HDC hdc, HBITMAP hBitmap, int x, int y, DWORD rop);
    // The WM_PAINT drawing: composed off screen, copied with one BitBlt.
    void PaintDisplay(HWND hWnd);

    HBRUSH m_hbrWhite = nullptr;
    HBRUSH m_hbrGreen = nullptr;
    HBRUSH m_hbrBlue = nullptr;
    HPEN m_hpenRed = nullptr;
    HPEN m_hpenBlue = nullptr;
    HPEN m_hpenGreen = nullptr;
    SatTable m_SatTable;
    FixText m_FixText;
    HBITMAP m_hSkyBitmap = nullptr;

  private:
    BOOL OnInitDialog();
    LRESULT OnPaint(HWND hwnd);
    LRESULT OnCommand();
    void OnDestroy();
    void DrawFixText(HDC hdc);
    // Draws the in-view satellites of slots first..last, one column each.
    void DrawSatellites(HDC hdc, int first, int last, int baseY, COLORREF groupColor);
    void DrawMarker(HDC hdc, int index, HPEN hPen);
};
