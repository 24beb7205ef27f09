// The link to the receiver (a COM port or a replay file) and its reader thread.
#pragma once

#include <windows.h>

extern HANDLE g_hPort;           // open link, INVALID_HANDLE_VALUE when closed
extern BOOL g_bReaderRunning;    // the reader's run flag
extern const DWORD g_BaudRates[9];

int OpenLink(HWND hOwner, LPWSTR portText, int baudIndex);
int CloseLink();
DWORD WINAPI ReaderThread(LPVOID param);
