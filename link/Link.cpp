#include "link/Link.h"

#include <commdlg.h>

#include <new>

#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "link/PortDiscovery.h"
#include "resource.h"

HANDLE g_hPort = INVALID_HANDLE_VALUE;
BOOL g_bReaderRunning = 0;
const DWORD g_BaudRates[9] = {1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};

// The block of the reader of the open link; null when none runs.
static ReaderLink* g_pReader = nullptr;

constexpr int PORT_TEXT_CHARS = 256;
constexpr int LINK_NAME_CHARS = 128;
constexpr int LINE_CHARS = 512;
// Longest line delivered: 510 characters and the line feed.
constexpr int LINE_MAX_BEFORE_LF = 510;
// Pause after a read that gave no byte (end of a replay file, a failing
// device), so that such a reader does not spin.
constexpr DWORD EMPTY_READ_PAUSE_MS = 20;

// The first occurrence of `part` in `text`, or null.
static LPWSTR FindPart(LPWSTR text, LPCWSTR part) {
    for (LPWSTR p = text; *p; p++) {
        int i = 0;
        while (part[i] && p[i] == part[i])
            i++;
        if (!part[i]) return p;
    }
    return nullptr;
}

static LPWSTR FindChar(LPWSTR text, WCHAR c) {
    for (LPWSTR p = text; *p; p++)
        if (*p == c) return p;
    return nullptr;
}

