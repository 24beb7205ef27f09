#include "SimLog.h"

#include <cstdarg>
#include <ctime>
#include <sys/time.h>

namespace sim {

SimLog::~SimLog() {
    if (file_) std::fclose(file_);
}

bool SimLog::openFile(const std::string& path) {
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

void SimLog::write(std::string_view message) {
    timeval tv;
    gettimeofday(&tv, nullptr);
    std::tm tm;
    time_t secs = tv.tv_sec;
    localtime_r(&secs, &tm);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(tv.tv_usec / 1000));
    if (toStderr_) {
        std::fprintf(stderr, "[%s] %.*s\n", stamp, static_cast<int>(message.size()),
                     message.data());
        std::fflush(stderr);
    }
    if (file_) {
        std::fprintf(file_, "[%s] %.*s\n", stamp, static_cast<int>(message.size()), message.data());
        std::fflush(file_);
    }
    if (keep_) kept_.emplace_back(message);
}

void SimLog::printf(const char* format, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    write(buf);
}

std::string escapeBytes(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
        else {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        }
    }
    return out;
}

} // namespace sim
