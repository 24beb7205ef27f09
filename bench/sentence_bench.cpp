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
//                               emptied past 2000 lines).
//
// Only the loop over the lines is timed; the result is one number, lines/s.
#include "LineCutter.h"

#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "core/Platform.h"
#include "kernel/SleepControl.h"
#include "res/Resources.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "bare") && std::strcmp(argv[1], "console"))) {
        std::fputs("usage: sentence_bench bare|console LOG\n", stderr);
        return 2;
    }
    const bool console = !std::strcmp(argv[1], "console");
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
    if (console && !wnd.Create(winapi::mainInstance(), SW_HIDE)) {
        std::fputs("sentence_bench: cannot create the main window\n", stderr);
        return 1;
    }
    HWND hwnd = wnd.m_hWnd;
    wnd.m_DisplayPanel.ResetFix();
    wnd.m_dwStartTick = 0;
    wnd.m_bFixTimeShown = 0;

    long lines = 0, handled = 0;
    LineCutter cutter([&](const WCHAR* line) {
        ++lines;
        if (console)
            handled += SendMessageW(hwnd, WMU_SENTENCE, reinterpret_cast<WPARAM>(line), 0);
        else
            handled += wnd.HandleSentence(hwnd, line);
    });
    const auto start = std::chrono::steady_clock::now();
    cutter.feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (handled != lines) {
        std::fprintf(stderr, "sentence_bench: %ld of %ld lines turned away\n", lines - handled,
                     lines);
        return 1;
    }
    std::printf("%s lines=%ld seconds=%.4f lines_per_s=%.0f\n", argv[1], lines, seconds,
                lines / seconds);
    if (console) DestroyWindow(hwnd);
    return 0;
}
