#include "Faults.h"

#include <cstdlib>

namespace sim {

namespace {

struct KindName {
    const char* name;
    FaultKind kind;
    double defaultRate;
};

const KindName kKinds[] = {
    {"checksum", FaultKind::Checksum, 0.05}, {"garble", FaultKind::Garble, 0.02},
    {"overlong", FaultKind::Overlong, 0.01}, {"pause", FaultKind::Pause, 0.05},
    {"unplug", FaultKind::Unplug, 30.0},
};

} // namespace

std::optional<FaultSetting> parseFault(std::string_view text, std::string* error) {
    std::string_view name = text.substr(0, text.find(':'));
    for (const KindName& k : kKinds) {
        if (name != k.name) continue;
        FaultSetting setting{k.kind, k.defaultRate};
        if (name.size() < text.size()) {
            std::string value(text.substr(name.size() + 1));
            char* end = nullptr;
            double v = std::strtod(value.c_str(), &end);
            bool ok = !value.empty() && end && *end == '\0';
            if (k.kind == FaultKind::Unplug)
                ok = ok && v >= 0 && v < 1e7;
            else
                ok = ok && v >= 0 && v <= 1;
            if (!ok) {
                *error = "bad value in fault '" + std::string(text) + "' (" +
                         (k.kind == FaultKind::Unplug ? "seconds expected"
                                                      : "a fraction from 0 to 1 expected") +
                         ")";
                return std::nullopt;
            }
            setting.rate = v;
        }
        return setting;
    }
    *error =
        "unknown fault '" + std::string(name) + "' (checksum, garble, overlong, pause or unplug)";
    return std::nullopt;
}

void Faults::add(const FaultSetting& f) {
    for (auto& s : settings_)
        if (s.kind == f.kind) {
            s.rate = f.rate;
            return;
        }
    settings_.push_back(f);
}

double Faults::rateOf(FaultKind k) const {
    for (const auto& s : settings_)
        if (s.kind == k) return s.rate;
    return 0;
}

std::optional<double> Faults::unplugAfter() const {
    for (const auto& s : settings_)
        if (s.kind == FaultKind::Unplug) return s.rate;
    return std::nullopt;
}

std::vector<Piece> Faults::apply(std::string line) {
    std::vector<Piece> out;
    if (!enabled_ || settings_.empty()) {
        out.push_back({std::move(line)});
        return out;
    }
    // A fault draws from the generator only when it is configured.
    if (rateOf(FaultKind::Overlong) > 0 && rng_.chance(rateOf(FaultKind::Overlong))) {
        // A line that never ends: printable noise, then the next sentence
        // continues it.
        std::string junk = "$GPTXT,";
        while (junk.size() < kOverlongBytes)
            junk += static_cast<char>(rng_.range(0x20, 0x7E));
        out.push_back({std::move(junk)});
    }
    if (rateOf(FaultKind::Checksum) > 0 && rng_.chance(rateOf(FaultKind::Checksum))) {
        size_t star = line.rfind('*');
        if (star != std::string::npos && star + 2 < line.size()) {
            // Change one checksum digit into another valid hex digit.
            const char* hex = "0123456789ABCDEF";
            char& d = line[star + 1 + rng_.range(0, 1)];
            char repl;
            do
                repl = hex[rng_.range(0, 15)];
            while (repl == d);
            d = repl;
        }
    }
    if (rateOf(FaultKind::Garble) > 0 && rng_.chance(rateOf(FaultKind::Garble)) &&
        line.size() > 4) {
        // A burst of noise on the line: random bytes anywhere before the line
        // end, high bytes included, never a line feed.
        size_t body = line.size() - 2;
        size_t start = static_cast<size_t>(rng_.range(1, static_cast<int>(body) - 1));
        size_t len = static_cast<size_t>(rng_.range(1, 12));
        for (size_t i = start; i < body && i < start + len; ++i) {
            char c;
            do
                c = static_cast<char>(rng_.range(0, 255));
            while (c == '\n');
            line[i] = c;
        }
    }
    Piece p{std::move(line)};
    if (rateOf(FaultKind::Pause) > 0 && rng_.chance(rateOf(FaultKind::Pause)) &&
        p.bytes.size() > 2) {
        p.pauseAt = p.bytes.size() / 2;
        p.pauseSeconds = kPauseSeconds;
    }
    out.push_back(std::move(p));
    return out;
}

} // namespace sim
