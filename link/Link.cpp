#include "link/Link.h"
#include "app/BaseWnd.h"

HANDLE g_hPort = INVALID_HANDLE_VALUE;
BOOL g_bReaderRunning = 0;
const DWORD g_BaudRates[9] = {1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};

int OpenLink(HWND hOwner, LPWSTR portText, int baudIndex) { return 0; }
int CloseLink() { return 1; }
DWORD WINAPI ReaderThread(LPVOID param) { return 0; }
int CBaseWnd::ToggleLink(HWND hwnd) { return 0; }
