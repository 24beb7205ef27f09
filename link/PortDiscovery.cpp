#include "link/PortDiscovery.h"

BYTE g_nPortCount = 0;
PortEntry g_PortTable[PORT_TABLE_SIZE];
int g_PortListIndex[PORT_TABLE_SIZE];

void EnumeratePorts(HWND hDlg) {}
void RescanPorts(CBackupDlg* panel) {}
void RebuildPortList(CBackupDlg* panel) {}
