// CreateThread on std::thread, and thread identifiers.
//
// Identifiers are the layer's own small numbers, handed out once per thread,
// so that the id CreateThread reports is the one GetCurrentThreadId answers
// inside the new thread.
#include "kernel/HandleTable.h"

#include <atomic>
#include <system_error>
#include <thread>

using namespace winapi::kernel;

namespace {

std::atomic<DWORD> g_nextThreadId{0x100};
thread_local DWORD t_threadId = 0;

DWORD newThreadId() {
    return g_nextThreadId.fetch_add(4);
}

// The thread handle only names the thread: closing it leaves the thread running.
class ThreadObject : public KernelObject {
  public:
    explicit ThreadObject(DWORD id) : id_(id) {}
    DWORD id() const { return id_; }

  private:
    DWORD id_;
};

} // namespace

DWORD WINAPI GetCurrentThreadId(void) {
    if (t_threadId == 0) t_threadId = newThreadId();
    return t_threadId;
}

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                           DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (!lpStartAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (dwCreationFlags & CREATE_SUSPENDED) {
        SetLastError(ERROR_NOT_SUPPORTED); // nothing here resumes threads
        return nullptr;
    }
    DWORD id = newThreadId();
    try {
        std::thread([lpStartAddress, lpParameter, id] {
            t_threadId = id;
            lpStartAddress(lpParameter);
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (lpThreadId) *lpThreadId = id;
    return addHandle(std::make_shared<ThreadObject>(id));
}
