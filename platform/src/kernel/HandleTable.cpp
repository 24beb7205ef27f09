#include "kernel/HandleTable.h"

#include <mutex>
#include <unordered_map>

namespace winapi::kernel {

namespace {

constexpr uintptr_t kFirstHandle = 0x00A00004;

struct Table {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    uintptr_t next = kFirstHandle;
};

Table& table() {
    static Table* t = new Table; // never destroyed: threads may outlive static teardown
    return *t;
}

} // namespace

BOOL KernelObject::read(void*, DWORD, DWORD* done) {
    if (done) *done = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL KernelObject::write(const void*, DWORD, DWORD* done) {
    if (done) *done = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HANDLE addHandle(std::shared_ptr<KernelObject> object) {
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    uintptr_t key = t.next;
    t.next += 4;
    t.objects.emplace(key, std::move(object));
    return reinterpret_cast<HANDLE>(key);
}

std::shared_ptr<KernelObject> findHandle(HANDLE handle) {
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<KernelObject> removeHandle(HANDLE handle) {
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end()) return nullptr;
    std::shared_ptr<KernelObject> object = std::move(it->second);
    t.objects.erase(it);
    return object;
}

} // namespace winapi::kernel
