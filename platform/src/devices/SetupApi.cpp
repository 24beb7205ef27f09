// The device installation services over the layer's device list: a device
// information set is a snapshot of the present serial devices, each with its
// friendly name "<description> <device path> (COMn)".
#include "devices/DeviceList.h"
#include "kernel/PathMapping.h"

#include <setupapi.h>

#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

// The class of serial and parallel ports.
constexpr GUID kPortsClass = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// The layout of SP_DEVINFO_DATA on 32-bit Windows, which callers may give.
constexpr DWORD kNarrowDevInfoSize = 28;

struct DeviceEntry {
    std::u16string friendlyName;
    std::u16string description;
};

struct DevInfoSet {
    std::vector<DeviceEntry> devices;
};

std::mutex g_setsMutex;
std::set<DevInfoSet*> g_sets;

DevInfoSet* findSet(HDEVINFO handle) {
    std::lock_guard<std::mutex> lock(g_setsMutex);
    auto it = g_sets.find(static_cast<DevInfoSet*>(handle));
    return it == g_sets.end() ? nullptr : *it;
}

bool sameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

bool validDevInfoSize(DWORD size) {
    return size == sizeof(SP_DEVINFO_DATA) || size == kNarrowDevInfoSize;
}

} // namespace

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* ClassGuid, LPCWSTR Enumerator, HWND hwndParent,
                                     DWORD Flags) {
    if (!(Flags & DIGCF_ALLCLASSES) && !ClassGuid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto* set = new DevInfoSet;
    // Only ports are known here; any other class gives an empty set.
    bool ports = (Flags & DIGCF_ALLCLASSES) || sameGuid(*ClassGuid, kPortsClass);
    if (ports && !(Flags & DIGCF_DEVICEINTERFACE)) {
        for (const auto& d : winapi::listSerialDevices()) {
            DeviceEntry e;
            e.friendlyName = d.friendlyName();
            e.description = winapi::kernel::utf8ToUtf16(d.description);
            set->devices.push_back(std::move(e));
        }
    }
    std::lock_guard<std::mutex> lock(g_setsMutex);
    g_sets.insert(set);
    SetLastError(ERROR_SUCCESS);
    return set;
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex,
                                  PSP_DEVINFO_DATA DeviceInfoData) {
    DevInfoSet* set = findSet(DeviceInfoSet);
    if (!set) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!DeviceInfoData || !validDevInfoSize(DeviceInfoData->cbSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (MemberIndex >= set->devices.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    // Write only what the caller's structure holds: the 28-byte layout has no
    // room for a pointer-sized Reserved member.
    DeviceInfoData->ClassGuid = kPortsClass;
    DeviceInfoData->DevInst = MemberIndex + 1;
    if (DeviceInfoData->cbSize == sizeof(SP_DEVINFO_DATA)) DeviceInfoData->Reserved = 0;
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet,
                                              PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                              DWORD* PropertyRegDataType, BYTE* PropertyBuffer,
                                              DWORD PropertyBufferSize, DWORD* RequiredSize) {
    DevInfoSet* set = findSet(DeviceInfoSet);
    if (!set) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!DeviceInfoData || !validDevInfoSize(DeviceInfoData->cbSize) ||
        DeviceInfoData->DevInst == 0 || DeviceInfoData->DevInst > set->devices.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DeviceEntry& device = set->devices[DeviceInfoData->DevInst - 1];
    const std::u16string* value = nullptr;
    if (Property == SPDRP_FRIENDLYNAME)
        value = &device.friendlyName;
    else if (Property == SPDRP_DEVICEDESC)
        value = &device.description;
    if (!value) {
        SetLastError(ERROR_INVALID_DATA); // the device has no such property
        return FALSE;
    }
    DWORD bytes = static_cast<DWORD>((value->size() + 1) * sizeof(char16_t));
    if (RequiredSize) *RequiredSize = bytes;
    if (PropertyRegDataType) *PropertyRegDataType = REG_SZ;
    if (!PropertyBuffer || PropertyBufferSize < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(PropertyBuffer, value->c_str(), bytes);
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
    std::lock_guard<std::mutex> lock(g_setsMutex);
    auto it = g_sets.find(static_cast<DevInfoSet*>(DeviceInfoSet));
    if (it == g_sets.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete *it;
    g_sets.erase(it);
    return TRUE;
}
