#include "app/BaseWnd.h"
#include "link/CommandWriter.h"
#include "nmea/FieldStore.h"
#include "nmea/NmeaText.h"
#include "nmea/SentenceIntake.h"
#include "resource.h"
#include "ui/control/RecordFile.h"

// Console lines kept before the console is emptied.
constexpr LRESULT CONSOLE_MAX_LINES = 2000;

// Value of one checksum character: hex digits in either case, other codes
// mapped by the same ranges.
static int ChecksumDigit(WCHAR c) {
    const int code = c & 0xFF;
    if (code < 0x30) return code;
    if (code <= 0x40) return code - 0x30;
    if (code <= 0x60) return code - 0x37;
    return code - 0x57;
}

COLORREF ChecksumColor(LPCWSTR line) {
    const int n = TextLength(line);
    if (n < 5 || line[n - 5] != '*') return CONSOLE_RED;
    const int star = n - 5;
    int sum = 0;
    for (int i = 1; i < star; i++) // the first character ('$') is left out
        sum ^= line[i] & 0xFF;
    const int given = (ChecksumDigit(line[n - 4]) * 16 + ChecksumDigit(line[n - 3])) % 256;
    return given == sum ? CONSOLE_BLACK : CONSOLE_RED;
}

static LPCWSTR SkipSpaces(LPCWSTR p) {
    while (*p == ' ')
        p++;
    return p;
}

// Copies `from` into `out` and cuts it at the first `stop` character.
static void CopyUpTo(LPWSTR out, int capacity, LPCWSTR from, WCHAR stop) {
    CopyText(out, capacity, from);
    for (LPWSTR p = out; *p; p++)
        if (*p == stop) {
            *p = 0;
            break;
        }
}

int CoreVersionReply(LPCWSTR line, LPWSTR out, int capacity) {
    if (!FindText(line, TEXT("$PMTK705,"))) return 0;
    LPCWSTR comma = FindText(line, TEXT(","));
    CopyUpTo(out, capacity, SkipSpaces(comma + 1), ',');
    return IDC_CORE_VERSION;
}

int VersionReply(LPCWSTR line, LPWSTR out, int capacity) {
    LPCWSTR version = FindText(line, TEXT("Version"));
    if (!version) return 0;
    LPCWSTR colon = FindText(line, TEXT(":"));
    LPCWSTR start = colon ? colon + 1 : version + 7;
    CopyUpTo(out, capacity, SkipSpaces(start), '*');
    return FindText(line, TEXT("Version2")) ? IDC_FW_VERSION : IDC_CORE_VERSION;
}

// One received line (ending with its line feed): record it, pick up the
// receiver's replies, colour it by its checksum, decode RMC/GSA/GSV, append it
// to the console and repaint the display when a sentence group is complete.
// Returns 0 when turned away because a line is already being decoded.
int CBaseWnd::HandleSentence(HWND hwnd, LPCWSTR line) {
    // A line longer than the copy is cut to 255 characters; it then has no
    // valid checksum position and shows in red.
    WCHAR szLine[LINE_COPY_CHARS];
    CopyText(szLine, LINE_COPY_CHARS, line);
    const HWND hPanel = m_ControlPanel.m_hWnd;

    if (g_bResetPending) {
        EnableWindow(GetDlgItem(hPanel, IDC_COLD_START), TRUE);
        EnableWindow(GetDlgItem(hPanel, IDC_FACTORY_RESET), TRUE);
        g_bResetPending = FALSE;
    }

    // The line as received (UTF-16LE, line end included), one write per line.
    if (g_bRecording && g_hRecordFile != INVALID_HANDLE_VALUE)
        RecordLine(szLine, TextLength(szLine));

    if (FindText(szLine, TEXT("WAAS Enable")))
        SendMessageW(GetDlgItem(hPanel, IDC_WAAS), BM_SETCHECK, BST_CHECKED, 0);
    else if (FindText(szLine, TEXT("WAAS Disable")))
        SendMessageW(GetDlgItem(hPanel, IDC_WAAS), BM_SETCHECK, BST_UNCHECKED, 0);

    WCHAR szReply[LINE_COPY_CHARS];
    if (int id = CoreVersionReply(szLine, szReply, LINE_COPY_CHARS))
        SetWindowTextW(GetDlgItem(hPanel, id), szReply);
    // A line that is both replies leaves this text.
    if (int id = VersionReply(szLine, szReply, LINE_COPY_CHARS))
        SetWindowTextW(GetDlgItem(hPanel, id), szReply);

    m_ControlPanel.SetConsoleColor(ChecksumColor(szLine));

    if (m_bBusy) return 0;
    m_bBusy = TRUE;

    if (m_dwStartTick == 0) {
        // First line after a link opening or reset: start the time-to-first-fix
        // measurement; the line is shown but not decoded.
        m_dwStartTick = GetTickCount();
    } else if (FindText(szLine, TEXT("RMC"))) {
        DecodeRmc(szLine, hwnd);
    } else if (FindText(szLine, TEXT("GSA"))) {
        DecodeGsa(szLine, hwnd);
    } else if (FindText(szLine, TEXT("GSV"))) {
        DecodeGsv(szLine);
    }

    if (SendMessageW(m_ControlPanel.m_hConsole, EM_GETLINECOUNT, 0, 0) > CONSOLE_MAX_LINES)
        SetWindowTextW(m_ControlPanel.m_hConsole, TEXT(""));
    SendMessageW(m_ControlPanel.m_hConsole, EM_REPLACESEL, FALSE, (LPARAM)szLine);

    if (g_FieldStore.bRepaintPending) {
        m_DisplayPanel.RefreshDisplay();
        g_FieldStore.bRepaintPending = FALSE;
    }
    m_bBusy = FALSE;
    return 1;
}
