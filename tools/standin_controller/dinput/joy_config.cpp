// The joystick configuration (IDirectInputJoyConfig) of the DirectInput
// object: which controller each joystick id stands for, and its hardware
// configuration. Joystick id n is the controller in slot n.
//
// GetConfig answers DIERR_NOMOREITEMS past the last slot and S_FALSE for an
// id with no controller plugged in now, as the platform documents; the
// fields asked for are then cleared, so that no caller takes what its
// record held before for a controller's identity. Setting up joystick types
// and configurations is the control panel's business, which the stand-in
// controllers do without.
#include <cstring>

#include "tools/standin_controller/dinput/controller_identity.h"
#include "tools/standin_controller/dinput/controller_roster.h"
#include "tools/standin_controller/dinput/direct_input.h"
#include "tools/standin_controller/dinput/registry_traces.h"

namespace standin_dinput {

namespace {

constexpr DWORD kConfigFlags =
    DIJC_GUIDINSTANCE | DIJC_REGHWCONFIGTYPE | DIJC_GAIN | DIJC_CALLOUT | DIJC_WDMGAMEPORT;
constexpr DWORD kNominalGain = 10000;
// Calibration of the 8-bit axes as the hardware reports them.
constexpr DWORD kAxisMinimum = 0;
constexpr DWORD kAxisMaximum = 255;
constexpr DWORD kAxisCentre = 128;
constexpr DWORD kButtons = 12;

bool IsConfigSize(DWORD size) {
    return size == sizeof(DIJOYCONFIG) || size == sizeof(DIJOYCONFIG_DX5);
}

void FillHardwareConfig(JOYREGHWCONFIG* hardware) {
    std::memset(hardware, 0, sizeof *hardware);
    hardware->hws.dwFlags = JOY_HWS_HASZ | JOY_HWS_HASR | JOY_HWS_HASPOV | JOY_HWS_POVISPOLL;
    hardware->hws.dwNumButtons = kButtons;
    hardware->dwUsageSettings = JOY_US_PRESENT | JOY_US_HASRUDDER;
    JOYRANGE& range = hardware->hwv.jrvHardware;
    range.jpMin = {kAxisMinimum, kAxisMinimum, kAxisMinimum, kAxisMinimum, 0, 0};
    range.jpMax = {kAxisMaximum, kAxisMaximum, kAxisMaximum, kAxisMaximum, 0, 0};
    range.jpCenter = {kAxisCentre, kAxisCentre, kAxisCentre, kAxisCentre, 0, 0};
    hardware->hwv.dwCalFlags = JOY_ISCAL_XY | JOY_ISCAL_Z | JOY_ISCAL_R | JOY_ISCAL_POV;
    hardware->dwType = JOY_HW_CUSTOM;
}

void FillTypeName(const standin::ControllerSpec& spec, WCHAR (&type)[MAX_JOYSTRING]) {
    char name[kVendorProductKeySize];
    FormatVendorProductKey(name, spec);
    std::memset(type, 0, sizeof type);
    for (size_t i = 0; name[i] != '\0'; ++i) {
        type[i] = static_cast<WCHAR>(name[i]);
    }
}

HRESULT STDMETHODCALLTYPE JoyConfigQueryInterface(IDirectInputJoyConfig* This, REFIID riid,
                                                  void** out) {
    DirectInputObject* object = ObjectFromJoyConfig(This);
    return IDirectInput7_QueryInterface(&object->iface, riid, out);
}

ULONG STDMETHODCALLTYPE JoyConfigAddRef(IDirectInputJoyConfig* This) {
    return IDirectInput7_AddRef(&ObjectFromJoyConfig(This)->iface);
}

ULONG STDMETHODCALLTYPE JoyConfigRelease(IDirectInputJoyConfig* This) {
    return IDirectInput7_Release(&ObjectFromJoyConfig(This)->iface);
}

// Acquiring the configuration only guards changes, which nothing here makes.
HRESULT STDMETHODCALLTYPE JoyConfigAcquire(IDirectInputJoyConfig*) {
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE JoyConfigUnacquire(IDirectInputJoyConfig*) {
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE JoyConfigSetCooperativeLevel(IDirectInputJoyConfig*, HWND, DWORD) {
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE JoyConfigSendNotify(IDirectInputJoyConfig*) {
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE JoyConfigEnumTypes(IDirectInputJoyConfig*, LPVOID, LPVOID) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigGetTypeInfo(IDirectInputJoyConfig*, LPCWSTR, LPDIJOYTYPEINFO,
                                               DWORD) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigSetTypeInfo(IDirectInputJoyConfig*, LPCWSTR, LPCDIJOYTYPEINFO,
                                               DWORD) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigDeleteType(IDirectInputJoyConfig*, LPCWSTR) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigGetConfig(IDirectInputJoyConfig*, UINT id, LPDIJOYCONFIG config,
                                             DWORD flags) {
    if (config == nullptr || IsBadWritePtr(config, sizeof(DWORD)) ||
        !IsConfigSize(config->dwSize) || IsBadWritePtr(config, config->dwSize) ||
        (flags & ~kConfigFlags) != 0) {
        return DIERR_INVALIDPARAM;
    }
    if (id >= standin::kSlotCount) {
        return DIERR_NOMOREITEMS;
    }
    standin::ControllerInfo controller;
    const bool present = FindPresentController(id, &controller);
    const GUID instance = present ? InstanceGuidForSlot(id) : GUID_NULL;
    if (present) {
        RecordControllerKeys(controller, instance);
    }
    if (flags & DIJC_GUIDINSTANCE) {
        config->guidInstance = instance;
    }
    if (flags & DIJC_REGHWCONFIGTYPE) {
        if (present) {
            FillHardwareConfig(&config->hwc);
            FillTypeName(controller.spec, config->wszType);
        } else {
            std::memset(&config->hwc, 0, sizeof config->hwc);
            std::memset(config->wszType, 0, sizeof config->wszType);
        }
    }
    if (flags & DIJC_GAIN) {
        config->dwGain = present ? kNominalGain : 0;
    }
    if (flags & DIJC_CALLOUT) {
        std::memset(config->wszCallout, 0, sizeof config->wszCallout);
    }
    if ((flags & DIJC_WDMGAMEPORT) && config->dwSize == sizeof(DIJOYCONFIG)) {
        config->guidGameport = GUID_NULL;
    }
    return present ? DI_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE JoyConfigSetConfig(IDirectInputJoyConfig*, UINT, LPCDIJOYCONFIG, DWORD) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigDeleteConfig(IDirectInputJoyConfig*, UINT) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigGetUserValues(IDirectInputJoyConfig*, LPDIJOYUSERVALUES, DWORD) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigSetUserValues(IDirectInputJoyConfig*, LPCDIJOYUSERVALUES,
                                                 DWORD) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigAddNewHardware(IDirectInputJoyConfig*, HWND, REFGUID) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigOpenTypeKey(IDirectInputJoyConfig*, LPCWSTR, DWORD, HKEY*) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE JoyConfigOpenConfigKey(IDirectInputJoyConfig*, UINT, DWORD, HKEY*) {
    return DIERR_UNSUPPORTED;
}

}  // namespace

const IDirectInputJoyConfigVtbl kJoyConfigMethods = {
    JoyConfigQueryInterface, JoyConfigAddRef,         JoyConfigRelease,
    JoyConfigAcquire,        JoyConfigUnacquire,      JoyConfigSetCooperativeLevel,
    JoyConfigSendNotify,     JoyConfigEnumTypes,      JoyConfigGetTypeInfo,
    JoyConfigSetTypeInfo,    JoyConfigDeleteType,     JoyConfigGetConfig,
    JoyConfigSetConfig,      JoyConfigDeleteConfig,   JoyConfigGetUserValues,
    JoyConfigSetUserValues,  JoyConfigAddNewHardware, JoyConfigOpenTypeKey,
    JoyConfigOpenConfigKey,
};

}  // namespace standin_dinput
