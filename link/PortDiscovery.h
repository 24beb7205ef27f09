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

void EnumeratePorts(HWND hDlg);
void RescanPorts(CBackupDlg* panel);
void RebuildPortList(CBackupDlg* panel);
