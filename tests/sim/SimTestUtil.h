// Small helpers shared by the simulator tests.
#pragma once

#include "NmeaWriter.h"
#include "Receiver.h"
#include "Route.h"

#include <memory>
#include <string>
#include <vector>

namespace simtest {

// 2024-05-01 12:00:00 UTC
constexpr double kStart = 1714564800.0;

// A receiver with everything it refers to.
struct Rig {
    sim::Rng rng;
    sim::Route route;
    std::unique_ptr<sim::Receiver> rx;

    explicit Rig(sim::ReceiverConfig cfg = {}, uint64_t seed = 1, sim::WriterConfig w = {})
        : rng(seed), route({48.1173, 11.5167, 520}) {
        rx = std::make_unique<sim::Receiver>(cfg, route, w, rng, kStart);
    }
    std::vector<std::string> cycle(double secondsAfterStart) {
        return rx->cycle(kStart + secondsAfterStart);
    }
};

inline std::vector<std::string> fields(const std::string& sentence) {
    std::string body = sentence.substr(1, sentence.find('*') - 1);
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t comma = body.find(',', start);
        out.push_back(body.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) return out;
        start = comma + 1;
    }
}

inline const std::string* find(const std::vector<std::string>& lines, const char* type) {
    for (const auto& l : lines)
        if (l.compare(3, 3, type) == 0) return &l;
    return nullptr;
}

} // namespace simtest
