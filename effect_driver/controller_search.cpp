#include "effect_driver/controller_search.h"

#include <dinput.h>
#include <dinputd.h>
#include <setupapi.h>
#include <devguid.h>
// The HID headers declare C functions without saying so.
extern "C" {
#include <hidsdi.h>
}

#include <cstring>

#include "effect_driver/module_state.h"
#include "profiles/selected_model.h"

// The records' size fields must be the platform's for this processor width.
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == (sizeof(void*) == 8 ? 32 : 28), "");
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == (sizeof(void*) == 8 ? 8 : 5), "");
static_assert(sizeof(DIJOYCONFIG) == 1176 && sizeof(DIJOYCONFIG_DX5) == 1160, "");

namespace {

// An enumeration that keeps failing without ever reporting its end is given
// up after this many members.
constexpr DWORD kMaxInterfaceMembers = 4096;

// The joystick that DirectInput assigns to the id, as its instance GUID.
bool AssignedJoystick(IDirectInputJoyConfig* joyConfig, DWORD joystickId, GUID* instance) {
    DIJOYCONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwSize = kModelProfile.joyConfigRecordSize;
    if (IDirectInputJoyConfig_GetConfig(joyConfig, joystickId, &config, DIJC_GUIDINSTANCE) !=
        S_OK) {
        return false;
    }
    *instance = config.guidInstance;
    return true;
}

// The path of interface `member` of the set, if it fits the buffer.
// False also when the member does not exist; `end` tells which.
bool InterfacePath(HDEVINFO set, const GUID& hidGuid, DWORD member,
                   char (&path)[kDevicePathCapacity], bool* end) {
    SP_DEVICE_INTERFACE_DATA interfaceData;
    std::memset(&interfaceData, 0, sizeof interfaceData);
    interfaceData.cbSize = sizeof interfaceData;
    if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, member, &interfaceData)) {
        *end = GetLastError() == ERROR_NO_MORE_ITEMS;
        return false;
    }
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        return false;
    }
    HANDLE heap = GetProcessHeap();
    auto* detail = static_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(
        HeapAlloc(heap, HEAP_ZERO_MEMORY, required));
    if (detail == nullptr) {
        return false;
    }
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    bool found = false;
    if (SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, detail, required, nullptr, nullptr)) {
        const size_t room = required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
        const size_t length = strnlen(detail->DevicePath, room);
        if (length < room && length < kDevicePathCapacity) {
            std::memcpy(path, detail->DevicePath, length + 1);
            found = true;
        }
    }
    HeapFree(heap, 0, detail);
    return found;
}

}  // namespace

void FindControllerPath(char (&path)[kDevicePathCapacity], DWORD joystickId) {
    path[0] = '\0';
    IDirectInput7A* directInput = nullptr;
    if (FAILED(DirectInputCreateEx(GetModuleInstance(), 0x0700, IID_IDirectInput7A,
                                   reinterpret_cast<void**>(&directInput), nullptr))) {
        return;
    }
    IDirectInputJoyConfig* joyConfig = nullptr;
    if (FAILED(IDirectInput7_QueryInterface(directInput, IID_IDirectInputJoyConfig,
                                            reinterpret_cast<void**>(&joyConfig)))) {
        IDirectInput7_Release(directInput);
        return;
    }
    GUID wanted;
    GUID hidGuid;
    HDEVINFO set = INVALID_HANDLE_VALUE;
    if (AssignedJoystick(joyConfig, joystickId, &wanted)) {
        HidD_GetHidGuid(&hidGuid);
        set =
            SetupDiGetClassDevsA(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    }
    if (set != INVALID_HANDLE_VALUE) {
        for (DWORD member = 0; member < kMaxInterfaceMembers; ++member) {
            bool end = false;
            if (!InterfacePath(set, hidGuid, member, path, &end)) {
                if (end) {
                    break;
                }
                continue;
            }
            GUID instance;
            if (SUCCEEDED(IDirectInput7_FindDevice(directInput, GUID_DEVCLASS_HIDCLASS, path,
                                                   &instance)) &&
                IsEqualGUID(instance, wanted)) {
                break;
            }
            path[0] = '\0';
        }
        SetupDiDestroyDeviceInfoList(set);
    }
    IDirectInputJoyConfig_Release(joyConfig);
    IDirectInput7_Release(directInput);
}
