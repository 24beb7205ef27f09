// The whole program's path for received lines, measured in one process on
// Qt's offscreen platform: the main window with both panels is created and
// shown as the process entry does, the link is opened with OpenLink, and the
// message loop runs as the program's does (reader thread, the synchronous
// WMU_SENTENCE hand-over, intake, console, repaints).
//
//   app_bench replay FILE LINES   replays FILE (a .pgl; choose one with at
//                                 least LINES lines) through the open-file
//                                 dialog's answer hook; prints lines/s until
//                                 the reader has delivered LINES lines, and
//                                 the resident memory after 10,000 lines and
//                                 at the end. Only the intake's one-second
//                                 pause on a speed warning is skipped (Sleep
//                                 returns at once while replaying).
//   app_bench latency COUNT       a pseudo-terminal registered as a virtual
//                                 port plays the receiver: a line is written
//                                 on the master side every 20 ms; prints the
//                                 median and 99th percentile of the time from
//                                 the write to the line being handled, and to
//                                 the line being in the console's document
//   app_bench monitor NAME SECONDS opens the virtual port NAME (a running
//                                 simulator) at 115200 baud and runs the loop
//                                 for SECONDS; prints the process's CPU time
//                                 as a share of one core and the lines handled
//   app_bench startup             time from the process start to the main
//                                 window shown and painted
//
// Output: one line of key=value pairs.
#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "core/Platform.h"
#include "core/Window.h"
#include "kernel/FileDialog.h"
#include "kernel/SleepControl.h"
#include "link/Link.h"
#include "res/Resources.h"
#include "resource.h"

#include <QApplication>
#include <QTextDocument>
#include <QPlainTextEdit>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

long vmRssKb() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) break;
    std::fclose(f);
    return kb;
}

// The main window, counting the lines it has handled.
class CountingWnd : public CBaseWnd {
  public:
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT r = CBaseWnd::HandleMessage(hwnd, message, wParam, lParam);
        if (message == WMU_SENTENCE) {
            ++lines;
            if (onLine) onLine(reinterpret_cast<LPCWSTR>(wParam));
        }
        return r;
    }
    long lines = 0;
    std::function<void(LPCWSTR)> onLine;
};

bool createMain(CountingWnd& wnd) {
    if (!wnd.Create(winapi::mainInstance(), SW_SHOW)) {
        std::fputs("app_bench: cannot create the main window\n", stderr);
        return false;
    }
    return true;
}

