#include "ui/control/RecordFile.h"
#include "app/BaseWnd.h"

HANDLE g_hRecordFile = INVALID_HANDLE_VALUE;
BOOL g_bRecording = 0;
LONG g_nSnrOffset = 0;

void CBaseWnd::RecordLine(LPCWSTR line, int length) {
    DWORD written = 0;
    WriteFile(g_hRecordFile, line, static_cast<DWORD>(length) * sizeof(WCHAR), &written, nullptr);
}

LRESULT CBaseWnd::OnRecordStart() { return 0; }
LRESULT CBaseWnd::OnRecordStop() { return 0; }
LRESULT CBaseWnd::OnAutoSendStart() { return 0; }
LRESULT CBaseWnd::OnAutoSendStop() { return 0; }
