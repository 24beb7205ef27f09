// Pieces of the handling of one received line that stand on their own: the
// console colour of a line and the receiver's version replies.
#pragma once

#include <windows.h>

// Console colours (0x00BBGGRR).
constexpr COLORREF CONSOLE_BLACK = 0x000000; // checksum correct
constexpr COLORREF CONSOLE_RED = 0x0000FF;   // checksum missing or wrong
constexpr COLORREF CONSOLE_GREEN = 0x00FF00; // RMC speed over 100 km/h

// Every line is cut to this many characters (terminator included).
constexpr int LINE_COPY_CHARS = 256;

// The colour of a line from its checksum: black when the line ends in '*',
// two hex digits and two more characters (normally CR LF) and the digits
// match the XOR of the characters between the first one and the '*'.
COLORREF ChecksumColor(LPCWSTR line);

// A core version reply ("$PMTK705,"): the text after the line's first comma,
// leading spaces skipped, up to the next comma. Returns the dialog item it
// goes to (IDC_CORE_VERSION), or 0 when the line is no such reply.
int CoreVersionReply(LPCWSTR line, LPWSTR out, int capacity);

// A version reply (contains "Version"): the text after the line's first ':',
// or after "Version" when there is none, leading spaces skipped, up to a '*'.
// Returns IDC_FW_VERSION for "Version2", IDC_CORE_VERSION otherwise, 0 when
// the line is no such reply.
int VersionReply(LPCWSTR line, LPWSTR out, int capacity);