// Runs the program's loop (GetMessageW, accelerators, dispatch) until done()
// answers true, checked after every message, or the time is up. A timer on
// the main window (an id it ignores) wakes the loop to check the time.
void runLoop(HWND main, const std::function<bool()>& done, double maxSeconds) {
    static HACCEL accel = LoadAcceleratorsW(winapi::mainInstance(), MAKEINTRESOURCEW(IDR_ACCEL));
    const UINT_PTR kTick = 0xBE;
    SetTimer(main, kTick, 20, nullptr);
    auto start = Clock::now();
    MSG msg;
    while (!done() && secondsSince(start) < maxSeconds && GetMessageW(&msg, nullptr, 0, 0)) {
        if (!TranslateAcceleratorW(msg.hwnd, accel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    KillTimer(main, kTick);
}

// Opens the port list item whose text starts with `prefix` at baud index 8.
bool openPortItem(CountingWnd& wnd, const char* prefix) {
    HWND list = GetDlgItem(wnd.m_ControlPanel.m_hWnd, IDC_PORT);
    int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR text[256] = {};
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        size_t k = 0;
        while (prefix[k] && text[k] == static_cast<WCHAR>(prefix[k]))
            ++k;
        if (prefix[k]) continue;
        wnd.m_DisplayPanel.ResetFix();
        if (!OpenLink(wnd.m_hWnd, text, 8)) return false;
        wnd.m_ControlPanel.m_bLinkOpen = 1;
        return true;
    }
    std::fprintf(stderr, "app_bench: no port item starting with '%s'\n", prefix);
    return false;
}

int replay(const char* file, long want) {
    CountingWnd wnd;
    if (!createMain(wnd)) return 1;
    runLoop(
        wnd.m_hWnd, [] { return false; }, 0.2); // the first paint
    winapi::setFileDialogAnswer(std::string(file));
    winapi::setSleepDisabled(true); // the speed warning's pause only
    long rss10k = -1;
    wnd.onLine = [&](LPCWSTR) {
        if (wnd.lines == 10000) rss10k = vmRssKb();
        if (std::getenv("APP_BENCH_RSS_TRACE") && wnd.lines % 50000 == 0)
            std::fprintf(stderr, "lines=%ld rss_kb=%ld heap_in_use_kb=%zu\n", wnd.lines, vmRssKb(),
                         mallinfo2().uordblks / 1024);
    };
    WCHAR text[] = TEXT("Log File");
    auto start = Clock::now();
    if (!OpenLink(wnd.m_hWnd, text, 2)) {
        std::fputs("app_bench: the replay file did not open\n", stderr);
        return 1;
    }
    runLoop(
        wnd.m_hWnd, [&] { return wnd.lines >= want; }, 600);
    double seconds = secondsSince(start);
    long rssEnd = vmRssKb();
    winapi::setSleepDisabled(false);
    CloseLink();
    std::printf(
        "mode=replay lines=%ld seconds=%.3f lines_per_s=%.0f rss_10k_kb=%ld rss_end_kb=%ld\n",
        wnd.lines, seconds, wnd.lines / seconds, rss10k, rssEnd);
    DestroyWindow(wnd.m_hWnd);
    return wnd.lines >= want ? 0 : 1;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

std::string checksummed(const std::string& body) {
    unsigned char x = 0;
    for (char c : body)
        x ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", x);
    return "$" + body + tail;
}

int latency(int count) {
    // Our own virtual port folder, with a pseudo-terminal in it.
    char dir[] = "/tmp/app-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    setenv("XDG_RUNTIME_DIR", dir, 1);
    std::string ports = std::string(dir) + "/starvane";
    mkdir(ports.c_str(), 0700);
    ports += "/ports";
    mkdir(ports.c_str(), 0700);
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) || unlockpt(master)) return 1;
    std::string slave = ptsname(master);
    std::string link = ports + "/Bench receiver";
    if (symlink(slave.c_str(), link.c_str())) return 1;

    CountingWnd wnd;
    if (!createMain(wnd)) return 1;
    runLoop(
        wnd.m_hWnd, [] { return false; }, 0.2);
    if (!openPortItem(wnd, "Bench receiver")) return 1;

    std::vector<Clock::time_point> sent(count), handled(count), shown(count);
    std::vector<char> gotHandled(count, 0), gotShown(count, 0);
    std::atomic<int> written{0};
    // Each line carries its number; the console's document is watched for it.
    wnd.onLine = [&](LPCWSTR line) {
        int n = -1;
        for (LPCWSTR p = line; *p; ++p)
            if (p[0] == 'N' && p[1] == 'O' && p[2] == '=') {
                n = 0;
                for (p += 3; *p >= '0' && *p <= '9'; ++p)
                    n = n * 10 + (*p - '0');
                break;
            }
        if (n >= 0 && n < count) {
            handled[n] = Clock::now();
            gotHandled[n] = 1;
        }
    };
    auto* edit = qobject_cast<QPlainTextEdit*>(
        winapi::findWindow(wnd.m_ControlPanel.m_hConsole)->frame.data());
    int seenUpTo = 0;
    if (edit)
        QObject::connect(edit->document(), &QTextDocument::contentsChanged, [&] {
            QString text = edit->document()->toPlainText();
            auto now = Clock::now();
            for (int i = seenUpTo; i < written.load(); ++i) {
                if (!text.contains(QString("NO=%1,").arg(i))) {
                    if (i > seenUpTo + 3) break;
                    continue;
                }
                shown[i] = now;
                gotShown[i] = 1;
                seenUpTo = i + 1;
            }
        });
    std::thread writer([&] {
        for (int i = 0; i < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::string line = checksummed("GPTXT,01,01,02,NO=" + std::to_string(i) + ",BENCH");
            sent[i] = Clock::now();
            written = i + 1;
            if (write(master, line.data(), line.size()) != static_cast<ssize_t>(line.size())) break;
        }
    });
    runLoop(
        wnd.m_hWnd,
        [&] { return written.load() >= count && wnd.lines >= count + 0 && seenUpTo >= count; },
        count * 0.02 + 10);
    writer.join();
    runLoop(
        wnd.m_hWnd, [] { return false; }, 0.2);
    std::vector<double> toHandled, toShown;
    for (int i = 0; i < count; ++i) {
        if (gotHandled[i])
            toHandled.push_back(
                std::chrono::duration<double, std::milli>(handled[i] - sent[i]).count());
        if (gotShown[i])
            toShown.push_back(
                std::chrono::duration<double, std::milli>(shown[i] - sent[i]).count());
    }
    std::printf("mode=latency lines=%d handled=%zu handled_median_ms=%.3f handled_p99_ms=%.3f "
                "in_console=%zu "
                "console_median_ms=%.3f console_p99_ms=%.3f\n",
                count, toHandled.size(), percentile(toHandled, 0.5), percentile(toHandled, 0.99),
                toShown.size(), percentile(toShown, 0.5), percentile(toShown, 0.99));
    CloseLink();
    DestroyWindow(wnd.m_hWnd);
    close(master);
    unlink(link.c_str());
    return 0;
}

double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

int monitor(const char* name, double seconds) {
    CountingWnd wnd;
    if (!createMain(wnd)) return 1;
    runLoop(
        wnd.m_hWnd, [] { return false; }, 0.2);
    if (!openPortItem(wnd, name)) return 1;
    runLoop(
        wnd.m_hWnd, [] { return false; }, 3); // settle: the first lines, the fix
    long lines0 = wnd.lines;
    double cpu0 = cpuSeconds();
    auto start = Clock::now();
    runLoop(
        wnd.m_hWnd, [] { return false; }, seconds);
    double wall = secondsSince(start);
    double cpu = cpuSeconds() - cpu0;
    std::printf("mode=monitor seconds=%.1f lines=%ld lines_per_s=%.1f cpu_s=%.3f "
                "cpu_share_pct=%.2f rss_kb=%ld\n",
                wall, wnd.lines - lines0, (wnd.lines - lines0) / wall, cpu, 100.0 * cpu / wall,
                vmRssKb());
    CloseLink();
    DestroyWindow(wnd.m_hWnd);
    return 0;
}

// Seconds since boot at which this process started (clock ticks resolution).
double processStartSinceBoot() {
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return 0;
    char buf[1024];
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    const char* p = std::strrchr(buf, ')');
    unsigned long long start = 0;
    int field = 2;
    for (; p && *p; ++p)
        if (*p == ' ' && ++field == 22) {
            start = std::strtoull(p + 1, nullptr, 10);
            break;
        }
    return static_cast<double>(start) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double bootSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int startup(int argc, char** argv, double atMain) {
    int qtArgc = 1;
    winapi::initialize(qtArgc, argv);
    (void)argc;
    CountingWnd wnd;
    if (!createMain(wnd)) return 1;
    // Shown and painted: the paint events that ShowWindow/UpdateWindow queued.
    QWidget* frame = winapi::findWindow(wnd.m_hWnd)->frame.data();
    QCoreApplication::processEvents();
    frame->repaint();
    double shown = bootSeconds();
    double begin = processStartSinceBoot();
    std::printf(
        "mode=startup process_to_main_ms=%.1f process_to_shown_ms=%.1f main_to_shown_ms=%.1f\n",
        (atMain - begin) * 1000, (shown - begin) * 1000, (shown - atMain) * 1000);
    DestroyWindow(wnd.m_hWnd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    double atMain = bootSeconds();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc >= 2 && !std::strcmp(argv[1], "startup")) return startup(argc, argv, atMain);
    int qtArgc = 1;
    if (argc >= 4 && !std::strcmp(argv[1], "replay")) {
        winapi::initialize(qtArgc, argv);
        return replay(argv[2], std::atol(argv[3]));
    }
    if (argc >= 3 && !std::strcmp(argv[1], "latency")) {
        winapi::initialize(qtArgc, argv);
        return latency(std::atoi(argv[2]));
    }
    if (argc >= 4 && !std::strcmp(argv[1], "monitor")) {
        winapi::initialize(qtArgc, argv);
        return monitor(argv[2], std::atof(argv[3]));
    }
    std::fputs(
        "usage: app_bench replay FILE LINES | latency COUNT | monitor NAME SECONDS | startup\n",
        stderr);
    return 2;
}
