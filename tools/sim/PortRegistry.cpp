#include "PortRegistry.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

namespace {

char g_linkForSignal[PATH_MAX];

// Creates one directory level with mode 0700, or accepts an existing one if
// it is a real directory (not a link) that belongs to us.
bool ensurePrivateDir(const std::string& path, std::string* error) {
    if (mkdir(path.c_str(), 0700) == 0) return true;
    if (errno != EEXIST) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = path + " exists and is not a directory";
        return false;
    }
    if (st.st_uid != getuid()) {
        *error = path + " belongs to another user";
        return false;
    }
    return true;
}

bool targetExists(const std::string& link) {
    char resolved[PATH_MAX];
    return realpath(link.c_str(), resolved) != nullptr;
}

} // namespace

std::string PortRegistry::folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/starvane/ports";
    return "/tmp/starvane-" + std::to_string(getuid()) + "/ports";
}

std::string PortRegistry::safeName(const std::string& description) {
    std::string out;
    for (char c : description) {
        unsigned char u = static_cast<unsigned char>(c);
        out += (c == '/' || u < 0x20 || u == 0x7F) ? '-' : c;
    }
    if (out.empty() || out == "." || out == "..") out = "Starvane GPS simulator";
    if (out.size() > 120) out.resize(120);
    return out;
}

bool PortRegistry::registerPort(const std::string& description, const std::string& devicePath,
                                std::string* error) {
    unregister();
    std::string dir = folder();
    std::string parent = dir.substr(0, dir.rfind('/'));
    if (!ensurePrivateDir(parent, error) || !ensurePrivateDir(dir, error)) return false;
    std::string base = safeName(description);
    for (int n = 1; n < 100; ++n) {
        std::string name = n == 1 ? base : base + " " + std::to_string(n);
        std::string link = dir + "/" + name;
        struct stat st;
        if (lstat(link.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode) || targetExists(link)) continue; // someone else's live port
            unlink(link.c_str()); // left behind by a program that is gone
        }
        if (symlink(devicePath.c_str(), link.c_str()) == 0) {
            link_ = link;
            target_ = devicePath;
            if (link.size() < sizeof g_linkForSignal)
                std::memcpy(g_linkForSignal, link.c_str(), link.size() + 1);
            return true;
        }
        if (errno != EEXIST) {
            *error = "cannot create " + link + ": " + std::strerror(errno);
            return false;
        }
    }
    *error = "no free port name in " + dir;
    return false;
}

void PortRegistry::unregister() {
    if (link_.empty()) return;
    // Only our own link: it may have been replaced meanwhile.
    char target[PATH_MAX];
    ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
    if (n >= 0) {
        target[n] = '\0';
        if (target_ == target) unlink(link_.c_str());
    }
    link_.clear();
    target_.clear();
    g_linkForSignal[0] = '\0';
}

void removeRegisteredLinkFromSignal() {
    if (g_linkForSignal[0]) unlink(g_linkForSignal);
}

} // namespace sim
