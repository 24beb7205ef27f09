// Translation of POSIX errno values into Windows error codes.
#pragma once

#include <windows.h>

namespace winapi::kernel {

DWORD win32ErrorFromErrno(int error);
// Sets the thread's last error from errno (or the given value).
void setLastErrorFromErrno(int error);

} // namespace winapi::kernel
