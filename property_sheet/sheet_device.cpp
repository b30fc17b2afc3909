#include "property_sheet/sheet_device.h"

#include <cstring>

#include "property_sheet/module_state.h"

namespace {

// The DirectInput interfaces the sheet works with are those of DirectX 5.
constexpr DWORD kDirectInputVersion = 0x0500;
constexpr DWORD kCooperativeLevel = DISCL_EXCLUSIVE | DISCL_BACKGROUND;
// 5 % of the axis range, so that a stick at rest reads as centred.
constexpr DWORD kAxisDeadZone = 500;
// The axes the pages show, in the order their dead zones are set.
constexpr DWORD kDeadZoneAxes[] = {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ};

bool IsUsableSheet(IDIGameCntrlPropSheet* sheet) {
    const UINT_PTR size = ControllerSheetObjectSize();
    return !IsBadReadPtr(sheet, size) && !IsBadWritePtr(sheet, size);
}

template <typename T>
bool IsUsablePointer(T* pointer) {
    return !IsBadReadPtr(pointer, sizeof *pointer) && !IsBadWritePtr(pointer, sizeof *pointer);
}

// Results are not looked at: a device without a dead zone still reads.
void SetAxisDeadZones(IDirectInputDevice2A* device) {
    for (DWORD offset : kDeadZoneAxes) {
        DIPROPDWORD deadZone;
        deadZone.diph.dwSize = sizeof deadZone;
        deadZone.diph.dwHeaderSize = sizeof deadZone.diph;
        deadZone.diph.dwObj = offset;
        deadZone.diph.dwHow = DIPH_BYOFFSET;
        deadZone.dwData = kAxisDeadZone;
        IDirectInputDevice2_SetProperty(device, DIPROP_DEADZONE, &deadZone.diph);
    }
}

HRESULT QueryJoyConfig(IDirectInputA* directInput, IDirectInputJoyConfig** joyConfig) {
    *joyConfig = nullptr;
    return IDirectInput_QueryInterface(directInput, IID_IDirectInputJoyConfig,
                                       reinterpret_cast<void**>(joyConfig));
}

// Steps shared by opening and re-opening once the sheet holds a joy-config
// object: a device for the sheet's joystick, handed to the sheet.
HRESULT CreateSheetJoystick(HWND owner, IDIGameCntrlPropSheet* sheet, IDirectInputA* directInput,
                            IDirectInputJoyConfig* joyConfig) {
    if (joyConfig == nullptr) {
        return E_FAIL;
    }
    IDirectInputDevice2A* device = nullptr;
    const HRESULT result = CreateJoystickDevice(IDIGameCntrlPropSheet_GetID(sheet), owner,
                                                directInput, joyConfig, &device);
    if (FAILED(result)) {
        return result;
    }
    SetAxisDeadZones(device);
    IDIGameCntrlPropSheet_SetInputDevice(sheet, device);
    return result;
}

HRESULT OpenSheetDeviceLocked(HWND owner, IDIGameCntrlPropSheet* sheet) {
    if (!IsUsableSheet(sheet)) {
        return E_POINTER;
    }
    IDirectInputDevice2A* device = nullptr;
    IDirectInputJoyConfig* joyConfig = nullptr;
    IDIGameCntrlPropSheet_GetInputDevice(sheet, &device);
    IDIGameCntrlPropSheet_GetJoyConfigObject(sheet, &joyConfig);
    if (device != nullptr && joyConfig != nullptr) {
        return S_FALSE;
    }

    IDirectInputA* directInput = nullptr;
    HRESULT result =
        DirectInputCreateA(GetModuleInstance(), kDirectInputVersion, &directInput, nullptr);
    if (FAILED(result)) {
        return result;
    }
    if (joyConfig == nullptr) {
        result = QueryJoyConfig(directInput, &joyConfig);
        if (SUCCEEDED(result)) {
            IDIGameCntrlPropSheet_SetJoyConfigObject(sheet, joyConfig);
        }
    }
    if (SUCCEEDED(result)) {
        result =
            device != nullptr ? S_FALSE : CreateSheetJoystick(owner, sheet, directInput, joyConfig);
    }
    IDirectInput_Release(directInput);
    return result;
}

HRESULT ReopenSheetDeviceLocked(HWND owner, IDIGameCntrlPropSheet* sheet) {
    if (!IsUsableSheet(sheet)) {
        return E_POINTER;
    }
    IDirectInputDevice2A* device = nullptr;
    IDirectInputJoyConfig* joyConfig = nullptr;
    IDIGameCntrlPropSheet_GetInputDevice(sheet, &device);
    IDIGameCntrlPropSheet_GetJoyConfigObject(sheet, &joyConfig);

    IDirectInputA* directInput = nullptr;
    HRESULT result =
        DirectInputCreateA(GetModuleInstance(), kDirectInputVersion, &directInput, nullptr);
    if (FAILED(result)) {
        return result;
    }
    if (joyConfig != nullptr) {
        IDirectInputJoyConfig_Release(joyConfig);
        IDIGameCntrlPropSheet_SetJoyConfigObject(sheet, nullptr);
    }
    result = QueryJoyConfig(directInput, &joyConfig);
    if (SUCCEEDED(result)) {
        IDIGameCntrlPropSheet_SetJoyConfigObject(sheet, joyConfig);
        if (device != nullptr) {
            IDirectInputDevice2_Unacquire(device);
            IDirectInputDevice2_Release(device);
            IDIGameCntrlPropSheet_SetInputDevice(sheet, nullptr);
        }
        result = CreateSheetJoystick(owner, sheet, directInput, joyConfig);
    }
    IDirectInput_Release(directInput);
    return result;
}

}  // namespace

