#include "nmea/NmeaText.h"
#include "ui/control/BackupDlg.h"

// Sets the format of the console's (empty) selection at the end of the text,
// so the next inserted line takes this colour. cbSize and yHeight keep the
// values the console was created with.
void CBackupDlg::SetConsoleColor(COLORREF color) {
    m_cfConsole.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_COLOR | CFM_FACE;
    m_cfConsole.dwEffects = 0;
    m_cfConsole.yOffset = 0;
    m_cfConsole.crTextColor = color;
    m_cfConsole.bCharSet = 0;
    m_cfConsole.bPitchAndFamily = 0;
    CopyText(m_cfConsole.szFaceName, LF_FACESIZE, TEXT("System"));
    SendMessageW(m_hConsole, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&m_cfConsole);
}
