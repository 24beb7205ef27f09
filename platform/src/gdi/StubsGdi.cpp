// Placeholder definitions until this area is implemented; delete entries as they land.
#include <windows.h>

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) { return {}; }
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) { return {}; }
HDC WINAPI GetDC(HWND hWnd) { return {}; }
int WINAPI ReleaseDC(HWND hWnd, HDC hDC) { return {}; }
HDC WINAPI CreateCompatibleDC(HDC hdc) { return {}; }
HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) { return {}; }
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) { return {}; }
BOOL WINAPI DeleteDC(HDC hdc) { return {}; }
BOOL WINAPI DeleteObject(HGDIOBJ ho) { return {}; }
int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) { return {}; }
HGDIOBJ WINAPI GetStockObject(int i) { return {}; }
BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) { return {}; }
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) { return {}; }
HBRUSH WINAPI CreateSolidBrush(COLORREF color) { return {}; }
HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) { return {}; }
BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) { return {}; }
int WINAPI SetBkMode(HDC hdc, int mode) { return {}; }
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) { return {}; }
int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) { return {}; }
COLORREF WINAPI GetPixel(HDC hdc, int x, int y) { return {}; }
HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) { return {}; }

