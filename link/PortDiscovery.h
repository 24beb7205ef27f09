// Finding the COM ports for the control panel's port list.
#pragma once

#include <windows.h>

class CBackupDlg;

struct PortEntry {
    WCHAR szName[64];
    WCHAR szType[64];
};

constexpr int PORT_TABLE_SIZE = 20;

extern BYTE g_nPortCount; // COM port items added to the list at start
extern PortEntry g_PortTable[PORT_TABLE_SIZE];
extern int g_PortListIndex[PORT_TABLE_SIZE];

// Fills the panel's port list (already emptied) with every present device
// whose friendly name names a COM port, then "Log File:", and selects item 0.
// Also records the first PORT_TABLE_SIZE ports in g_PortTable for the rescan.
void EnumeratePorts(HWND hDlg);
// Rebuilds the port list from g_PortTable unless a link is open or a rebuild runs.
void RescanPorts(CBackupDlg* panel);
void RebuildPortList(CBackupDlg* panel);
