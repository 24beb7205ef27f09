// The calling thread's last error code, as Windows keeps it per thread.
#include <windows.h>

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError(void) {
    return t_lastError;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    t_lastError = dwErrCode;
}
