#include "CommandHandler.h"

#include <cstdlib>

namespace sim {

namespace {

std::vector<std::string> splitFields(std::string_view body) {
    std::vector<std::string> f;
    size_t start = 0;
    for (;;) {
        size_t comma = body.find(',', start);
        f.emplace_back(body.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                          : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return f;
}

bool isNumber(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

std::vector<std::string> CommandHandler::feed(std::string_view bytes, double unixTime) {
    std::vector<std::string> replies;
    for (char c : bytes) {
        if (c == '\n') {
            if (dropping_) {
                dropping_ = false;
                pending_.clear();
                continue;
            }
            pending_ += c;
            for (auto& r : handleLine(pending_, unixTime))
                replies.push_back(std::move(r));
            pending_.clear();
            continue;
        }
        if (dropping_) continue;
        pending_ += c;
        if (pending_.size() > kMaxLine) {
            log_.printf("received %zu bytes without a line end, dropping the line: %s...",
                        pending_.size(), escapeBytes(pending_.substr(0, 60)).c_str());
            pending_.clear();
            dropping_ = true;
        }
    }
    return replies;
}

std::vector<std::string> CommandHandler::handleLine(std::string_view line, double unixTime) {
    std::vector<std::string> replies;
    log_.printf("received: %s", escapeBytes(line).c_str());
    std::string_view text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    if (text.empty()) return replies;
    if (!nmeaChecksumOk(text)) {
        log_.printf("ignored: %s", text[0] == '$' ? "missing or wrong checksum" : "not a sentence");
        return replies;
    }
    std::vector<std::string> f = splitFields(text.substr(1, text.size() - 4));
    const std::string& id = f[0];

    auto restart = [&](StartMode mode, const char* what) {
        if (!restartsAllowed_) {
            log_.printf("%s ignored while replaying a log", what);
            return;
        }
        log_.printf("%s", what);
        rx_.restart(mode, unixTime);
        replies.push_back(nmeaSentence("PMTK011,MTKGPS"));
        replies.push_back(nmeaSentence("PMTK010,001"));
    };

    if (id == "PMTK103" || id == "PMTK104") {
        restart(StartMode::Cold, id == "PMTK103" ? "cold restart" : "full cold restart");
    } else if (id == "PMTK101" || id == "PMTK102") {
        restart(StartMode::Hot, id == "PMTK101" ? "hot restart" : "warm restart");
    } else if (id == "PMTK605") {
        replies.push_back(nmeaSentence(kVersionReply));
    } else if (id.rfind("PMTK", 0) == 0) {
        log_.printf("unsupported command %s", id.c_str());
        replies.push_back(nmeaSentence("PMTK001," + id.substr(4) + ",1"));
    } else if (id == "PSRF151" && f.size() >= 2 && isNumber(f[1])) {
        bool on = std::atoi(f[1].c_str()) != 0;
        rx_.setWaas(on);
        replies.push_back(nmeaSentence(on ? "PSRF151,WAAS Enable" : "PSRF151,WAAS Disable"));
    } else if (id == "PSRF103" && f.size() >= 4 && isNumber(f[1]) && isNumber(f[2]) &&
               isNumber(f[3])) {
        static const Output kMessages[] = {Output::Gga, Output::Gll, Output::Gsa,
                                           Output::Gsv, Output::Rmc, Output::Vtg};
        static const char* kNames[] = {"GGA", "GLL", "GSA", "GSV", "RMC", "VTG"};
        int msg = std::atoi(f[1].c_str());
        int mode = std::atoi(f[2].c_str());
        if (msg < 0 || msg > 5 || mode != 0) {
            log_.printf("unsupported output request %s,%s", f[1].c_str(), f[2].c_str());
        } else {
            bool on = std::atoi(f[3].c_str()) != 0;
            rx_.writer().config().enabled[static_cast<int>(kMessages[msg])] = on;
            log_.printf("%s output %s", kNames[msg], on ? "on" : "off");
        }
    } else if (id == "PSRF150") {
        log_.printf("power save request noted (no effect on the simulation)");
    } else {
        log_.printf("unknown command %s, ignored", id.c_str());
    }
    for (const auto& r : replies)
        log_.printf("reply: %s", escapeBytes(r).c_str());
    return replies;
}

} // namespace sim
