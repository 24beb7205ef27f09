// The record file beside the program (every received line, UTF-16LE with a
// byte-order mark) and the periodic sending of the typed command.
#include "ui/control/RecordFile.h"

#include "app/BaseWnd.h"
#include "nmea/NmeaText.h"
#include "resource.h"

HANDLE g_hRecordFile = INVALID_HANDLE_VALUE;
BOOL g_bRecording = 0;
LONG g_nSnrOffset = 0;

// Texts read from the panel's edit fields, terminator included.
constexpr int FIELD_TEXT_CHARS = 255;
static const WCHAR RECORD_SUFFIX[] = TEXT("_log.txt");
static const WCHAR RECORD_ERROR[] = TEXT("Log File ERROR!!");

// The record controls as they are while no file is open; the operator can
// pick another name and check the box again.
static void ShowNotRecording(HWND hPanel) {
    SendMessageW(GetDlgItem(hPanel, IDC_LOG_FILE), BM_SETCHECK, BST_UNCHECKED, 0);
    EnableWindow(GetDlgItem(hPanel, IDC_LOG_NAME), TRUE);
    EnableWindow(GetDlgItem(hPanel, IDC_SNR_OFFSET), TRUE);
}

// Closes the open record file; what was written stays in it.
static void CloseRecordFile() {
    g_bRecording = 0;
    if (g_hRecordFile != INVALID_HANDLE_VALUE) CloseHandle(g_hRecordFile);
    g_hRecordFile = INVALID_HANDLE_VALUE;
}

// Builds "<program folder>\<name>_log.txt" into `path` (MAX_PATH characters).
// Returns 0 when the program path has no folder or the result would not fit.
static int BuildRecordPath(HWND hPanel, LPWSTR path, int* pNoFolder) {
    *pNoFolder = 0;
    for (int i = 0; i < MAX_PATH; i++)
        path[i] = 0;
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0; // truncated: the folder is unknown
    LPWSTR slash = nullptr;
    for (LPWSTR p = path; *p; p++)
        if (*p == '\\') slash = p;
    if (!slash) {
        *pNoFolder = 1;
        return 0;
    }
    *slash = 0;
    WCHAR szName[FIELD_TEXT_CHARS];
    GetWindowTextW(GetDlgItem(hPanel, IDC_LOG_NAME), szName, FIELD_TEXT_CHARS);
    const int total = lstrlenW(path) + 1 + lstrlenW(szName) + lstrlenW(RECORD_SUFFIX);
    if (total >= MAX_PATH) return 0;
    lstrcatW(path, TEXT("\\"));
    lstrcatW(path, szName);
    lstrcatW(path, RECORD_SUFFIX);
    return 1;
}

// WMU_RECORD_START: creates the record file anew, shared for reading so it can
// be watched while it grows. A file that cannot be made is reported in the
// console and leaves the record controls ready for another try.
LRESULT CBaseWnd::OnRecordStart() {
    const HWND hPanel = m_ControlPanel.m_hWnd;
    if (g_hRecordFile != INVALID_HANDLE_VALUE) CloseRecordFile(); // never two files open

    WCHAR szOffset[FIELD_TEXT_CHARS];
    GetWindowTextW(GetDlgItem(hPanel, IDC_SNR_OFFSET), szOffset, FIELD_TEXT_CHARS);
    BOOL bHasDigits = FALSE;
    const int nOffset = ReadFieldInt(szOffset, 0, &bHasDigits);

    WCHAR szPath[MAX_PATH];
    int bNoFolder = 0;
    if (!BuildRecordPath(hPanel, szPath, &bNoFolder)) {
        if (!bNoFolder) m_ControlPanel.SetConsoleText(RECORD_ERROR);
        ShowNotRecording(hPanel);
        return 0;
    }
    if (bHasDigits) g_nSnrOffset = nOffset; // text that is not a number keeps the value

    HANDLE hFile =
        CreateFileW(szPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    static const BYTE BOM[2] = {0xFF, 0xFE};
    DWORD written = 0;
    if (hFile == INVALID_HANDLE_VALUE || !WriteFile(hFile, BOM, sizeof BOM, &written, nullptr) ||
        written != sizeof BOM) {
        if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
        m_ControlPanel.SetConsoleText(RECORD_ERROR);
        ShowNotRecording(hPanel);
        return 0;
    }
    g_hRecordFile = hFile;
    g_bRecording = 1;
    EnableWindow(GetDlgItem(hPanel, IDC_LOG_NAME), FALSE);
    EnableWindow(GetDlgItem(hPanel, IDC_SNR_OFFSET), FALSE);
    return 0;
}

// WMU_RECORD_STOP: closes an open record file; with none open nothing changes.
LRESULT CBaseWnd::OnRecordStop() {
    if (g_hRecordFile == INVALID_HANDLE_VALUE) return 0;
    CloseRecordFile();
    EnableWindow(GetDlgItem(m_ControlPanel.m_hWnd, IDC_LOG_NAME), TRUE);
    EnableWindow(GetDlgItem(m_ControlPanel.m_hWnd, IDC_SNR_OFFSET), TRUE);
    return 0;
}

// Appends one received line (`length` characters, line end included) as
// UTF-16LE with one write. A write that fails or falls short (a full disk)
// ends the recording cleanly: the file keeps every line written before, the
// controls return to not recording, and the console says so.
void CBaseWnd::RecordLine(LPCWSTR line, int length) {
    if (!g_bRecording || g_hRecordFile == INVALID_HANDLE_VALUE || length <= 0) return;
    const DWORD bytes = (DWORD)length * sizeof(WCHAR);
    DWORD written = 0;
    if (WriteFile(g_hRecordFile, line, bytes, &written, nullptr) && written == bytes) return;
    CloseRecordFile();
    ShowNotRecording(m_ControlPanel.m_hWnd);
    m_ControlPanel.SetConsoleText(RECORD_ERROR);
}

// WMU_AUTO_SEND_START: sends the typed command every given number of seconds.
// An interval that is not a positive number, or too long for a timer, unchecks
// the box and starts nothing.
LRESULT CBaseWnd::OnAutoSendStart() {
    WCHAR szInterval[FIELD_TEXT_CHARS];
    GetWindowTextW(GetDlgItem(m_ControlPanel.m_hWnd, IDC_AUTO_INTERVAL), szInterval,
                   FIELD_TEXT_CHARS);
    const int nSeconds = ReadFieldInt(szInterval, 0);
    if (nSeconds <= 0 || nSeconds > AUTO_SEND_MAX_SECONDS) {
        SendMessageW(GetDlgItem(m_ControlPanel.m_hWnd, IDC_AUTO), BM_SETCHECK, BST_UNCHECKED, 0);
        return 0;
    }
    SetTimer(m_hWnd, TIMER_AUTO_SEND, (UINT)nSeconds * 1000, nullptr);
    return 0;
}

// WMU_AUTO_SEND_STOP.
LRESULT CBaseWnd::OnAutoSendStop() {
    KillTimer(m_hWnd, TIMER_AUTO_SEND);
    return 0;
}
