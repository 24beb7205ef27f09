// Writing command sentences to the receiver.
#pragma once

#include <windows.h>

extern BOOL g_bResetPending; // a reset was sent; the next line re-enables the buttons

// Longest sentence text written: the command field's 1022 characters. A
// longer text is cut to this length.
constexpr int SENTENCE_MAX_CHARS = 1022;

// Writes the text's low bytes and CR LF to the link, pauses 100 ms and purges.
// Always returns 1.
int WriteSentence(LPCWSTR text);
