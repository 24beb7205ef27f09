// starvane-sim: a virtual GPS receiver on a pseudo-terminal (see --help).
#include "CommandHandler.h"
#include "Faults.h"
#include "LogReplay.h"
#include "Options.h"
#include "Pacer.h"
#include "PortRegistry.h"
#include "Pty.h"
#include "Receiver.h"
#include "Route.h"
#include "SimLog.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <poll.h>
#include <random>
#include <unistd.h>

using namespace sim;

namespace {

volatile sig_atomic_t g_stop = 0;
volatile sig_atomic_t g_toggleFaults = 0;
volatile sig_atomic_t g_unplugNow = 0;

void onStop(int) {
    if (g_stop) {
        // Asked twice: we may be stuck in a write; leave no link behind.
        removeRegisteredLinkFromSignal();
        _exit(130);
    }
    g_stop = 1;
}
void onUsr1(int) {
    g_toggleFaults = 1;
}
void onUsr2(int) {
    g_unplugNow = 1;
}

void installSignals() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sigemptyset(&sa.sa_mask);
    sa.sa_handler = onStop;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    sa.sa_handler = onUsr1;
    sigaction(SIGUSR1, &sa, nullptr);
    sa.sa_handler = onUsr2;
    sigaction(SIGUSR2, &sa, nullptr);
    sa.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &sa, nullptr);
}

double monoNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double wallNow() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

size_t writeAll(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return done;
}

// What a UART set to another baud rate makes of our bytes: a different
// number of bytes, mostly noise, framing errors showing as high bytes.
std::string wrongBaudBytes(const char* data, size_t size, int programBaud, int ourBaud, Rng& rng,
                           double* carry) {
    static const unsigned char kFraming[] = {0x00, 0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF};
    std::string out;
    double ratio = static_cast<double>(programBaud) / ourBaud;
    for (size_t i = 0; i < size; ++i) {
        *carry += ratio;
        while (*carry >= 1.0) {
            *carry -= 1.0;
            unsigned char c = rng.chance(0.6) ? kFraming[rng.range(0, 8)]
                                              : static_cast<unsigned char>(rng.range(0, 255));
            out += static_cast<char>(c);
        }
        (void)data;
    }
    return out;
}

struct Source {
    // Simulation.
    Receiver* rx = nullptr;
    int rate = 1;
    double startTime = 0;
    long cycle = 0;
    // Replay.
    std::vector<ReplayLine>* lines = nullptr;
    size_t next = 0;
    double loopOffset = 0;
    bool loop = false;

    bool replay() const { return lines != nullptr; }
    bool exhausted() const { return replay() && next >= lines->size() && !loop; }
    // Time (seconds after the start) of the next output.
    double nextAt() const {
        if (replay()) return next < lines->size() ? loopOffset + (*lines)[next].at : 1e300;
        return static_cast<double>(cycle) / rate;
    }
    // The lines of the next output, and advances.
    std::vector<std::string> take() {
        std::vector<std::string> out;
        if (replay()) {
            if (next >= lines->size()) return out;
            out.push_back((*lines)[next].bytes);
            if (++next == lines->size() && loop) {
                double step = lines->size() > 1 ? (*lines)[1].at - (*lines)[0].at : 1.0;
                loopOffset += lines->back().at + std::max(step, 0.001);
                next = 0;
            }
            return out;
        }
        out = rx->cycle(startTime + static_cast<double>(cycle) / rate);
        ++cycle;
        return out;
    }
};

} // namespace

