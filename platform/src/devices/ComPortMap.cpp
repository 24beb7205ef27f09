#include "devices/ComPortMap.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace winapi::devices {

namespace {

constexpr int kFirstNumber = 3;

std::string configFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/starvane";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config/starvane";
    return {};
}

bool makeFolders(const std::string& folder) {
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') {
            std::string part = folder.substr(0, i);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

// path -> number, each number used once.
std::map<std::string, int> readMap(const std::string& file) {
    std::map<std::string, int> map;
    std::set<int> used;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int n = 0;
        if (!(fields >> n) || n < 1) continue;
        std::string path;
        std::getline(fields >> std::ws, path);
        if (path.empty() || map.count(path) || used.count(n)) continue;
        map[path] = n;
        used.insert(n);
    }
    return map;
}

bool writeMap(const std::string& file, const std::map<std::string, int>& map) {
    std::string temp = file + ".tmp." + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const auto& [path, n] : map)
            out << n << ' ' << path << '\n';
        out.flush();
        if (!out) {
            unlink(temp.c_str());
            return false;
        }
    }
    if (rename(temp.c_str(), file.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

int lowestFree(const std::set<int>& used) {
    int n = kFirstNumber;
    while (used.count(n))
        ++n;
    return n;
}

int derivedNumber(const std::string& path, const std::set<int>& used) {
    uint32_t h = 2166136261u; // FNV-1a
    for (unsigned char c : path)
        h = (h ^ c) * 16777619u;
    int n = kFirstNumber + static_cast<int>(h % 253u);
    while (used.count(n))
        ++n;
    return n;
}

} // namespace

std::string comPortMapPath() {
    std::string folder = configFolder();
    return folder.empty() ? folder : folder + "/comports";
}

std::vector<int> comNumbersFor(const std::vector<std::string>& paths) {
    std::string folder = configFolder();
    std::string file = comPortMapPath();
    int lock = -1;
    if (!folder.empty() && makeFolders(folder)) {
        // Two programs starting together must not hand out one number twice.
        lock = open((folder + "/comports.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock >= 0) flock(lock, LOCK_EX);
    }
    std::map<std::string, int> map = file.empty() ? std::map<std::string, int>{} : readMap(file);
    std::set<int> used;
    for (const auto& entry : map)
        used.insert(entry.second);

    const std::set<int> remembered = used;
    std::vector<std::string> fresh;
    for (const auto& path : paths) {
        if (!map.count(path)) {
            int n = lowestFree(used);
            map[path] = n;
            used.insert(n);
            fresh.push_back(path);
        }
    }
    bool stored = fresh.empty() || (!file.empty() && lock >= 0 && writeMap(file, map));
    if (lock >= 0) close(lock);

    if (!stored) {
        // Not remembered: numbers derived from the paths, clear of every
        // number already given out.
        std::set<int> taken = remembered;
        for (const auto& path : fresh) {
            int n = derivedNumber(path, taken);
            map[path] = n;
            taken.insert(n);
        }
    }
    std::vector<int> numbers;
    for (const auto& path : paths)
        numbers.push_back(map[path]);
    return numbers;
}

} // namespace winapi::devices