// Exact, case-sensitive comparison.
static bool SameText(LPCWSTR a, LPCWSTR b) {
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

// Stops the reader of the open link: after this the UI thread no longer
// touches its block, which the reader frees once it sees the cleared flag.
static void StopReader() {
    g_bReaderRunning = 0;
    if (g_pReader) {
        InterlockedExchange(&g_pReader->bRun, 0);
        g_pReader = nullptr;
    }
}

static bool ReaderShouldRun(ReaderLink* link) {
    return InterlockedCompareExchange(&link->bRun, 1, 1) != 0;
}

// Asks for the replay file; fills `path` (MAX_PATH units). Returns 0 when cancelled.
static int AskForReplayFile(HWND hOwner, LPWSTR path) {
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(OPENFILENAMEW);
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = TEXT("Log Files(*.pgl)\0*.pgl\0");
    ofn.nFilterIndex = 1;
    path[0] = 0;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = TEXT("WAVE Files");
    ofn.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
    return GetOpenFileNameW(&ofn) ? 1 : 0;
}

// The port's link name: \\.\ followed by the text between "(COM"'s '(' and
// the next ')' (which is cut off in the caller's text), or by the whole text
// when it names no "(COM". Returns 0 when no name can be formed: "(COM"
// without a ')' after it, or a name longer than the buffer holds.
static int PortLinkName(LPWSTR portText, LPWSTR linkName) {
    LPWSTR name = portText;
    if (LPWSTR com = FindPart(portText, TEXT("(COM"))) {
        LPWSTR close = FindChar(com, ')');
        if (!close) return 0;
        *close = 0;
        name = com + 1;
    }
    LPCWSTR prefix = TEXT("\\\\.\\");
    const int prefixLength = lstrlenW(prefix);
    if (prefixLength + lstrlenW(name) > LINK_NAME_CHARS - 1) return 0;
    lstrcpyW(linkName, prefix);
    lstrcpyW(linkName + prefixLength, name);
    return 1;
}

static void ConfigurePort(HANDLE hPort, DWORD baudRate) {
    DCB dcb = {};
    dcb.DCBlength = sizeof(DCB);
    GetCommState(hPort, &dcb);
    dcb.BaudRate = baudRate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    dcb.fAbortOnError = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDsrSensitivity = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fNull = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    SetCommState(hPort, &dcb);

    // A read returns at once with a waiting byte, else waits up to 100 ms for one.
    COMMTIMEOUTS timeouts = {};
    GetCommTimeouts(hPort, &timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 100;
    timeouts.WriteTotalTimeoutMultiplier = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 100;
    SetCommTimeouts(hPort, &timeouts);

    DWORD errors = 0;
    ClearCommError(hPort, &errors, nullptr);
    PurgeComm(hPort, PURGE_TXCLEAR);
    PurgeComm(hPort, PURGE_RXCLEAR);
    ClearCommError(hPort, &errors, nullptr);
}

int OpenLink(HWND hOwner, LPWSTR portText, int baudIndex) {
    // A link still open is dropped first, with its reader.
    HANDLE hOld = g_hPort;
    g_hPort = INVALID_HANDLE_VALUE;
    if (hOld != INVALID_HANDLE_VALUE) {
        StopReader();
        CloseHandle(hOld);
    }

    const bool replay = SameText(portText, TEXT("Log File"));
    WCHAR szLinkName[LINK_NAME_CHARS];
    if (replay) {
        WCHAR szPath[MAX_PATH];
        if (!AskForReplayFile(hOwner, szPath)) return 0;
        if (lstrlenW(szPath) > LINK_NAME_CHARS - 1) return 0;
        lstrcpyW(szLinkName, szPath);
    } else {
        if (baudIndex < 0 || baudIndex >= static_cast<int>(sizeof(g_BaudRates) / sizeof(DWORD)))
            return 0;
        if (!PortLinkName(portText, szLinkName)) return 0;
    }

    HANDLE hLink = CreateFileW(szLinkName, replay ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, 0,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (hLink == INVALID_HANDLE_VALUE) return 0;
    if (!replay) ConfigurePort(hLink, g_BaudRates[baudIndex]);

    ReaderLink* link = new (std::nothrow) ReaderLink;
    if (!link) {
        CloseHandle(hLink);
        return 0;
    }
    link->hPort = hLink;
    link->hOwner = hOwner;
    link->bRun = 1;
    // The handle is stored before the reader exists.
    g_hPort = hLink;
    g_pReader = link;
    g_bReaderRunning = 1;
    HANDLE hThread = CreateThread(nullptr, 0, ReaderThread, link, 0, nullptr);
    if (!hThread) {
        // The reader never ran, so its block is still ours.
        g_pReader = nullptr;
        g_bReaderRunning = 0;
        delete link;
        g_hPort = INVALID_HANDLE_VALUE;
        CloseHandle(hLink);
        return 0;
    }
    CloseHandle(hThread); // nobody waits for the reader
    return 1;
}

int CloseLink() {
    StopReader();
    Sleep(100);
    HANDLE hOld = g_hPort;
    g_hPort = INVALID_HANDLE_VALUE;
    if (hOld != INVALID_HANDLE_VALUE) CloseHandle(hOld);
    Sleep(100);
    return 1;
}

DWORD WINAPI ReaderThread(LPVOID param) {
    ReaderLink* link = static_cast<ReaderLink*>(param);
    while (ReaderShouldRun(link)) {
        WCHAR* line = new (std::nothrow) WCHAR[LINE_CHARS];
        if (!line) {
            Sleep(EMPTY_READ_PAUSE_MS);
            continue;
        }
        int n = 0;
        DWORD errors = 0;
        // A communication error makes the port fail reads until it is cleared.
        ClearCommError(link->hPort, &errors, nullptr);
        for (;;) {
            if (!ReaderShouldRun(link)) break;
            BYTE byte = 0;
            DWORD got = 0;
            if (!ReadFile(link->hPort, &byte, 1, &got, nullptr) || got == 0) {
                // No byte: the line so far is dropped.
                Sleep(EMPTY_READ_PAUSE_MS);
                break;
            }
            if (n > LINE_MAX_BEFORE_LF) break; // too long: dropped with this byte
            if (byte == 0x0A) {
                line[n] = 0x000A;
                line[n + 1] = 0;
                // A line completed after its link was closed is not delivered.
                if (ReaderShouldRun(link))
                    SendMessageW(link->hOwner, WMU_SENTENCE, reinterpret_cast<WPARAM>(line), 0);
                break;
            }
            // Sign extension: 0x80..0xFF become U+FF80..U+FFFF.
            line[n++] = static_cast<WCHAR>(static_cast<signed char>(byte));
        }
        delete[] line;
    }
    delete link;
    return 0;
}

int CBaseWnd::ToggleLink(HWND hwnd) {
    const HWND hPanel = m_ControlPanel.m_hWnd;
    const HWND hStart = GetDlgItem(hPanel, IDC_START);
    EnableWindow(hStart, FALSE);

    if (g_hPort != INVALID_HANDLE_VALUE) {
        CloseLink();
        m_ControlPanel.m_bLinkOpen = 0;
        EnableWindow(hStart, TRUE);
        return 1;
    }

    // The selections are checked before they are used: no selection, or an
    // item too long for the port text, refuses the toggle.
    const HWND hPortList = GetDlgItem(hPanel, IDC_PORT);
    const LRESULT portIndex = SendMessageW(hPortList, CB_GETCURSEL, 0, 0);
    const LRESULT baudIndex = SendMessageW(GetDlgItem(hPanel, IDC_BAUD), CB_GETCURSEL, 0, 0);
    WCHAR szPortText[PORT_TEXT_CHARS] = {};
    const LRESULT textLength =
        portIndex == CB_ERR ? CB_ERR : SendMessageW(hPortList, CB_GETLBTEXTLEN, portIndex, 0);
    if (portIndex == CB_ERR || baudIndex == CB_ERR || textLength == CB_ERR ||
        textLength > PORT_TEXT_CHARS - 1) {
        EnableWindow(hStart, TRUE);
        return 0;
    }
    SendMessageW(hPortList, CB_GETLBTEXT, portIndex, reinterpret_cast<LPARAM>(szPortText));
    if (LPWSTR colon = FindChar(szPortText, ':')) *colon = 0;

    // Without a COM port only a replay file can be opened.
    if (g_nPortCount == 0 && !SameText(szPortText, TEXT("Log File"))) {
        EnableWindow(hStart, TRUE);
        return 0;
    }

    m_DisplayPanel.ResetFix();
    const int opened = OpenLink(hwnd, szPortText, static_cast<int>(baudIndex));
    m_bFixTimeShown = 0;
    m_dwStartTick = 0;
    SetWindowTextW(hwnd, TEXT("Trovix"));
    if (opened) m_ControlPanel.m_bLinkOpen = 1;
    EnableWindow(hStart, TRUE);
    return opened;
}
