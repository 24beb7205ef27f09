// A private set of virtual ports: XDG_RUNTIME_DIR and XDG_CONFIG_HOME point
// into a temporary folder, and pseudo-terminals stand in for receivers.
#pragma once

#include "devices/DeviceList.h"
#include "kernel/KernelTestEnv.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace kerneltest {

struct PseudoTerminal {
    int master = -1;
    std::string slave;
    PseudoTerminal() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~PseudoTerminal() { closeMaster(); }
    void closeMaster() {
        if (master >= 0) close(master);
        master = -1;
    }
};

class VirtualPortTest : public testing::Test {
  protected:
    void SetUp() override {
        runtime_ = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", (dir_.path() + "/run").c_str());
        config_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (dir_.path() + "/config").c_str());
        std::filesystem::create_directories(winapi::virtualPortFolder());
    }

    void addLink(const std::string& name, const std::string& target) {
        ASSERT_EQ(symlink(target.c_str(), (winapi::virtualPortFolder() + "/" + name).c_str()), 0);
    }
    void removeLink(const std::string& name) {
        unlink((winapi::virtualPortFolder() + "/" + name).c_str());
    }
    std::string makeFile(const std::string& name) {
        std::string path = dir_.path() + "/" + name;
        close(open(path.c_str(), O_CREAT | O_WRONLY, 0600));
        return path;
    }
    static const winapi::SerialDevice* find(const std::vector<winapi::SerialDevice>& list,
                                            const std::string& path) {
        for (const auto& d : list)
            if (d.path == path) return &d;
        return nullptr;
    }
    static int comNumberOf(const std::string& path) {
        auto list = winapi::listSerialDevices();
        const auto* d = find(list, path);
        return d ? d->comNumber : 0;
    }
    static std::u16string comName(int n) { return u"\\\\.\\COM" + wide(std::to_string(n)); }

    TempDir dir_;
    std::unique_ptr<ScopedEnv> runtime_, config_;
};

} // namespace kerneltest
