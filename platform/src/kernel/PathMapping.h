// Windows paths <-> Linux paths, mapped as drive Z: = the Linux root, and the
// UTF-16 <-> UTF-8 conversions they need.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace winapi::kernel {

// UTF-8 of a NUL-terminated UTF-16 text; nothing for an unpaired surrogate.
std::optional<std::string> utf16ToUtf8(LPCWSTR text);
// UTF-16 of UTF-8 text; invalid sequences become U+FFFD.
std::u16string utf8ToUtf16(const std::string& text);

// "Z:\a\b" or "Z:/a/b" -> "/a/b"; "\a" and "/a" name the same; a relative
// path stays relative with '/' separators. Another drive letter or a UNC
// path gives nothing and sets *error (ERROR_PATH_NOT_FOUND, ERROR_BAD_NETPATH,
// ERROR_INVALID_NAME).
std::optional<std::string> linuxPathFromWindows(LPCWSTR path, DWORD* error);
// "/a/b" -> "Z:\a\b".
std::u16string windowsPathFromLinux(const std::string& path);

} // namespace winapi::kernel
