#include "link/PortDiscovery.h"

#include <setupapi.h>

#include "resource.h"
#include "ui/control/BackupDlg.h"

BYTE g_nPortCount = 0;
PortEntry g_PortTable[PORT_TABLE_SIZE];
int g_PortListIndex[PORT_TABLE_SIZE];

// Friendly names of up to 199 characters and the NUL (400 bytes).
constexpr int FRIENDLY_NAME_CHARS = 200;
constexpr int PORT_ITEM_CHARS = 128;
constexpr BYTE PORT_COUNT_MAX = 255;

static bool ContainsText(LPCWSTR text, LPCWSTR part) {
    for (LPCWSTR p = text; *p; p++) {
        int i = 0;
        while (part[i] && p[i] == part[i])
            i++;
        if (!part[i]) return true;
    }
    return false;
}

static bool SameText(LPCWSTR a, LPCWSTR b) {
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

// Appends `src` to `dest` (capacity units in all), cutting it to fit.
static void AppendText(LPWSTR dest, int capacity, LPCWSTR src) {
    const int used = lstrlenW(dest);
    if (used < capacity - 1) lstrcpynW(dest + used, src, capacity - used);
}

void EnumeratePorts(HWND hDlg) {
    const HWND hPortList = GetDlgItem(hDlg, IDC_PORT);
    g_nPortCount = 0;
    for (int i = 0; i < PORT_TABLE_SIZE; i++) {
        g_PortTable[i] = PortEntry{};
        g_PortListIndex[i] = 0;
    }

    HDEVINFO hDevices =
        SetupDiGetClassDevsW(nullptr, nullptr, hDlg, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (hDevices != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof(SP_DEVINFO_DATA);
        for (DWORD index = 0; SetupDiEnumDeviceInfo(hDevices, index, &device); index++) {
            WCHAR szName[FRIENDLY_NAME_CHARS];
            if (!SetupDiGetDeviceRegistryPropertyW(hDevices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                   reinterpret_cast<BYTE*>(szName), sizeof(szName),
                                                   nullptr))
                continue;
            szName[FRIENDLY_NAME_CHARS - 1] = 0;
            if (!ContainsText(szName, TEXT("(COM"))) continue;
            const LRESULT item =
                SendMessageW(hPortList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(szName));
            // The table keeps the first ports for the rescan; the type of a
            // port is never known, so none is preferred there.
            if (g_nPortCount < PORT_TABLE_SIZE) {
                PortEntry& entry = g_PortTable[g_nPortCount];
                lstrcpynW(entry.szName, szName, 64);
                lstrcpynW(entry.szType, TEXT("Serial Port"), 64);
                g_PortListIndex[g_nPortCount] = static_cast<int>(item);
            }
            if (g_nPortCount < PORT_COUNT_MAX) g_nPortCount++;
        }
        SetupDiDestroyDeviceInfoList(hDevices);
    }
    SendMessageW(hPortList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TEXT("Log File:")));
    SendMessageW(hPortList, CB_SETCURSEL, 0, 0);
}

void RescanPorts(CBackupDlg* panel) {
    if (panel->m_bLinkOpen || panel->m_bScanning) return;
    const HWND hStart = GetDlgItem(panel->m_hWnd, IDC_START);
    EnableWindow(hStart, FALSE);
    panel->m_bScanning = 1;
    RebuildPortList(panel);
    panel->m_bScanning = 0;
    EnableWindow(hStart, TRUE);
}

void RebuildPortList(CBackupDlg* panel) {
    const HWND hPortList = GetDlgItem(panel->m_hWnd, IDC_PORT);
    SendMessageW(hPortList, CB_RESETCONTENT, 0, 0);
    if (g_nPortCount == 0) {
        SetWindowTextW(hPortList, TEXT("No Com Port Find!!"));
        return;
    }
    // The table holds at most PORT_TABLE_SIZE ports, whatever the count says.
    const int count = g_nPortCount < PORT_TABLE_SIZE ? g_nPortCount : PORT_TABLE_SIZE;
    for (int i = 0; i < count; i++) {
        WCHAR szItem[PORT_ITEM_CHARS] = {};
        AppendText(szItem, PORT_ITEM_CHARS, g_PortTable[i].szName);
        AppendText(szItem, PORT_ITEM_CHARS, TEXT("  "));
        AppendText(szItem, PORT_ITEM_CHARS, g_PortTable[i].szType);
        SendMessageW(hPortList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(szItem));
    }
    for (int i = 0; i < count; i++) {
        if (SameText(g_PortTable[i].szType, TEXT("GPS Receiver"))) {
            SendMessageW(hPortList, CB_SETCURSEL, g_PortListIndex[i], 0);
            return;
        }
    }
    SendMessageW(hPortList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TEXT("Log File:")));
    SendMessageW(hPortList, CB_SETCURSEL, 0, 0);
}
