// The simulator's own log: timestamped lines on standard error and, when
// asked, in a file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class SimLog {
  public:
    SimLog() = default;
    ~SimLog();
    SimLog(const SimLog&) = delete;
    SimLog& operator=(const SimLog&) = delete;

    bool openFile(const std::string& path);
    void setStderr(bool on) { toStderr_ = on; }
    // Keep the messages in memory as well (for tests).
    void setKeep(bool on) { keep_ = on; }
    const std::vector<std::string>& kept() const { return kept_; }

    void write(std::string_view message);
    void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

  private:
    bool toStderr_ = true;
    bool keep_ = false;
    std::FILE* file_ = nullptr;
    std::vector<std::string> kept_;
};

// Bytes shown readably: printable ASCII as is, everything else as \xHH (CR
// and LF as \r \n).
std::string escapeBytes(std::string_view bytes);

} // namespace sim
