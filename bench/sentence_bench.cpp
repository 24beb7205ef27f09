// Lines per second through the sentence path: the bytes of a log are cut into
// lines as the link's reader cuts them and each line is handled by the main
// window object, in one of two set-ups:
//
//   sentence_bench bare LOG     HandleSentence on a CBaseWnd that was never
//                               created: no panels, no console, no display, so
//                               every window call fails at the handle lookup.
//                               This is the cost of our own code: the line
//                               copy, the reply scans, the checksum and the
//                               RMC/GSA/GSV decoding, plus one failed handle
//                               lookup per window call.
//   sentence_bench console LOG  the main window created (hidden) as the decoder
//                               creates it, each line sent as WMU_SENTENCE: the
//                               above plus the control panel items and the
//                               rich edit console (format, line count, append,
//                               emptied past 2000 lines). Like the decoder it
//                               runs no message loop, so the console only
//                               gathers the text it would put in.
//   sentence_bench shown LOG    as console, with the main window shown and the
//                               queue pumped (PeekMessageW, DispatchMessageW)
//                               every 10 ms as the program's message loop
//                               would: the console's flushes into its document,
//                               layout and painting are counted too.
//
// Only the loop over the lines is timed; the result is one number, lines/s.
#include "LineCutter.h"

#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "core/Platform.h"
#include "kernel/SleepControl.h"
#include "res/Resources.h"

#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode != "bare" && mode != "console" && mode != "shown") {
        std::fputs("usage: sentence_bench bare|console|shown LOG\n", stderr);
        return 2;
    }
    const bool console = mode != "bare";
    const bool shown = mode == "shown";
    std::ifstream f(argv[2], std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "sentence_bench: cannot open %s\n", argv[2]);
        return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    winapi::initialize(qtArgc, argv);
    // Speed warnings would pause a second each.
    winapi::setSleepDisabled(true);

    CBaseWnd wnd;
    if (console && !wnd.Create(winapi::mainInstance(), shown ? SW_SHOW : SW_HIDE)) {
        std::fputs("sentence_bench: cannot create the main window\n", stderr);
        return 1;
    }
    HWND hwnd = wnd.m_hWnd;
    wnd.m_DisplayPanel.ResetFix();
    wnd.m_dwStartTick = 0;
    wnd.m_bFixTimeShown = 0;

    using Clock = std::chrono::steady_clock;
    auto pump = [] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    };
    if (shown) pump(); // the first paint, before timing

    long lines = 0, handled = 0;
    Clock::time_point lastPump = Clock::now();
    LineCutter cutter([&](const WCHAR* line) {
        ++lines;
        if (!console) {
            handled += wnd.HandleSentence(hwnd, line);
            return;
        }
        handled += SendMessageW(hwnd, WMU_SENTENCE, reinterpret_cast<WPARAM>(line), 0);
        if (shown && Clock::now() - lastPump >= std::chrono::milliseconds(10)) {
            pump();
            lastPump = Clock::now();
        }
    });
    const auto start = Clock::now();
    cutter.feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (shown) {
        // The text still gathered goes in (asking for the selection puts it
        // in at once) and is painted.
        DWORD selStart = 0, selEnd = 0;
        SendMessageW(wnd.m_ControlPanel.m_hConsole, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                     reinterpret_cast<LPARAM>(&selEnd));
        pump();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (handled != lines) {
        std::fprintf(stderr, "sentence_bench: %ld of %ld lines turned away\n", lines - handled,
                     lines);
        return 1;
    }
    std::printf("%s lines=%ld seconds=%.4f lines_per_s=%.0f\n", mode.c_str(), lines, seconds,
                lines / seconds);
    if (console) DestroyWindow(hwnd);
    return 0;
}
