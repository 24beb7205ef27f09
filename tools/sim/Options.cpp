#include "Options.h"

#include "Pty.h"

#include <cerrno>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace sim {

namespace {

bool toDouble(const char* s, double* v) {
    char* end = nullptr;
    errno = 0;
    *v = std::strtod(s, &end);
    return *s && end && *end == '\0' && errno == 0 && std::isfinite(*v);
}

bool toU64(const char* s, uint64_t* v) {
    if (!*s || *s == '-') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long x = std::strtoull(s, &end, 10);
    if (!end || *end || errno) return false;
    *v = x;
    return true;
}

long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

} // namespace

std::optional<double> parseUtc(const std::string& text) {
    int y, mo, d, h, mi;
    double s;
    char tail[8] = {};
    int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%7s", &y, &mo, &d, &h, &mi, &s, tail);
    if (n < 6 || (n == 7 && std::strcmp(tail, "Z") != 0)) return std::nullopt;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1980 || y > 2099 || mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] || h > 23 ||
        h < 0 || mi < 0 || mi > 59 || s < 0 || s >= 60)
        return std::nullopt;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo == 2 && d == 29 && !leap) return std::nullopt;
    return static_cast<double>(daysFromCivil(y, mo, d)) * 86400.0 + h * 3600.0 + mi * 60.0 + s;
}

const char* helpText() {
    return R"(starvane-sim: a virtual GPS receiver on a pseudo-terminal

It creates a pseudo-terminal, registers it as a virtual port (a symbolic link
in $XDG_RUNTIME_DIR/starvane/ports/, or /tmp/starvane-<uid>/ports/ when
XDG_RUNTIME_DIR is unset; name = description, target = /dev/pts/N) and behaves
like a receiver module on it: NMEA 0183 sentences paced at the baud rate,
satellites moving across the sky, a route driven around the start position,
a cold start that takes its time, answers to receiver commands, and faults on
request. The link is removed on exit (also on SIGINT/SIGTERM) and on unplug.

usage: starvane-sim [options]

Receiver
  --style gps|gnss      gps: GPS-only module ($GPRMC $GPGGA $GPGSA $GPGSV);
                        gnss: multi-GNSS ($GNRMC $GNGGA, one $GNGSA per
                        constellation, $GPGSV $GLGSV $GAGSV $GBGSV)  [gps]
  --rate 1|5|10         fixes per second; above 1 Hz the satellite view (GSV)
                        goes out once a second                       [1]
  --baud N              simulated line speed, 10 bits per byte; a rate whose
                        sentences the line cannot carry is refused
                        [9600 for gps; 38400 for gnss, whose sentences
                        need about 1300 bytes a second]
  --strict-baud         when the program's port is set to another baud rate,
                        deliver garbage as real hardware would (otherwise
                        only a warning is logged)
  --nmea41              NMEA 4.10 fields: signal id in GSV, system id in GSA,
                        navigational status in RMC
  --beidou-legacy-prn   report BeiDou as PRN 201-263 instead of 1-63
  --vtg                 send $..VTG from the start (also switched by
                        $PSRF103,05,00,01,01 / $PSRF103,05,00,00,01)
  --start cold|hot      start mode                                    [cold]
  --ttff SECONDS        time to first fix after a cold start          [32]
                        (a hot start fixes after 1 s)
  --mask DEGREES        elevation mask for satellites used in the fix [5]

Position and time
  --lat DEG --lon DEG   start of the route (decimal degrees)
                                                        [48.1173 11.5167]
  --alt METRES          altitude above sea level                      [520]
  --stationary          stay at the start instead of driving the loop
                        (15 s standing, town 50 km/h, highway 120 km/h,
                        slow zone 30 km/h, back to the start, ~20 minutes)
  --start-time UTC      simulated time of the start, e.g.
                        2024-05-01T12:00:00Z                 [system clock]
  --seed N              seed of all randomness; with --start-time the
                        output is byte-identical between runs       [random]

Faults (--fault may be given several times)
  --fault checksum[:F]  fraction F of lines with a wrong checksum     [0.05]
  --fault garble[:F]    fraction F of lines with a burst of random bytes,
                        0x80-0xFF included                            [0.02]
  --fault overlong[:F]  before a fraction F of lines, 600 bytes without a
                        line end                                      [0.01]
  --fault pause[:F]     a 200 ms pause in the middle of a fraction F of
                        lines                                         [0.05]
  --fault unplug[:S]    the device vanishes after S seconds: the link is
                        removed, the pseudo-terminal closed, the simulator
                        ends                                            [30]
  --unplug-after S      the same as --fault unplug:S
  At run time SIGUSR1 switches the line faults off and on again, SIGUSR2
  unplugs at once.

Replay
  --replay FILE         send a recorded log instead of simulating, at its
                        original pace (from the RMC times: the lines between
                        two RMC sentences are spread over the interval)
  --line-rate N         replay N lines per second instead
  --loop                start the replay again at its end

Output
  --name TEXT           device description (the link's name)
                                                  [Starvane GPS simulator]
  --stdout              write the sentences to standard output instead of a
                        pseudo-terminal (commands are read from standard
                        input unless --no-pace)
  --no-pace             no timing at all: simulated time runs as fast as
                        possible (needs --stdout and --duration)
  --duration S          stop after S seconds of simulated time   [no limit]
  --log FILE            also append the log (commands received, replies,
                        events) to FILE
  --tee FILE            also write every byte put on the line to FILE, as
                        sent (faults included), e.g. to compare with what
                        the program received
  --help                this text

Commands understood on the line (CR LF, checksum required; others are logged
and ignored):
  $PMTK101*32 / $PMTK102*31   hot / warm restart
  $PMTK103*30 / $PMTK104*37   cold / full cold restart (a new time to fix)
  $PMTK605*31                 version: $PMTK705,AXN_5.1.7_3333_19011000,...
  $PSRF151,01*0F / ,00*0E     WAAS on / off: $PSRF151,WAAS Enable / Disable
  $PSRF103,mm,00,rr,01*cs     sentence mm (00 GGA, 01 GLL, 02 GSA, 03 GSV,
                              04 RMC, 05 VTG) on (rr > 0) or off (rr = 0)

Examples
  starvane-sim
  starvane-sim --style gnss --rate 5 --baud 115200 --start hot
  starvane-sim --fault checksum:0.1 --fault pause --unplug-after 60
  starvane-sim --replay samples/drive.pgl --loop
  starvane-sim --stdout --no-pace --seed 7 --start-time 2024-05-01T12:00:00Z \
               --duration 60 > cold.pgl
)";
}

