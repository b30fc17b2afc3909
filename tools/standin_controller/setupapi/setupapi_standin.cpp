// setupapi.dll as the programs beside it see it when their runtime overrides
// the platform's: device-interface enumeration of the HID interface class,
// whose members are the stand-in controllers. A device information set is a
// snapshot of the controllers' paths when it was made.
#include <windows.h>

#define _SETUPAPI_
#include <setupapi.h>
#include <devguid.h>

#include <cstddef>
#include <cstring>

#include "tools/standin_controller/controller_client.h"
#include "tools/standin_controller/live_objects.h"

namespace {

using standin::kPathCapacity;
using standin::kSlotCount;

const GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const GUID kHidSetupClass = {
    0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

struct InterfaceEntry {
    uint32_t slot;
    bool present;
    char path[kPathCapacity];
};

struct DeviceSet {
    standin::LiveLink link;  // first: the set is found by its address
    DWORD count;
    InterfaceEntry interfaces[kSlotCount];
};

standin::LiveObjects gSets;

DeviceSet* Find(HDEVINFO set) {
    return gSets.Contains(set) ? static_cast<DeviceSet*>(set) : nullptr;
}

bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The controllers' interfaces the flags ask for: the present ones, or all
// the module has known when DIGCF_PRESENT is not given. None when the
// module is not running.
void TakeSnapshot(DeviceSet* set, DWORD flags) {
    standin::ControlChannel channel;
    auto* list = static_cast<standin::ControllerList*>(
        HeapAlloc(GetProcessHeap(), 0, sizeof(standin::ControllerList)));
    if (list == nullptr) {
        return;
    }
    const DWORD error = GetLastError();
    if (channel.List(list)) {
        for (const standin::ControllerInfo& info : list->controllers) {
            const bool wanted = (flags & DIGCF_PRESENT) != 0 ? info.present != 0 : info.known != 0;
            if (wanted) {
                InterfaceEntry& entry = set->interfaces[set->count++];
                entry.slot = info.slot;
                entry.present = info.present != 0;
                std::memcpy(entry.path, info.path, kPathCapacity);
                entry.path[kPathCapacity - 1] = '\0';
            }
        }
    }
    // No controllers is an empty set, not a failure.
    SetLastError(error);
    HeapFree(GetProcessHeap(), 0, list);
}

HDEVINFO GetClassDevs(const GUID* classGuid, bool hidEnumerator, DWORD flags) {
    if (classGuid == nullptr && (flags & DIGCF_ALLCLASSES) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto* set =
        static_cast<DeviceSet*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(DeviceSet)));
    if (set == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    // Only the HID interface class has members, and only as interfaces.
    const bool hidInterfaces =
        (flags & DIGCF_DEVICEINTERFACE) != 0 &&
        ((flags & DIGCF_ALLCLASSES) != 0 || SameGuid(*classGuid, kHidInterfaceClass));
    if (hidInterfaces && hidEnumerator) {
        TakeSnapshot(set, flags);
    }
    gSets.Add(&set->link);
    return set;
}

// The interface an SP_DEVICE_INTERFACE_DATA of this set names (Reserved holds
// its position plus one), or null.
const InterfaceEntry* InterfaceOf(const DeviceSet& set, const SP_DEVICE_INTERFACE_DATA* data) {
    if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) ||
        data->Reserved == 0 || data->Reserved > set.count) {
        return nullptr;
    }
    return &set.interfaces[data->Reserved - 1];
}

// The device a controller's interface belongs to, for callers that ask.
bool FillDeviceInfo(const InterfaceEntry& entry, PSP_DEVINFO_DATA info) {
    if (info == nullptr) {
        return true;
    }
    if (info->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return false;
    }
    info->ClassGuid = kHidSetupClass;
    info->DevInst = entry.slot + 1;
    info->Reserved = 0;
    return true;
}

// The detail record of either character width: checks the caller's record
// and size, reports the size needed, and writes the path with `copyPath`.
template <typename Detail, typename Char>
BOOL GetDetail(HDEVINFO setHandle, PSP_DEVICE_INTERFACE_DATA interfaceData, Detail* detail,
               DWORD detailSize, PDWORD requiredSize, PSP_DEVINFO_DATA deviceInfo) {
    const DeviceSet* set = Find(setHandle);
    if (set == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const InterfaceEntry* entry = InterfaceOf(*set, interfaceData);
    if (entry == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if ((detail == nullptr && detailSize != 0) ||
        (detail != nullptr && (detailSize < sizeof(Detail) || detail->cbSize != sizeof(Detail)))) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    const size_t length = std::strlen(entry->path);
    const DWORD required =
        static_cast<DWORD>(offsetof(Detail, DevicePath) + (length + 1) * sizeof(Char));
    if (requiredSize != nullptr) {
        *requiredSize = required;
    }
    if (detail == nullptr || detailSize < required) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (!FillDeviceInfo(*entry, deviceInfo)) {
        return FALSE;
    }
    // The paths are plain ASCII, the same in both widths.
    for (size_t i = 0; i <= length; ++i) {
        detail->DevicePath[i] = static_cast<Char>(static_cast<unsigned char>(entry->path[i]));
    }
    return TRUE;
}

// The one enumerator the controllers have, when one is named.
template <typename Char>
bool IsHidEnumerator(const Char* enumerator) {
    if (enumerator == nullptr) {
        return true;
    }
    static constexpr char kHid[] = "HID";
    for (size_t i = 0; i < sizeof kHid; ++i) {
        Char c = enumerator[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<Char>(c - 'a' + 'A');
        }
        if (c != static_cast<Char>(kHid[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND, DWORD flags) {
    return GetClassDevs(classGuid, IsHidEnumerator(enumerator), flags);
}

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND, DWORD flags) {
    return GetClassDevs(classGuid, IsHidEnumerator(enumerator), flags);
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO setHandle, PSP_DEVINFO_DATA deviceInfo,
                                        const GUID* interfaceClass, DWORD memberIndex,
                                        PSP_DEVICE_INTERFACE_DATA interfaceData) {
    const DeviceSet* set = Find(setHandle);
    if (set == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (interfaceData == nullptr || interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    // This module hands out no device information elements, so a caller
    // cannot name one of this set.
    if (interfaceClass == nullptr || deviceInfo != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!SameGuid(*interfaceClass, kHidInterfaceClass) || memberIndex >= set->count) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    interfaceData->InterfaceClassGuid = kHidInterfaceClass;
    interfaceData->Flags = set->interfaces[memberIndex].present ? SPINT_ACTIVE : 0;
    interfaceData->Reserved = memberIndex + 1;
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                             DWORD detailSize, PDWORD requiredSize,
                                             PSP_DEVINFO_DATA deviceInfo) {
    return GetDetail<SP_DEVICE_INTERFACE_DETAIL_DATA_A, CHAR>(set, interfaceData, detail,
                                                              detailSize, requiredSize, deviceInfo);
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                                             DWORD detailSize, PDWORD requiredSize,
                                             PSP_DEVINFO_DATA deviceInfo) {
    return GetDetail<SP_DEVICE_INTERFACE_DETAIL_DATA_W, WCHAR>(
        set, interfaceData, detail, detailSize, requiredSize, deviceInfo);
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    if (!gSets.Remove(set)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    HeapFree(GetProcessHeap(), 0, set);
    return TRUE;
}

}  // extern "C"