HRESULT OpenSheetDevice(HWND owner, IDIGameCntrlPropSheet* sheet) {
    EnterSheetLock();
    const HRESULT result = OpenSheetDeviceLocked(owner, sheet);
    LeaveSheetLock();
    return result;
}

HRESULT ReopenSheetDevice(HWND owner, IDIGameCntrlPropSheet* sheet) {
    EnterSheetLock();
    const HRESULT result = ReopenSheetDeviceLocked(owner, sheet);
    LeaveSheetLock();
    return result;
}

HRESULT CreateJoystickDevice(USHORT joystickId, HWND owner, IDirectInputA* directInput,
                             IDirectInputJoyConfig* joyConfig, IDirectInputDevice2A** device) {
    if (!IsUsablePointer(directInput) || !IsUsablePointer(joyConfig) || !IsUsablePointer(device)) {
        return E_POINTER;
    }
    *device = nullptr;

    // The DirectX 5 record: DirectInput of that version knows no larger one.
    DIJOYCONFIG_DX5 config;
    std::memset(&config, 0, sizeof config);
    config.dwSize = sizeof config;
    // The control panel's 16-bit id is a signed joystick number.
    const auto joystick = static_cast<UINT>(static_cast<INT>(static_cast<SHORT>(joystickId)));
    HRESULT result = IDirectInputJoyConfig_GetConfig(
        joyConfig, joystick, reinterpret_cast<LPDIJOYCONFIG>(&config), DIJC_GUIDINSTANCE);
    if (FAILED(result)) {
        return result;
    }

    IDirectInputDeviceA* first = nullptr;
    result = IDirectInput_CreateDevice(directInput, config.guidInstance, &first, nullptr);
    if (FAILED(result)) {
        return result;
    }
    IDirectInputDevice2A* created = nullptr;
    result = IDirectInputDevice_QueryInterface(first, IID_IDirectInputDevice2A,
                                               reinterpret_cast<void**>(&created));
    IDirectInputDevice_Release(first);
    if (FAILED(result)) {
        return result;
    }

    result = IDirectInputDevice2_SetDataFormat(created, &c_dfDIJoystick);
    if (SUCCEEDED(result)) {
        result = IDirectInputDevice2_SetCooperativeLevel(created, owner, kCooperativeLevel);
    }
    // A device that cannot be prepared is of no use to any page; nobody else
    // would release it.
    if (FAILED(result)) {
        IDirectInputDevice2_Release(created);
        return result;
    }
    *device = created;
    return result;
}
