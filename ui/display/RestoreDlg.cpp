#include "ui/display/RestoreDlg.h"
#include "resource.h"
#include "ui/control/RecordFile.h"

namespace {

const COLORREF kWhite = 0xFFFFFF;
const COLORREF kGreen = 0x00FF00;
const COLORREF kBlue = 0xFF0000;
const COLORREF kRed = 0x0000FF;
const COLORREF kBlack = 0x000000;
const COLORREF kCyan = 0xFFFF00;
const COLORREF kMagenta = 0xFF00FF;

// Base line of each satellite group and its column grid.
const int kFirstGroupBase = 40;
const int kSecondGroupBase = 160;
const int kColumnLeft = 320;
const int kColumnPitch = 25;
const int kColumnsPerRow = 10;
const int kRowPitch = 40;
const int kBarWidth = 18;
const int kMaxUsedSnr = 50;
const int kMaxUnusedSnr = 49;

struct TextPlace {
    int left, top, right, bottom;
};

// Labels, then the fix strings, in drawing order.
const TextPlace kLabelPlaces[] = {
    {165, 5, 200, 25},    {165, 25, 200, 45},  {165, 45, 240, 65},
    {165, 65, 210, 85},   {165, 85, 210, 105}, {165, 105, 210, 125},
    {165, 125, 210, 145}, {5, 157, 35, 170},   {150, 157, 200, 170},
};
const TextPlace kFixPlaces[] = {
    {225, 5, 300, 25},   {240, 25, 300, 45},   {240, 45, 300, 65},   {240, 65, 300, 85},
    {240, 85, 300, 105}, {240, 105, 300, 125}, {240, 125, 300, 145}, {40, 157, 55, 170},
    {60, 157, 140, 170}, {185, 157, 215, 170}, {205, 157, 305, 170},
};

void DrawTextAt(HDC hdc, LPCWSTR text, int left, int top, int right, int bottom, UINT format) {
    RECT rc = {left, top, right, bottom};
    DrawTextW(hdc, text, -1, &rc, format);
}

void FillAt(HDC hdc, int left, int top, int right, int bottom, HBRUSH hbr) {
    RECT rc = {left, top, right, bottom};
    FillRect(hdc, &rc, hbr);
}

} // namespace

CRestoreDlg::CRestoreDlg() : m_SatTable{}, m_FixText{} {}

int CRestoreDlg::Create(HWND parent) {
    return CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_DISPLAY), parent, StaticDlgProc,
                              (LPARAM)this) != nullptr;
}

LRESULT CRestoreDlg::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_PAINT:
        return OnPaint(hwnd);
    case WM_COMMAND:
        return OnCommand();
    case WM_DESTROY:
        OnDestroy();
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL CRestoreDlg::OnInitDialog() {
    m_hbrWhite = CreateSolidBrush(kWhite);
    m_hbrGreen = CreateSolidBrush(kGreen);
    m_hbrBlue = CreateSolidBrush(kBlue);
    m_hpenBlue = CreatePen(PS_DASH, 2, kBlue);
    m_hpenRed = CreatePen(PS_DASH, 2, kRed);
    m_hpenGreen = CreatePen(PS_DASH, 2, kGreen);
    RefreshDisplay();
    return TRUE;
}

LRESULT CRestoreDlg::OnPaint(HWND hwnd) {
    PaintDisplay(hwnd);
    return 0;
}

LRESULT CRestoreDlg::OnCommand() {
    return 0;
}

// The brushes and pens live as long as the panel's window.
void CRestoreDlg::OnDestroy() {
    HGDIOBJ objects[] = {m_hbrWhite, m_hbrGreen, m_hbrBlue, m_hpenRed, m_hpenBlue, m_hpenGreen};
    for (HGDIOBJ object : objects)
        if (object) DeleteObject(object);
    m_hbrWhite = m_hbrGreen = m_hbrBlue = nullptr;
    m_hpenRed = m_hpenBlue = m_hpenGreen = nullptr;
}

void CRestoreDlg::RefreshDisplay() {
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    InvalidateRect(m_hWnd, &rc, FALSE);
}

void CRestoreDlg::BlitBitmap(HDC hdc, HBITMAP hBitmap, int x, int y, DWORD rop) {
    HDC hdcMem = CreateCompatibleDC(hdc);
    HGDIOBJ hOld = SelectObject(hdcMem, hBitmap);
    // A bitmap that failed to load describes nothing and copies nothing.
    BITMAP bm = {};
    if (GetObjectW(hBitmap, sizeof(bm), &bm))
        BitBlt(hdc, x, y, bm.bmWidth, bm.bmHeight, hdcMem, 0, 0, rop);
    if (hOld) SelectObject(hdcMem, hOld);
    DeleteDC(hdcMem);
}

