// starvane-decode: runs the program's own sentence intake on a log, without
// showing a window, and prints what the program would show after each line.
//
//   starvane-decode [--final | --stats] [--png FILE] [LOG]
//
// LOG (or standard input) is read as raw bytes and cut into lines as the
// link's reader does; each line goes to the hidden main window as the reader
// sends it (WMU_SENTENCE). After each line one JSON object is printed.
#include "JsonOut.h"
#include "LineCutter.h"

#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "core/Platform.h"
#include "core/Window.h"
#include "kernel/SleepControl.h"
#include "res/Resources.h"

#include <QImage>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
    bool finalOnly = false;
    bool stats = false;
    const char* png = nullptr;
    const char* input = nullptr;
};

void usage() {
    std::fputs("usage: starvane-decode [--final | --stats] [--png FILE] [LOG]\n"
               "  Decodes an NMEA log with the program's own intake and prints, after each\n"
               "  line, a JSON object with the result, console colour, title, fix texts and\n"
               "  satellites.\n"
               "  --final     print only the object after the last line\n"
               "  --stats     print only a closing summary\n"
               "  --png FILE  after the last line, write the main window's client area as PNG\n",
               stderr);
}

bool parse(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--final")) o->finalOnly = true;
        else if (!std::strcmp(a, "--stats")) o->stats = true;
        else if (!std::strcmp(a, "--png") && i + 1 < argc) o->png = argv[++i];
        else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) return false;
        else if (a[0] == '-' && a[1]) return false;
        else if (!o->input) o->input = a;
        else return false;
    }
    return true;
}

std::string fixJson(const FixText& f) {
    struct {
        const char* key;
        const WCHAR* text;
    } items[] = {{"date", f.szDate},     {"time", f.szTime},        {"direction", f.szDirection},
                 {"speed", f.szSpeed},   {"status", f.szStatus},    {"hdop", f.szHdop},
                 {"pdop", f.szPdop},     {"ns", f.szNS},            {"lat", f.szLatitude},
                 {"ew", f.szEW},         {"lon", f.szLongitude}};
    std::string out = "{";
    for (size_t i = 0; i < sizeof items / sizeof items[0]; ++i) {
        if (i) out += ',';
        out += '"';
        out += items[i].key;
        out += "\":";
        out += jsonString(items[i].text);
    }
    return out + "}";
}

std::string satsJson(const SatTable& table) {
    std::string out = "[";
    bool first = true;
    for (int prn = 0; prn < SAT_TABLE_SIZE; ++prn) {
        const SatSlot& s = table[prn];
        if (!s.bInView && !s.bUsed) continue;
        char buf[160];
        bool placed = s.nX != SKY_NO_POSITION;
        if (placed)
            std::snprintf(buf, sizeof buf, "{\"prn\":%d,\"view\":%d,\"used\":%d,\"snr\":%ld,\"x\":%ld,\"y\":%ld}",
                          prn, s.bInView, s.bUsed, static_cast<long>(s.nSnr), static_cast<long>(s.nX),
                          static_cast<long>(s.nY));
        else
            std::snprintf(buf, sizeof buf, "{\"prn\":%d,\"view\":%d,\"used\":%d,\"snr\":%ld,\"x\":null,\"y\":null}",
                          prn, s.bInView, s.bUsed, static_cast<long>(s.nSnr));
        if (!first) out += ',';
        first = false;
        out += buf;
    }
    return out + "]";
}

bool contains(const WCHAR* line, const char* what) {
    for (const WCHAR* p = line; *p; ++p) {
        size_t i = 0;
        while (what[i] && p[i] == static_cast<WCHAR>(what[i])) ++i;
        if (!what[i]) return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!parse(argc, argv, &opt) || (opt.finalOnly && opt.stats)) {
        usage();
        return 2;
    }
    FILE* in = stdin;
    if (opt.input) {
        in = std::fopen(opt.input, "rb");
        if (!in) {
            std::fprintf(stderr, "starvane-decode: cannot open %s: %s\n", opt.input, std::strerror(errno));
            return 1;
        }
    }
    // No window is shown: the offscreen platform needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    winapi::initialize(qtArgc, argv);
    // The intake pauses a second on a speed warning; a decoder has no one to
    // warn, so pauses return at once.
    winapi::setSleepDisabled(true);

    CBaseWnd wnd;
    if (!wnd.Create(winapi::mainInstance(), SW_HIDE)) {
        std::fputs("starvane-decode: cannot create the main window\n", stderr);
        return 1;
    }
    HWND hwnd = wnd.m_hWnd;
    // The state of a link just opened.
    wnd.m_DisplayPanel.ResetFix();
    wnd.m_dwStartTick = 0;
    wnd.m_bFixTimeShown = 0;
    SetWindowTextW(hwnd, TEXT("Trovix"));

    long lines = 0, red = 0, black = 0, green = 0, rmc = 0, gsa = 0, gsv = 0;
    std::string last;
    auto start = std::chrono::steady_clock::now();
    LineCutter cutter([&](const WCHAR* line) {
        ++lines;
        bool stampOnly = wnd.m_dwStartTick == 0;
        LRESULT result = SendMessageW(hwnd, WMU_SENTENCE, reinterpret_cast<WPARAM>(line), 0);
        COLORREF color = wnd.m_ControlPanel.m_cfConsole.crTextColor;
        if (color == 0x0000FF) ++red;
        else if (color == 0x00FF00) ++green;
        else if (color == 0) ++black;
        if (result == 1 && !stampOnly) {
            if (contains(line, "RMC")) ++rmc;
            else if (contains(line, "GSA")) ++gsa;
            else if (contains(line, "GSV")) ++gsv;
        }
        if (opt.stats) return;
        WCHAR title[64];
        GetWindowTextW(hwnd, title, 64);
        char head[96];
        std::snprintf(head, sizeof head, "{\"n\":%ld,\"result\":%ld,\"color\":\"0x%06X\",\"title\":", lines,
                      static_cast<long>(result), static_cast<unsigned>(color & 0xFFFFFF));
        std::string obj = head + jsonString(title) + ",\"fix\":" + fixJson(wnd.m_DisplayPanel.m_FixText) +
                          ",\"sats\":" + satsJson(wnd.m_DisplayPanel.m_SatTable) + "}\n";
        if (opt.finalOnly)
            last = std::move(obj);
        else
            std::fputs(obj.c_str(), stdout);
    });
    unsigned char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, in)) > 0) cutter.feed(buf, got);
    if (in != stdin) std::fclose(in);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (opt.finalOnly) std::fputs(last.c_str(), stdout);
    if (opt.stats)
        std::printf("{\"lines\":%ld,\"red\":%ld,\"black\":%ld,\"green\":%ld,\"rmc\":%ld,\"gsa\":%ld,"
                    "\"gsv\":%ld,\"seconds\":%.3f}\n",
                    lines, red, black, green, rmc, gsa, gsv, seconds);
    int rc = 0;
    if (opt.png) {
        ShowWindow(hwnd, SW_SHOW);
        QWidget* client = winapi::findWindow(hwnd)->client;
        QImage image = client->grab().toImage();
        if (!image.save(QString::fromLocal8Bit(opt.png), "PNG")) {
            std::fprintf(stderr, "starvane-decode: cannot write %s\n", opt.png);
            rc = 1;
        }
    }
    std::fflush(stdout);
    DestroyWindow(hwnd);
    return rc;
}
