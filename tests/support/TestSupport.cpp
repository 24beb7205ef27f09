#include "TestSupport.h"

#include "res/Resources.h"

#include <QString>

namespace testsupport {

HWND makeWindowOfClass(LPCWSTR className, WNDPROC proc, DWORD style, int width, int height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = winapi::mainInstance();
    wc.lpszClassName = className;
    RegisterClassExW(&wc); // fails harmlessly when already registered
    return CreateWindowExW(0, className, className, style, 0, 0, width, height, nullptr, nullptr,
                           winapi::mainInstance(), nullptr);
}

void pumpMessages(int ms) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms > 0) Sleep(5);
    } while (ms > 0 && GetTickCount() - start < static_cast<DWORD>(ms));
}

int runUntilQuit() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

std::u16string u16(const char* utf8) {
    return QString::fromUtf8(utf8).toStdU16String();
}

std::string utf8(LPCWSTR text) {
    return text ? QString::fromUtf16(text).toStdString() : std::string();
}

} // namespace testsupport
