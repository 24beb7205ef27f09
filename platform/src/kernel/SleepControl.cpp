#include "kernel/SleepControl.h"

#include <atomic>

namespace winapi {

namespace {
std::atomic<bool> g_sleepDisabled{false};
}

void setSleepDisabled(bool disabled) { g_sleepDisabled = disabled; }
bool sleepDisabled() { return g_sleepDisabled; }

} // namespace winapi