int defaultBaud(Style style) {
    return style == Style::Gps ? 9600 : 38400;
}

bool parseOptions(int argc, char** argv, Options* o, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char** out) {
            if (i + 1 >= argc) {
                *error = a + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        auto number = [&](double* out, double lo, double hi) {
            const char* v;
            if (!value(&v)) return false;
            if (!toDouble(v, out) || *out < lo || *out > hi) {
                *error = "bad value for " + a + ": '" + v + "'";
                return false;
            }
            return true;
        };
        const char* v = nullptr;
        double d = 0;
        if (a == "--help" || a == "-h") {
            o->help = true;
        } else if (a == "--style") {
            if (!value(&v)) return false;
            if (!std::strcmp(v, "gps"))
                o->style = Style::Gps;
            else if (!std::strcmp(v, "gnss"))
                o->style = Style::Gnss;
            else
                return *error = "--style is gps or gnss", false;
        } else if (a == "--rate") {
            if (!number(&d, 1, 10)) return false;
            if (d != 1 && d != 5 && d != 10) return *error = "--rate is 1, 5 or 10", false;
            o->rate = static_cast<int>(d);
        } else if (a == "--baud") {
            if (!number(&d, 1, 1e7)) return false;
            if (!speedOfBaud(static_cast<int>(d)) || d != std::floor(d))
                return *error = "--baud must be a standard rate (4800, 9600, 19200, 38400, "
                                "57600, 115200, ...)",
                       false;
            o->baud = static_cast<int>(d);
        } else if (a == "--strict-baud") {
            o->strictBaud = true;
        } else if (a == "--nmea41") {
            o->nmea41 = true;
        } else if (a == "--beidou-legacy-prn") {
            o->beidouLegacyPrn = true;
        } else if (a == "--vtg") {
            o->vtg = true;
        } else if (a == "--lat") {
            if (!number(&o->latDeg, -89.9, 89.9)) return false;
        } else if (a == "--lon") {
            if (!number(&o->lonDeg, -180, 180)) return false;
        } else if (a == "--alt") {
            if (!number(&o->altM, -500, 20000)) return false;
        } else if (a == "--stationary") {
            o->stationary = true;
        } else if (a == "--start") {
            if (!value(&v)) return false;
            if (!std::strcmp(v, "cold"))
                o->start = StartMode::Cold;
            else if (!std::strcmp(v, "hot"))
                o->start = StartMode::Hot;
            else
                return *error = "--start is cold or hot", false;
        } else if (a == "--ttff") {
            if (!number(&o->ttff, 1, 3600)) return false;
        } else if (a == "--mask") {
            if (!number(&o->maskDeg, 0, 60)) return false;
        } else if (a == "--start-time") {
            if (!value(&v)) return false;
            o->startTime = parseUtc(v);
            if (!o->startTime)
                return *error = std::string("bad --start-time '") + v +
                                "' (YYYY-MM-DDTHH:MM:SS, UTC, years 1980-2099)",
                       false;
        } else if (a == "--seed") {
            uint64_t s;
            if (!value(&v)) return false;
            if (!toU64(v, &s)) return *error = std::string("bad --seed '") + v + "'", false;
            o->seed = s;
        } else if (a == "--fault") {
            if (!value(&v)) return false;
            auto f = parseFault(v, error);
            if (!f) return false;
            o->faults.push_back(*f);
        } else if (a == "--unplug-after") {
            if (!number(&d, 0, 1e7)) return false;
            o->faults.push_back({FaultKind::Unplug, d});
        } else if (a == "--replay") {
            if (!value(&v)) return false;
            o->replay = v;
        } else if (a == "--line-rate") {
            if (!number(&o->lineRate, 0.001, 100000)) return false;
        } else if (a == "--loop") {
            o->loop = true;
        } else if (a == "--name") {
            if (!value(&v)) return false;
            o->name = v;
        } else if (a == "--stdout") {
            o->toStdout = true;
        } else if (a == "--no-pace") {
            o->pace = false;
        } else if (a == "--duration") {
            if (!number(&o->duration, 0.001, 1e9)) return false;
        } else if (a == "--log") {
            if (!value(&v)) return false;
            o->logFile = v;
        } else if (a == "--tee") {
            if (!value(&v)) return false;
            o->teeFile = v;
        } else {
            *error = "unknown option '" + a + "' (see --help)";
            return false;
        }
    }
    if (o->baud == 0) o->baud = defaultBaud(o->style);
    if (!o->pace && !o->toStdout) return *error = "--no-pace needs --stdout", false;
    if (!o->pace && o->duration <= 0 && (o->replay.empty() || o->loop))
        return *error = "--no-pace needs --duration", false;
    if (o->lineRate > 0 && o->replay.empty())
        return *error = "--line-rate applies to --replay", false;
    return true;
}

} // namespace sim
