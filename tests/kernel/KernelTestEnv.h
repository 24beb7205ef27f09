// Helpers for the kernel tests: a temporary folder and scoped environment
// variables.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace kerneltest {

class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kernel-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

  private:
    std::string name_;
    std::optional<std::string> old_;
};

// ASCII/UTF-8 text as a WCHAR string (test inputs are ASCII).
inline std::u16string wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// "/a/b" as the Windows path "Z:\a\b".
inline std::u16string zPath(const std::string& linuxPath) {
    std::u16string w = u"Z:";
    for (char c : linuxPath)
        w += c == '/' ? u'\\' : static_cast<char16_t>(c);
    return w;
}

} // namespace kerneltest
