// The program's own path and the modules the system asks for.
#include "kernel/PathMapping.h"
#include "res/Resources.h"

#include <climits>
#include <cstring>
#include <unistd.h>

using namespace winapi::kernel;

namespace {

// The rich edit class is built into the layer; loading its library only has
// to succeed. The value is a recognisable dummy that is never dereferenced.
HMODULE richEditModule() {
    static int anchor;
    return reinterpret_cast<HMODULE>(&anchor);
}

bool equalsNoCase(LPCWSTR a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        WCHAR x = *a >= u'a' && *a <= u'z' ? static_cast<WCHAR>(*a - u'a' + u'A') : *a;
        char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 'a' + 'A') : *b;
        if (x != static_cast<WCHAR>(y)) return false;
    }
    return *a == 0 && *b == 0;
}

} // namespace

// "Z:\...\starvane" from /proc/self/exe. A buffer that is too small gets the
// first nSize - 1 characters and a terminator; the result is then nSize with
// ERROR_INSUFFICIENT_BUFFER, as on Windows.
DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    char target[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", target, sizeof target - 1);
    if (n <= 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return 0;
    }
    target[n] = 0;
    std::u16string path = windowsPathFromLinux(target);
    if (nSize == 0 || !lpFilename) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= nSize) {
        std::memcpy(lpFilename, path.data(), (nSize - 1) * sizeof(WCHAR));
        lpFilename[nSize - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, path.data(), path.size() * sizeof(WCHAR));
    lpFilename[path.size()] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
    if (lpLibFileName &&
        (equalsNoCase(lpLibFileName, "RICHED32.DLL") || equalsNoCase(lpLibFileName, "RICHED32")))
        return richEditModule();
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

// The main module is the resource loader's instance; the rich edit library
// is known once loaded, as on Windows.
HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
    if (!lpModuleName) return winapi::mainInstance();
    if (equalsNoCase(lpModuleName, "RICHED32.DLL") || equalsNoCase(lpModuleName, "RICHED32"))
        return richEditModule();
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}
