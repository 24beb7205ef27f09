#include "link/CommandWriter.h"

#include <richedit.h>

#include "app/AppMessages.h"
#include "app/BaseWnd.h"
#include "link/Link.h"
#include "resource.h"

BOOL g_bResetPending = 0;

// The sentence's bytes, CR, LF and a NUL.
constexpr int SENTENCE_BYTES = SENTENCE_MAX_CHARS + 3;
constexpr int COMMAND_CHARS = SENTENCE_MAX_CHARS + 1;

static LPCWSTR const FIXED_COMMAND_NOTE = TEXT("$PSRF\r\n...OK\r\n");
static LPCWSTR const SEND_COMMAND_NOTE = TEXT("Send Message\r\n...OK\r\n");

// The receiver's fixed commands.
struct FixedCommand {
    UINT message;
    LPCWSTR sentence;
};
static const FixedCommand FIXED_COMMANDS[] = {
    {WMU_COLD_START, TEXT("$PMTK103*30")},
    {WMU_FACTORY_RESET, TEXT("$PMTK104*37")},
    {WMU_POWER_SAVE_ON, TEXT("$PSRF150,0,300,1000,1*10")},
    {WMU_POWER_SAVE_OFF, TEXT("$PSRF150,0,1000,1000,0*23")},
    {WMU_WAAS_ON, TEXT("$PSRF151,01*0F")},
    {WMU_WAAS_OFF, TEXT("$PSRF151,00*0E")},
    {WMU_VTG_ON, TEXT("$PSRF103,05,00,01,01*20")},
    {WMU_VTG_OFF, TEXT("$PSRF103,05,00,00,01*21")},
    {WMU_GET_VERSION, TEXT("$PMTK605*31")},
};

static LPCWSTR FixedSentence(UINT message) {
    for (const FixedCommand& command : FIXED_COMMANDS)
        if (command.message == message) return command.sentence;
    return nullptr;
}

int WriteSentence(LPCWSTR text) {
    BYTE bytes[SENTENCE_BYTES];
    int n = 0;
    // Each UTF-16 unit goes out as its low 8 bits.
    while (n < SENTENCE_MAX_CHARS && text[n]) {
        bytes[n] = static_cast<BYTE>(text[n] & 0xFF);
        n++;
    }
    bytes[n++] = 0x0D;
    bytes[n++] = 0x0A;
    bytes[n] = 0;
    // Without a link nothing is written; the command still takes its pause.
    const HANDLE hPort = g_hPort;
    DWORD written = 0;
    if (hPort != INVALID_HANDLE_VALUE)
        WriteFile(hPort, bytes, static_cast<DWORD>(n), &written, nullptr);
    Sleep(100);
    // Drop what is still queued for sending. Received bytes are kept: a
    // receiver answers within these 100 ms while the reader waits for the UI
    // thread, so discarding them would throw away the reply (the version).
    if (hPort != INVALID_HANDLE_VALUE) PurgeComm(hPort, PURGE_TXCLEAR);
    return 1;
}

// Inserts a note at the console's selection (not undoable).
static void NoteInConsole(HWND hConsole, LPCWSTR note) {
    SendMessageW(hConsole, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(note));
}

LRESULT CBaseWnd::OnSimpleCommand(UINT message) {
    LPCWSTR sentence = FixedSentence(message);
    if (!sentence) return 0;
    NoteInConsole(m_ControlPanel.m_hConsole, FIXED_COMMAND_NOTE);
    if (message == WMU_GET_VERSION)
        SetWindowTextW(GetDlgItem(m_ControlPanel.m_hWnd, IDC_CORE_VERSION), TEXT(""));
    return WriteSentence(sentence);
}

LRESULT CBaseWnd::OnSendCommand() {
    NoteInConsole(m_ControlPanel.m_hConsole, SEND_COMMAND_NOTE);
    WCHAR szCommand[COMMAND_CHARS] = {};
    GetWindowTextW(GetDlgItem(m_ControlPanel.m_hWnd, IDC_COMMAND), szCommand, COMMAND_CHARS);
    return WriteSentence(szCommand);
}

LRESULT CBaseWnd::OnResetCommand(UINT message) {
    const int button = message == WMU_COLD_START ? IDC_COLD_START : IDC_FACTORY_RESET;
    EnableWindow(GetDlgItem(m_ControlPanel.m_hWnd, button), FALSE);
    // The time to first fix is measured again from the next line.
    m_bFixTimeShown = 0;
    m_dwStartTick = 0;
    SetWindowTextW(m_hWnd, TEXT("Trovix"));
    m_DisplayPanel.ResetFix();
    NoteInConsole(m_ControlPanel.m_hConsole, FIXED_COMMAND_NOTE);
    WriteSentence(FixedSentence(message == WMU_COLD_START ? WMU_COLD_START : WMU_FACTORY_RESET));
    Sleep(500);
    // The next received line enables the reset buttons again.
    g_bResetPending = 1;
    return 1;
}
