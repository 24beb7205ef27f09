#include "link/PortDiscovery.h"
#include "resource.h"

BYTE g_nPortCount = 0;
PortEntry g_PortTable[PORT_TABLE_SIZE];
int g_PortListIndex[PORT_TABLE_SIZE];

void EnumeratePorts(HWND hDlg) {
    HWND hPort = GetDlgItem(hDlg, IDC_PORT);
    SendMessageW(hPort, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TEXT("Log File:")));
    SendMessageW(hPort, CB_SETCURSEL, 0, 0);
}
void RescanPorts(CBackupDlg* panel) {}
void RebuildPortList(CBackupDlg* panel) {}
