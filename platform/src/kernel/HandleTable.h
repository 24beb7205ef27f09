// The process's table of kernel handles: files, serial ports and threads.
//
// A HANDLE is a key into the table, never a pointer, so a stale or foreign
// value is recognised. Keys are multiples of 4 far from 0 and -1 and are
// never reused. An object stays alive while a call that looked it up runs,
// even if another thread closes its handle meanwhile.
#pragma once

#include <windows.h>

#include <memory>

namespace winapi::kernel {

class KernelObject {
  public:
    virtual ~KernelObject() = default;
    // Synchronous transfer; the default refuses the operation.
    virtual BOOL read(void* buffer, DWORD count, DWORD* done);
    virtual BOOL write(const void* buffer, DWORD count, DWORD* done);
    // The handle was closed: end any call still waiting on the object.
    virtual void closed() {}
};

HANDLE addHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> findHandle(HANDLE handle);
// Removes the handle; returns its object, or null for an unknown handle.
std::shared_ptr<KernelObject> removeHandle(HANDLE handle);

template <typename T> std::shared_ptr<T> findHandleOf(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(findHandle(handle));
}

} // namespace winapi::kernel
