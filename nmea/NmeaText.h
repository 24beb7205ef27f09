// Small text helpers for received sentences: a bounded "%d" reader for field
// positions, and length, bounded copy and search on WCHAR text.
#pragma once

#include <windows.h>

// Reads a decimal integer at character `pos` of a null-terminated field, the
// way "%d" does: leading blanks are skipped, then an optional sign and the
// digits up to the first other character. A position at or beyond the end of
// the field, or a text without digits there, gives 0. Nothing past the
// field's terminator is ever read. Values beyond the 32-bit range saturate.
// `pHasDigits`, when given, tells whether any digit was read.
int ReadFieldInt(LPCWSTR field, int pos, BOOL* pHasDigits = nullptr);

// Number of characters before the terminator.
int TextLength(LPCWSTR text);

// Copies `src` into `dest` of `capacity` characters (terminator included),
// cutting what does not fit. `dest` is always terminated.
void CopyText(LPWSTR dest, int capacity, LPCWSTR src);
template <int N> void CopyText(WCHAR (&dest)[N], LPCWSTR src) {
    CopyText(dest, N, src);
}

// First occurrence of `part` in `text`, case taken into account, or nullptr.
LPCWSTR FindText(LPCWSTR text, LPCWSTR part);

inline BOOL IsDigitChar(WCHAR c) {
    return c >= '0' && c <= '9';
}
