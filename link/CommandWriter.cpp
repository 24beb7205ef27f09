#include "link/CommandWriter.h"
#include "app/BaseWnd.h"

BOOL g_bResetPending = 0;

int WriteSentence(LPCWSTR text) { return 1; }
LRESULT CBaseWnd::OnSimpleCommand(UINT message) { return 1; }
LRESULT CBaseWnd::OnSendCommand() { return 1; }
LRESULT CBaseWnd::OnResetCommand(UINT message) { return 1; }
