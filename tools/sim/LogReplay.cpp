#include "LogReplay.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sim {

namespace {

constexpr double kDefaultLineRate = 10.0;
constexpr double kMaxInterval = 600.0; // a larger jump between RMC times is a gap, not a pace

int digitsAt(std::string_view s, size_t at, size_t n) {
    int v = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

} // namespace

std::vector<std::string> splitLogLines(std::string_view contents) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < contents.size()) {
        size_t lf = contents.find('\n', start);
        size_t end = lf == std::string_view::npos ? contents.size() : lf + 1;
        lines.emplace_back(contents.substr(start, end - start));
        start = end;
    }
    return lines;
}

// $GPRMC,081530.000,A,...
std::optional<double> rmcSecondsOfDay(std::string_view line) {
    if (line.size() < 7 || line[0] != '$' || line.substr(3, 4) != "RMC,") return std::nullopt;
    std::string_view t = line.substr(7);
    int h = digitsAt(t, 0, 2), m = digitsAt(t, 2, 2), s = digitsAt(t, 4, 2);
    if (h < 0 || m < 0 || s < 0 || h > 23 || m > 59 || s > 60) return std::nullopt;
    double frac = 0, scale = 0.1;
    if (t.size() > 6 && t[6] == '.')
        for (size_t i = 7; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, scale /= 10)
            frac += (t[i] - '0') * scale;
    return h * 3600.0 + m * 60.0 + s + frac;
}

std::vector<ReplayLine> scheduleReplay(std::vector<std::string> lines, double lineRate) {
    std::vector<ReplayLine> out;
    out.reserve(lines.size());
    std::vector<size_t> marks; // indexes of RMC lines with a time
    std::vector<double> times;
    if (lineRate <= 0) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (auto t = rmcSecondsOfDay(lines[i])) {
                marks.push_back(i);
                times.push_back(*t);
            }
    }
    if (marks.size() < 2) {
        double rate = lineRate > 0 ? lineRate : kDefaultLineRate;
        for (size_t i = 0; i < lines.size(); ++i)
            out.push_back({std::move(lines[i]), static_cast<double>(i) / rate});
        return out;
    }
    // Time of each RMC mark from the start, with midnight wraps and gaps.
    std::vector<double> at(marks.size(), 0);
    std::vector<double> spacing(marks.size(), 0); // per line, of the interval starting there
    for (size_t k = 0; k + 1 < marks.size(); ++k) {
        double dt = times[k + 1] - times[k];
        if (dt < 0) dt += 86400.0;
        if (dt <= 0 || dt > kMaxInterval)
            dt = 1.0; // repeated or jumping clock: keep going at a usual pace
        spacing[k] = dt / static_cast<double>(marks[k + 1] - marks[k]);
        at[k + 1] = at[k] + dt;
    }
    spacing.back() = spacing[marks.size() - 2];
    // Lines before the first RMC lead up to it with the first spacing.
    double lead = spacing[0] * static_cast<double>(marks[0]);
    size_t k = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        while (k + 1 < marks.size() && i >= marks[k + 1])
            ++k;
        double t = i < marks[0] ? spacing[0] * static_cast<double>(i)
                                : lead + at[k] + spacing[k] * static_cast<double>(i - marks[k]);
        out.push_back({std::move(lines[i]), t});
    }
    return out;
}

bool readFile(const std::string& path, std::string* contents, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    contents->clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        contents->append(buf, n);
    bool bad = std::ferror(f);
    std::fclose(f);
    if (bad) {
        *error = "cannot read " + path;
        return false;
    }
    return true;
}

} // namespace sim
