// The communications functions on a serial port handle.
#include "kernel/SerialPort.h"

using winapi::kernel::findHandleOf;
using winapi::kernel::SerialPort;

namespace {

std::shared_ptr<SerialPort> portOf(HANDLE handle) {
    auto port = findHandleOf<SerialPort>(handle);
    if (!port) SetLastError(ERROR_INVALID_HANDLE);
    return port;
}

} // namespace

BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB) {
    auto port = portOf(hFile);
    if (!port) return FALSE;
    if (!lpDCB) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return port->getState(lpDCB);
}

BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB) {
    auto port = portOf(hFile);
    if (!port) return FALSE;
    if (!lpDCB) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return port->setState(*lpDCB);
}

BOOL WINAPI GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
    auto port = portOf(hFile);
    if (!port) return FALSE;
    if (!lpCommTimeouts) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    port->getTimeouts(lpCommTimeouts);
    return TRUE;
}

BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
    auto port = portOf(hFile);
    if (!port) return FALSE;
    if (!lpCommTimeouts) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return port->setTimeouts(*lpCommTimeouts);
}

BOOL WINAPI ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
    auto port = portOf(hFile);
    if (!port) return FALSE;
    return port->clearError(lpErrors, lpStat);
}

BOOL WINAPI PurgeComm(HANDLE hFile, DWORD dwFlags) {
    auto port = portOf(hFile);
    if (!port) return FALSE;
    return port->purge(dwFlags);
}
