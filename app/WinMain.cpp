// Process entry: create the main window, then run the message loop.
#include "app/BaseWnd.h"
#include "resource.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int nCmdShow) {
    CBaseWnd mainWnd;
    if (!mainWnd.Create(hInstance, nCmdShow)) return 0;
    HACCEL hAccel = LoadAcceleratorsW(hInstance, MAKEINTRESOURCEW(IDR_ACCEL));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        // Accelerators are translated for the window the keystroke is
        // addressed to, not for the main window.
        if (!TranslateAcceleratorW(msg.hwnd, hAccel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