int main(int argc, char** argv) {
    Options opt;
    std::string error;
    if (!parseOptions(argc, argv, &opt, &error)) {
        std::fprintf(stderr, "starvane-sim: %s\n", error.c_str());
        return 2;
    }
    if (opt.help) {
        std::fputs(helpText(), stdout);
        return 0;
    }

    SimLog log;
    if (!opt.logFile.empty() && !log.openFile(opt.logFile)) {
        std::fprintf(stderr, "starvane-sim: cannot open log file %s: %s\n", opt.logFile.c_str(),
                     std::strerror(errno));
        return 2;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> teeFile(nullptr, std::fclose);
    if (!opt.teeFile.empty()) teeFile.reset(std::fopen(opt.teeFile.c_str(), "wb"));
    std::FILE* tee = teeFile.get();
    if (!opt.teeFile.empty() && !tee) {
        std::fprintf(stderr, "starvane-sim: cannot open %s: %s\n", opt.teeFile.c_str(),
                     std::strerror(errno));
        return 2;
    }
    uint64_t seed =
        opt.seed ? *opt.seed
                 : (static_cast<uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
    Rng rng(seed);
    Rng lineNoise(seed ^ 0x5EEDBA0Dull); // wrong-baud noise, apart from the receiver's
    double startTime = opt.startTime ? *opt.startTime : std::ceil(wallNow());

    Route route({opt.latDeg, opt.lonDeg, opt.altM}, opt.stationary);
    WriterConfig wc;
    wc.nmea41 = opt.nmea41;
    wc.beidouLegacyPrn = opt.beidouLegacyPrn;
    wc.enabled[static_cast<int>(Output::Vtg)] = opt.vtg;
    ReceiverConfig rc;
    rc.style = opt.style;
    rc.start = opt.start;
    rc.coldTtff = opt.ttff;
    rc.maskDeg = opt.maskDeg;
    rc.rate = opt.rate;
    Receiver rx(rc, route, wc, rng, startTime);
    Faults faults(rng);
    for (const auto& f : opt.faults)
        faults.add(f);
    CommandHandler commands(rx, log);

    Source source;
    std::vector<ReplayLine> replayLines;
    if (!opt.replay.empty()) {
        std::string contents;
        if (!readFile(opt.replay, &contents, &error)) {
            std::fprintf(stderr, "starvane-sim: %s\n", error.c_str());
            return 2;
        }
        replayLines = scheduleReplay(splitLogLines(contents), opt.lineRate);
        if (replayLines.empty()) {
            std::fprintf(stderr, "starvane-sim: %s is empty\n", opt.replay.c_str());
            return 2;
        }
        source.lines = &replayLines;
        source.loop = opt.loop;
        commands.setRestartsAllowed(false);
    } else {
        source.rx = &rx;
        source.rate = opt.rate;
        source.startTime = startTime;
        if (opt.pace) {
            size_t worst = rx.worstBytesPerSecond(startTime);
            if (!lineCarries(worst, opt.baud)) {
                std::fprintf(stderr,
                             "starvane-sim: at %d Hz the receiver sends up to %zu bytes a second "
                             "(%zu bits with start and stop bits), more than %d baud can carry.\n"
                             "Choose a higher --baud or a lower --rate.\n",
                             opt.rate, worst, worst * 10, opt.baud);
                return 2;
            }
        }
    }

    installSignals();
    {
        time_t whole = static_cast<time_t>(std::floor(startTime));
        std::tm tm;
        gmtime_r(&whole, &tm);
        char when[40];
        std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &tm);
        log.printf("seed %llu, simulated start %s", static_cast<unsigned long long>(seed), when);
    }

    std::unique_ptr<Pty> pty;
    PortRegistry registry;
    int inputFd = -1;
    if (opt.toStdout) {
        if (opt.pace) inputFd = STDIN_FILENO;
        std::fprintf(stderr, "Starvane GPS simulator on standard output\n");
    } else {
        pty = std::make_unique<Pty>();
        if (!pty->open(opt.baud, &error)) {
            std::fprintf(stderr, "starvane-sim: %s\n", error.c_str());
            return 1;
        }
        if (!registry.registerPort(opt.name, pty->slavePath(), &error)) {
            std::fprintf(stderr, "starvane-sim: %s\n", error.c_str());
            return 1;
        }
        inputFd = pty->masterFd();
        std::printf("Starvane GPS simulator on %s (registered as %s)\n", pty->slavePath().c_str(),
                    registry.linkPath().c_str());
        std::fflush(stdout);
    }

    // Where the bytes go.
    int programBaud = opt.baud;
    double noiseCarry = 0;
    bool outputBroken = false;
    // The tee gets what actually went out, flushed at once so that a reader
    // of the file sees each byte as soon as the line has carried it.
    auto teed = [&](const char* data, size_t n) {
        if (tee && n) {
            std::fwrite(data, 1, n, tee);
            std::fflush(tee);
        }
        return n;
    };
    Pacer::Writer writer = [&](const char* data, size_t size) -> size_t {
        if (!opt.toStdout) {
            if (opt.strictBaud && programBaud && programBaud != opt.baud) {
                std::string noise =
                    wrongBaudBytes(data, size, programBaud, opt.baud, lineNoise, &noiseCarry);
                teed(noise.data(), pty->write(noise.data(), noise.size()));
                return size;
            }
            return teed(data, pty->write(data, size));
        }
        if (!opt.pace) return teed(data, std::fwrite(data, 1, size, stdout));
        size_t n = teed(data, writeAll(STDOUT_FILENO, data, size));
        if (n < size) outputBroken = true;
        return n;
    };
    Pacer pacer(opt.baud, opt.pace, writer);
    auto emit = [&](std::vector<std::string> lines) {
        for (auto& line : lines)
            for (auto& piece : faults.apply(std::move(line)))
                pacer.enqueue(std::move(piece));
    };
    std::optional<double> unplugAt = faults.unplugAfter();
    auto unplug = [&]() {
        log.printf("unplugged: link removed, device closed");
        registry.unregister();
        if (pty) pty->close();
    };

    if (!opt.pace) {
        // As fast as possible, in simulated time.
        while (!g_stop && !source.exhausted()) {
            double at = source.nextAt();
            if (opt.duration > 0 && at >= opt.duration) break;
            if (unplugAt && at >= *unplugAt) {
                unplug();
                break;
            }
            emit(source.take());
            pacer.pump(0);
        }
        std::fflush(stdout);
        return 0;
    }

    const double t0 = monoNow();
    double nextBaudCheck = 0;
    bool warnedBehind = false;
    bool inputOpen = inputFd >= 0;
    int exitCode = 0;
    while (!g_stop && !outputBroken) {
        double now = monoNow();
        double elapsed = now - t0;
        if (g_toggleFaults) {
            g_toggleFaults = 0;
            faults.setEnabled(!faults.enabled());
            log.printf("line faults %s", faults.enabled() ? "on" : "off");
        }
        if (g_unplugNow || (unplugAt && elapsed >= *unplugAt)) {
            unplug();
            break;
        }
        bool finished = source.exhausted() || (opt.duration > 0 && source.nextAt() >= opt.duration);
        if (finished && pacer.idle()) break;
        while (!finished && source.nextAt() <= elapsed) {
            emit(source.take());
            finished = source.exhausted() || (opt.duration > 0 && source.nextAt() >= opt.duration);
        }
        if (!warnedBehind && pacer.queuedBytes() > static_cast<size_t>(opt.baud) / 10 * 2) {
            warnedBehind = true;
            log.printf("the line cannot keep up: more than two seconds of output queued");
        }
        double due = pacer.pump(now);

        if (pty && elapsed >= nextBaudCheck) {
            nextBaudCheck = elapsed + 0.5;
            int b = pty->slaveBaud();
            if (b && b != programBaud) {
                programBaud = b;
                if (b != opt.baud)
                    log.printf("warning: the port is set to %d baud but the receiver sends at %d; "
                               "real hardware would deliver garbage%s",
                               b, opt.baud, opt.strictBaud ? " (and so do we)" : "");
                else
                    log.printf("the port is set to %d baud, as the receiver sends", b);
            }
        }

        double wake = finished ? 1e300 : source.nextAt();
        if (due >= 0) wake = std::min(wake, due - t0);
        if (pty) wake = std::min(wake, nextBaudCheck);
        if (unplugAt) wake = std::min(wake, *unplugAt);
        double wait = wake - (monoNow() - t0);
        int timeout = wait <= 0 ? 0 : static_cast<int>(std::min(wait, 0.5) * 1000.0) + 1;
        pollfd pfd{inputOpen ? inputFd : -1, POLLIN, 0};
        int r = poll(&pfd, 1, timeout);
        if (r > 0 && (pfd.revents & (POLLIN | POLLHUP | POLLERR))) {
            char buf[512];
            long n = pty ? pty->read(buf, sizeof buf) : ::read(inputFd, buf, sizeof buf);
            if (n > 0) {
                double simNow = startTime + (monoNow() - t0);
                for (auto& reply : commands.feed(std::string_view(buf, n), simNow))
                    pacer.enqueueNext({std::move(reply)});
            } else if (n < 0 || !pty) {
                if (!pty && n == 0)
                    inputOpen = false; // standard input ended: no more commands
                else if (pty) {
                    log.printf("the pseudo-terminal failed: %s", std::strerror(errno));
                    exitCode = 1;
                    break;
                }
            }
        }
    }
    if (g_stop) log.printf("stopped");
    registry.unregister();
    return exitCode;
}
