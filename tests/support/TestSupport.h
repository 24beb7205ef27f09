// Helpers shared by the test binaries.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Dispatches queued messages until none is left (or `ms` have passed).
void pumpMessages(int ms = 0);

// A top-level window of a class of its own with procedure `proc` (the class
// is registered on first use).
HWND makeWindowOfClass(LPCWSTR className, WNDPROC proc, DWORD style, int width, int height);

// Runs the message loop until WM_QUIT; returns its exit code.
int runUntilQuit();

// UTF-16 text from UTF-8, for comparisons with window text.
std::u16string u16(const char* utf8);
std::string utf8(LPCWSTR text);

} // namespace testsupport
