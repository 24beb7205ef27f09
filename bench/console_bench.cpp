// Lines per second into the console (the RICHEDIT control) as sentence intake
// writes them: EM_GETLINECOUNT (emptied past 2000 lines), EM_SETCHARFORMAT
// with the line's colour, EM_REPLACESEL with the line. The console lives in a
// shown window on Qt's offscreen platform.
//
//   console_bench            the messages alone: the loop never returns to Qt
//   console_bench --paint    Qt's events are processed after every line, as
//                            when lines arrive one by one: the console puts the
//                            gathered text in and repaints once per interval
//   console_bench --each     every line is put into the document (EM_GETSEL
//                            asks for it) and painted before the next one
//
// Each run ends with the console's text in place and painted, inside the
// timed span.
// Prints the median of repeated runs, in lines/s.
#include <richedit.h>

#include "core/Platform.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kLinesPerRun = 20000;
constexpr int kRuns = 7;
constexpr LRESULT kMaxLines = 2000;

const char* const kSample[] = {
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
    "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n",
    "$GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n",
    "$GPGSV,3,2,12,15,12,044,38,17,55,157,50,19,31,256,42,22,03,111,*7B\r\n",
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n",
    "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n",
};

LRESULT CALLBACK hostProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

} // namespace

int main(int argc, char** argv) {
    const bool each = argc > 1 && !std::strcmp(argv[1], "--each");
    const bool paint = each || (argc > 1 && !std::strcmp(argv[1], "--paint"));
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    winapi::initialize(qtArgc, argv);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = hostProc;
    wc.lpszClassName = u"ConsoleBenchHost";
    RegisterClassExW(&wc);
    HWND host =
        CreateWindowExW(0, u"ConsoleBenchHost", u"bench", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                        0, 0, 580, 600, nullptr, nullptr, nullptr, nullptr);
    HWND console = CreateWindowExW(0, u"RICHEDIT", u"RichEdit",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE |
                                       ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY,
                                   20, 150, 530, 140, host, nullptr, nullptr, nullptr);
    QCoreApplication::processEvents();

    std::vector<std::u16string> lines;
    for (const char* s : kSample)
        lines.emplace_back(s, s + std::strlen(s));
    CHARFORMATW cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(console, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_COLOR | CFM_FACE;
    std::memcpy(cf.szFaceName, u"System", sizeof(u"System"));

    std::vector<double> rates;
    const int perRun = each ? kLinesPerRun / 10 : kLinesPerRun;
    for (int run = 0; run < kRuns; ++run) {
        SetWindowTextW(console, u"");
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < perRun; ++i) {
            const std::u16string& line = lines[static_cast<size_t>(i) % lines.size()];
            if (SendMessageW(console, EM_GETLINECOUNT, 0, 0) > kMaxLines)
                SetWindowTextW(console, u"");
            cf.crTextColor = (i % 7 == 3) ? 0x0000FF : 0x000000; // now and then a red line
            SendMessageW(console, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
            SendMessageW(console, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(line.c_str()));
            if (each) SendMessageW(console, EM_GETSEL, 0, 0);
            if (paint) QCoreApplication::processEvents();
        }
        SendMessageW(console, EM_GETSEL, 0, 0);
        QCoreApplication::processEvents();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        rates.push_back(perRun / took.count());
    }
    std::sort(rates.begin(), rates.end());
    std::printf("console_bench%s: %d runs of %d lines, median %.0f lines/s (min %.0f, max %.0f)\n",
                each    ? " --each"
                : paint ? " --paint"
                        : "",
                kRuns, perRun, rates[rates.size() / 2], rates.front(), rates.back());
    DestroyWindow(host);
    return 0;
}