void CRestoreDlg::PaintDisplay(HWND hWnd) {
    RECT rc;
    GetClientRect(hWnd, &rc);
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);

    // Everything is composed off screen and copied with one BitBlt.
    HDC hdcMem = CreateCompatibleDC(hdc);
    HBITMAP hbmMem = CreateCompatibleBitmap(hdc, rc.right - rc.left, rc.bottom - rc.top);
    HGDIOBJ hbmOld = SelectObject(hdcMem, hbmMem);

    SetBkMode(hdcMem, TRANSPARENT);
    FillRect(hdcMem, &rc, m_hbrWhite);
    DrawFixText(hdcMem);
    BlitBitmap(hdcMem, m_hSkyBitmap, 0, 0, SRCCOPY);
    DrawSatellites(hdcMem, 0, 32, kFirstGroupBase, kBlack);
    DrawSatellites(hdcMem, 33, SAT_TABLE_SIZE - 1, kSecondGroupBase, kCyan);

    BitBlt(hdc, 0, 0, rc.right, rc.bottom, hdcMem, 0, 0, SRCCOPY);

    SelectObject(hdcMem, hbmOld);
    DeleteObject(hbmMem);
    DeleteDC(hdcMem);
    EndPaint(hWnd, &ps);
}

void CRestoreDlg::DrawFixText(HDC hdc) {
    LPCWSTR labels[] = {TEXT("Date:"),  TEXT("Time:"),   TEXT("Direction:"),
                        TEXT("Speed:"), TEXT("Status:"), TEXT("HDOP:"),
                        TEXT("PDOP:"),  TEXT("Lat:"),    TEXT("Lon:")};
    LPCWSTR values[] = {m_FixText.szDate,  m_FixText.szTime,     m_FixText.szDirection,
                        m_FixText.szSpeed, m_FixText.szStatus,   m_FixText.szHdop,
                        m_FixText.szPdop,  m_FixText.szNS,       m_FixText.szLatitude,
                        m_FixText.szEW,    m_FixText.szLongitude};
    for (int i = 0; i < 9; i++) {
        const TextPlace& p = kLabelPlaces[i];
        DrawTextAt(hdc, labels[i], p.left, p.top, p.right, p.bottom, DT_VCENTER);
    }
    for (int i = 0; i < 11; i++) {
        const TextPlace& p = kFixPlaces[i];
        DrawTextAt(hdc, values[i], p.left, p.top, p.right, p.bottom, DT_VCENTER);
    }
}

void CRestoreDlg::DrawSatellites(HDC hdc, int first, int last, int baseY, COLORREF groupColor) {
    WCHAR szText[16];
    int n = 0;
    for (int i = first; i <= last; i++) {
        const SatSlot& slot = m_SatTable[i];
        if (!slot.bInView) continue;

        int x = kColumnLeft + kColumnPitch * (n % kColumnsPerRow);
        int y = baseY + kRowPitch * (n / kColumnsPerRow);
        SetTextColor(hdc, groupColor);

        // While recording, the shown value carries the offset unless that
        // would make it negative. Summed wide so no value can overflow.
        LONG v = slot.nSnr;
        if (g_hRecordFile != INVALID_HANDLE_VALUE) {
            LONGLONG shifted = (LONGLONG)slot.nSnr + g_nSnrOffset;
            if (shifted >= 0 && shifted <= 0x7FFFFFFF) v = (LONG)shifted;
        }

        if (slot.nSnr == 0) {
            DrawMarker(hdc, i, m_hpenRed);
        } else {
            HPEN hPen;
            if (slot.bUsed) {
                if (v > kMaxUsedSnr) v = kMaxUsedSnr;
                FillAt(hdc, x, y - 1 - v / 2, x + kBarWidth, y, m_hbrBlue);
                hPen = m_hpenBlue;
            } else {
                if (v > kMaxUnusedSnr) v = kMaxUnusedSnr;
                FillAt(hdc, x, y - 1 - v / 2, x + kBarWidth, y, m_hbrGreen);
                FillAt(hdc, x + 1, y - v / 2, x + kBarWidth - 1, y - 1, m_hbrWhite);
                hPen = m_hpenGreen;
            }
            DrawMarker(hdc, i, hPen);
            wsprintfW(szText, TEXT("%d"), (int)v);
            SetTextColor(hdc, kMagenta);
            DrawTextAt(hdc, szText, x, y - 20, x + 23, y, 0);
            SetTextColor(hdc, groupColor);
        }

        wsprintfW(szText, TEXT("%02d"), i);
        DrawTextAt(hdc, szText, x, y, x + 23, y + 50, 0);
        n++;
    }
}

// The satellite's marker on the sky plot with its number inside; a satellite
// without a sky position has none.
void CRestoreDlg::DrawMarker(HDC hdc, int index, HPEN hPen) {
    const SatSlot& slot = m_SatTable[index];
    if (slot.nX == SKY_NO_POSITION && slot.nY == SKY_NO_POSITION) return;
    HGDIOBJ hOldPen = SelectObject(hdc, hPen);
    int left = slot.nX - 11, top = slot.nY - 9, right = slot.nX + 11, bottom = slot.nY + 9;
    Ellipse(hdc, left, top, right, bottom);
    WCHAR szText[16];
    wsprintfW(szText, TEXT("%02d"), index);
    DrawTextAt(hdc, szText, left, top, right, bottom, DT_CENTER | DT_VCENTER);
    SelectObject(hdc, hOldPen);
}
