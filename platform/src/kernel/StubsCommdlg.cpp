// Placeholder definitions until this area is implemented; delete entries as they land.
#include <commdlg.h>

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn) { return {}; }
DWORD WINAPI CommDlgExtendedError(void) { return {}; }

