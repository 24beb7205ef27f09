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

// The colour of a line of n characters.
static COLORREF ChecksumColor(LPCWSTR line, int n) {
    if (n < 5 || line[n - 5] != '*') return CONSOLE_RED;
    const int star = n - 5;
    int sum = 0;
    for (int i = 1; i < star; i++) // the first character ('$') is left out
        sum ^= line[i] & 0xFF;
    const int given = (ChecksumDigit(line[n - 4]) * 16 + ChecksumDigit(line[n - 3])) % 256;
    return given == sum ? CONSOLE_BLACK : CONSOLE_RED;
}

COLORREF ChecksumColor(LPCWSTR line) {
    return ChecksumColor(line, TextLength(line));
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

// The ASCII characters that occur in a line. A line holds a text only if it
// holds each of its characters, so the searches below (up to seven per line,
// most of which find nothing) scan the line only when that test passes.
struct LineChars {
    DWORD bits[4] = {};
    void Add(WCHAR c) {
        if (c < 128) bits[c >> 5] |= 1u << (c & 31);
    }
    BOOL MayHold(LPCWSTR part) const {
        for (; *part; part++)
            if (*part >= 128 || !(bits[*part >> 5] & (1u << (*part & 31)))) return FALSE;
        return TRUE;
    }
};

static BOOL Holds(const LineChars& chars, LPCWSTR line, LPCWSTR part) {
    return chars.MayHold(part) && FindText(line, part) != nullptr;
}

// One received line (ending with its line feed): record it, pick up the
// receiver's replies, colour it by its checksum, decode RMC/GSA/GSV, append it
// to the console and repaint the display when a sentence group is complete.
// Returns 0 when turned away because a line is already being decoded.
int CBaseWnd::HandleSentence(HWND hwnd, LPCWSTR line) {
    // A line longer than the copy is cut to 255 characters; it then has no
    // valid checksum position and shows in red.
    WCHAR szLine[LINE_COPY_CHARS];
    // (CopyText, noting the characters on the way.)
    LineChars chars;
    int n = 0;
    for (; n < LINE_COPY_CHARS - 1 && line[n]; n++) {
        szLine[n] = line[n];
        chars.Add(line[n]);
    }
    szLine[n] = 0;
    const HWND hPanel = m_ControlPanel.m_hWnd;

    if (g_bResetPending) {
        EnableWindow(GetDlgItem(hPanel, IDC_COLD_START), TRUE);
        EnableWindow(GetDlgItem(hPanel, IDC_FACTORY_RESET), TRUE);
        g_bResetPending = FALSE;
    }

    // The line as received (UTF-16LE, line end included), one write per line.
    if (g_bRecording && g_hRecordFile != INVALID_HANDLE_VALUE) RecordLine(szLine, n);

    if (Holds(chars, szLine, TEXT("WAAS Enable")))
        SendMessageW(GetDlgItem(hPanel, IDC_WAAS), BM_SETCHECK, BST_CHECKED, 0);
    else if (Holds(chars, szLine, TEXT("WAAS Disable")))
        SendMessageW(GetDlgItem(hPanel, IDC_WAAS), BM_SETCHECK, BST_UNCHECKED, 0);

    WCHAR szReply[LINE_COPY_CHARS];
    if (chars.MayHold(TEXT("$PMTK705,")))
        if (int id = CoreVersionReply(szLine, szReply, LINE_COPY_CHARS))
            SetWindowTextW(GetDlgItem(hPanel, id), szReply);
    // A line that is both replies leaves this text.
    if (chars.MayHold(TEXT("Version")))
        if (int id = VersionReply(szLine, szReply, LINE_COPY_CHARS))
            SetWindowTextW(GetDlgItem(hPanel, id), szReply);

    m_ControlPanel.SetConsoleColor(ChecksumColor(szLine, n));

    if (m_bBusy) return 0;
    m_bBusy = TRUE;

    if (m_dwStartTick == 0) {
        // First line after a link opening or reset: start the time-to-first-fix
        // measurement; the line is shown but not decoded.
        m_dwStartTick = GetTickCount();
    } else if (Holds(chars, szLine, TEXT("RMC"))) {
        DecodeRmc(szLine, hwnd);
    } else if (Holds(chars, szLine, TEXT("GSA"))) {
        DecodeGsa(szLine, hwnd);
    } else if (Holds(chars, szLine, TEXT("GSV"))) {
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
