// The link to the receiver (a COM port or a replay file) and its reader thread.
#pragma once

#include <windows.h>

extern HANDLE g_hPort;        // open link, INVALID_HANDLE_VALUE when closed (UI thread only)
extern BOOL g_bReaderRunning; // 1 while a reader runs for the open link (UI thread only)
extern const DWORD g_BaudRates[9];

// What one reader thread works with. Each open link has its own block, so a
// reader left over from a closed link never reads or delivers anything of a
// link opened after it. The UI thread owns the block until it clears bRun;
// from then on only the reader touches it, and frees it when it ends.
struct ReaderLink {
    HANDLE hPort;       // the link this reader reads
    HWND hOwner;        // receives WMU_SENTENCE
    volatile LONG bRun; // cleared (atomically) by CloseLink
};

// Opens the port item or "Log File" text (the port text is cut at its ')' in
// place) at the baud rate of g_BaudRates[baudIndex] and starts the reader.
// Returns 1 on success, 0 when nothing was opened.
int OpenLink(HWND hOwner, LPWSTR portText, int baudIndex);
// Stops the reader and closes the link; blocks for two pauses of 100 ms.
int CloseLink();
// The reader: param is the link's ReaderLink block, which it frees.
DWORD WINAPI ReaderThread(LPVOID param);
