// JSON text for the decoder's output: strings with \uXXXX escapes for
// everything outside printable ASCII.
#pragma once

#include <windows.h>

#include <string>

std::string jsonString(LPCWSTR text);
