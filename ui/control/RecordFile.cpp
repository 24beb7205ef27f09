#include "ui/control/RecordFile.h"
#include "app/BaseWnd.h"

HANDLE g_hRecordFile = INVALID_HANDLE_VALUE;
BOOL g_bRecording = 0;
LONG g_nSnrOffset = 0;

LRESULT CBaseWnd::OnRecordStart() { return 0; }
LRESULT CBaseWnd::OnRecordStop() { return 0; }
LRESULT CBaseWnd::OnAutoSendStart() { return 0; }
LRESULT CBaseWnd::OnAutoSendStop() { return 0; }
