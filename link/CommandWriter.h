// Writing command sentences to the receiver.
#pragma once

#include <windows.h>

extern BOOL g_bResetPending; // a reset was sent; the next line re-enables the buttons

// Writes the text's low bytes and CR LF to the link, pauses 100 ms and purges.
int WriteSentence(LPCWSTR text);
