// libFuzzer target for everything a received byte stream reaches: the bytes
// are cut into lines as the link's reader cuts them, and each line goes to the
// hidden main window as the reader sends it (WMU_SENTENCE), so the intake, the
// RMC/GSA/GSV decoders, the control panel items and the console all see it.
#include "LineCutter.h"

#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "core/Platform.h"
#include "kernel/SleepControl.h"
#include "nmea/FieldStore.h"
#include "res/Resources.h"

#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

CBaseWnd* g_pWnd = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // No window is shown: the offscreen platform needs no display. Qt gets no
    // arguments of the fuzzer's.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static char* qtArgv[] = {(*argv)[0], nullptr};
    static int qtArgc = 1;
    winapi::initialize(qtArgc, qtArgv);
    // A speed warning would pause a second per line.
    winapi::setSleepDisabled(true);

    static CBaseWnd wnd;
    if (!wnd.Create(winapi::mainInstance(), SW_HIDE)) {
        std::fputs("sentence fuzzer: cannot create the main window\n", stderr);
        std::abort();
    }
    g_pWnd = &wnd;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBaseWnd& wnd = *g_pWnd;
    HWND hwnd = wnd.m_hWnd;
    // Every input starts from a link just opened, with the first line already
    // stamped (so it is decoded) and the field tables empty, so that a crash
    // reproduces from its input alone.
    g_FieldStore = FieldStore{};
    wnd.m_DisplayPanel.ResetFix();
    wnd.m_dwStartTick = GetTickCount() | 1;
    wnd.m_bFixTimeShown = 0;
    SetWindowTextW(wnd.m_ControlPanel.m_hConsole, TEXT(""));

    LineCutter cutter([hwnd](const WCHAR* line) {
        SendMessageW(hwnd, WMU_SENTENCE, reinterpret_cast<WPARAM>(line), 0);
    });
    cutter.feed(data, size);

    // With no message loop the console only gathers the appended text; asking
    // for the selection puts it into the document, so that path runs too.
    // Emptying the console afterwards keeps each input's memory its own.
    HWND hConsole = wnd.m_ControlPanel.m_hConsole;
    DWORD start = 0, end = 0;
    SendMessageW(hConsole, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    SetWindowTextW(hConsole, TEXT(""));
    return 0;
}
