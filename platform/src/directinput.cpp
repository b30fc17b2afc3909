// DirectInput 7 as a force-feedback driver uses it: DirectInputCreateEx, the
// DirectInput object's FindDevice, its joystick configuration's GetConfig,
// and the joystick table behind GetConfig (SetJoystick, RemoveJoystick).
//
// Objects are plain structures with their function table first and a
// reference count changed by interlocked operations; each is counted by
// LiveDirectInputObjects from creation until its last Release, and retired
// then (directinput_internal.h). Table slots nobody implements answer
// E_NOTIMPL, so no slot is ever NULL.
//
// Semantics kept:
//  - DirectInputCreateEx clears *ppvOut first; then an injected fault, an
//    outer unknown (CLASS_E_NOAGGREGATION), an interface other than
//    IID_IDirectInput7A (E_NOINTERFACE) and a version below 0x0700
//    (DIERR_OLDDIRECTINPUTVERSION) fail it, in that order. A NULL ppvOut is
//    E_POINTER.
//  - Injected faults (FailCall of "DirectInputCreateEx", "FindDevice" or
//    "GetConfig") return the armed error as the result when it reads as a
//    failure HRESULT (negative), else E_FAIL, so a plain error number such
//    as ERROR_GEN_FAILURE never reads as success.
//  - Querying the joystick configuration makes a new object each time; it
//    holds a reference on its DirectInput object (this one or DirectInput 5's
//    IDirectInputA) until its own last Release, so the two may be released
//    in either order.
//  - The joystick configuration's Acquire and Unacquire (entering and
//    leaving configuration mode) succeed; nothing else competes for it here.
//    Each object remembers whether it is acquired, so that tests can see
//    which GetConfig calls ran in configuration mode.
//  - FindDevice answers the instance GUID of the present controller with
//    that interface path (compared without case) for GUID_DEVCLASS_HIDCLASS;
//    any other class, or no such controller, is DIERR_DEVICENOTREG.
//  - GetConfig takes records of 1176 bytes (current) or 1160 (DirectX 5)
//    only; it writes guidInstance (with DIJC_GUIDINSTANCE) and the hardware
//    configuration hwc (with DIJC_REGHWCONFIGTYPE; as set by
//    SetJoystickHardwareConfig, else zero), which lie within both, and leaves
//    every other field as the caller set it.
//
// The joystick table, the hardware configurations and the log of GetConfig
// calls share one mutex.
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "directinput_internal.h"
#include "faults.h"
#include "hid_controllers.h"
#include "simwin/control_devices.h"
#include "simwin/directinput_joystick_config.h"
#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

constexpr DWORD kDirectInput7 = 0x0700;

std::mutex g_mutex;  // guards g_joysticks, g_hardwareConfigs and g_getConfigCalls
// Never destroyed: looked up from threads that outlive static destruction.
auto* g_joysticks = new std::map<UINT, GUID>;
auto* g_hardwareConfigs = new std::map<UINT, JOYREGHWCONFIG>;
auto* g_getConfigCalls = new std::vector<JoyConfigGetConfigCall>;
// dwSize of every record GetConfig was given, in order; guarded by g_mutex.
auto* g_configRecordSizes = new std::vector<DWORD>;

struct DirectInput {
    IDirectInput7A iface;
    LONG refs;
};

struct JoyConfig {
    IDirectInputJoyConfig iface;
    LONG refs;
    IUnknown* owner;  // holds a reference
    std::atomic<bool> acquired{false};
};

DirectInput* FromInterface(IDirectInput7A* iface) {
    return reinterpret_cast<DirectInput*>(iface);
}
JoyConfig* FromInterface(IDirectInputJoyConfig* iface) {
    return reinterpret_cast<JoyConfig*>(iface);
}

// --- IDirectInput7A ---------------------------------------------------------

ULONG STDMETHODCALLTYPE DirectInputAddRef(IDirectInput7A* This) {
    return AddReference(&FromInterface(This)->refs);
}

ULONG STDMETHODCALLTYPE DirectInputRelease(IDirectInput7A* This) {
    DirectInput* self = FromInterface(This);
    bool last = false;
    const ULONG refs = DropReference(&self->refs, &last);
    if (last) {
        RetireObject(self);
    }
    return refs;
}

HRESULT STDMETHODCALLTYPE DirectInputQueryInterface(IDirectInput7A* This, REFIID riid,
                                                    void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (IsRetired(&FromInterface(This)->refs)) {
        return E_FAIL;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInput7A)) {
        DirectInputAddRef(This);
        *ppvObject = This;
        return S_OK;
    }
    if (IsEqualIID(riid, IID_IDirectInputJoyConfig)) {
        *ppvObject = NewJoyConfig(reinterpret_cast<IUnknown*>(This));
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE DirectInputFindDevice(IDirectInput7A* This, REFGUID rguidClass,
                                                LPCSTR name, LPGUID instance) {
    if (IsRetired(&FromInterface(This)->refs)) {
        return E_FAIL;
    }
    const HRESULT injected = InjectedFailure("FindDevice");
    if (injected != S_OK) {
        return injected;
    }
    if (name == nullptr || instance == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    if (!IsEqualGUID(rguidClass, GUID_DEVCLASS_HIDCLASS)) {
        return DIERR_DEVICENOTREG;
    }
    return DirectInputInstanceForPath(name, instance) ? DI_OK : DIERR_DEVICENOTREG;
}

// Not const: the interface's table pointer is not declared const.
IDirectInput7AVtbl g_direct_input_vtbl = {
    DirectInputQueryInterface, DirectInputAddRef, DirectInputRelease,
    kNotImplemented,  // CreateDevice
    kNotImplemented,  // EnumDevices
    kNotImplemented,  // GetDeviceStatus
    kNotImplemented,  // RunControlPanel
    kNotImplemented,  // Initialize
    DirectInputFindDevice,
    kNotImplemented,  // CreateDeviceEx
};

// --- IDirectInputJoyConfig --------------------------------------------------

ULONG STDMETHODCALLTYPE JoyConfigAddRef(IDirectInputJoyConfig* This) {
    return AddReference(&FromInterface(This)->refs);
}

ULONG STDMETHODCALLTYPE JoyConfigRelease(IDirectInputJoyConfig* This) {
    JoyConfig* self = FromInterface(This);
    bool last = false;
    const ULONG refs = DropReference(&self->refs, &last);
    if (last) {
        IUnknown* owner = self->owner;
        self->owner = nullptr;
        RetireObject(self);
        IUnknown_Release(owner);
    }
    return refs;
}

HRESULT STDMETHODCALLTYPE JoyConfigQueryInterface(IDirectInputJoyConfig* This, REFIID riid,
                                                  void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (IsRetired(&FromInterface(This)->refs)) {
        return E_FAIL;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInputJoyConfig)) {
        JoyConfigAddRef(This);
        *ppvObject = This;
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE JoyConfigAcquire(IDirectInputJoyConfig* This) {
    JoyConfig* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (const HRESULT injected = InjectedFailure("IDirectInputJoyConfig_Acquire");
        injected != S_OK) {
        return injected;
    }
    self->acquired = true;
    return DI_OK;
}
HRESULT STDMETHODCALLTYPE JoyConfigUnacquire(IDirectInputJoyConfig* This) {
    JoyConfig* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    self->acquired = false;
    return DI_OK;
}
HRESULT STDMETHODCALLTYPE JoyConfigSetCooperativeLevel(IDirectInputJoyConfig*, HWND__*, DWORD) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE JoyConfigSendNotify(IDirectInputJoyConfig*) {
    return E_NOTIMPL;
}

HRESULT AnswerGetConfig(UINT id, LPDIJOYCONFIG config, DWORD flags) {
    const HRESULT injected = InjectedFailure("GetConfig");
    if (injected != S_OK) {
        return injected;
    }
    if (config != nullptr) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_configRecordSizes->push_back(config->dwSize);
    }
    if (config == nullptr ||
        (config->dwSize != sizeof(DIJOYCONFIG) && config->dwSize != sizeof(DIJOYCONFIG_DX5))) {
        return DIERR_INVALIDPARAM;
    }
    GUID instance;
    JOYREGHWCONFIG hardware;
    std::memset(&hardware, 0, sizeof hardware);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_joysticks->find(id);
        if (it == g_joysticks->end()) {
            return DIERR_NOMOREITEMS;
        }
        instance = it->second;
        auto configured = g_hardwareConfigs->find(id);
        if (configured != g_hardwareConfigs->end()) {
            hardware = configured->second;
        }
    }
    static_assert(offsetof(DIJOYCONFIG, guidInstance) + sizeof(GUID) <= sizeof(DIJOYCONFIG_DX5),
                  "guidInstance lies within the smallest record");
    static_assert(offsetof(DIJOYCONFIG, hwc) + sizeof(JOYREGHWCONFIG) <= sizeof(DIJOYCONFIG_DX5),
                  "hwc lies within the smallest record");
    if ((flags & DIJC_GUIDINSTANCE) != 0) {
        std::memcpy(reinterpret_cast<BYTE*>(config) + offsetof(DIJOYCONFIG, guidInstance),
                    &instance, sizeof instance);
    }
    if ((flags & DIJC_REGHWCONFIGTYPE) != 0) {
        std::memcpy(reinterpret_cast<BYTE*>(config) + offsetof(DIJOYCONFIG, hwc), &hardware,
                    sizeof hardware);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JoyConfigGetConfig(IDirectInputJoyConfig* This, UINT id,
                                             LPDIJOYCONFIG config, DWORD flags) {
    JoyConfig* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    const HRESULT result = AnswerGetConfig(id, config, flags);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_getConfigCalls->push_back({id, flags, self->acquired.load(), result});
    return result;
}

IDirectInputJoyConfigVtbl g_joy_config_vtbl = {
    JoyConfigQueryInterface, JoyConfigAddRef,    JoyConfigRelease,
    JoyConfigAcquire,        JoyConfigUnacquire, JoyConfigSetCooperativeLevel,
    JoyConfigSendNotify,
    kNotImplemented,  // EnumTypes
    kNotImplemented,  // GetTypeInfo
    kNotImplemented,  // SetTypeInfo
    kNotImplemented,  // DeleteType
    JoyConfigGetConfig,
    kNotImplemented,  // SetConfig
    kNotImplemented,  // DeleteConfig
    kNotImplemented,  // GetUserValues
    kNotImplemented,  // SetUserValues
    kNotImplemented,  // AddNewHardware
    kNotImplemented,  // OpenTypeKey
    kNotImplemented,  // OpenConfigKey
};

}  // namespace

IDirectInputJoyConfig* NewJoyConfig(IUnknown* owner) {
    IUnknown_AddRef(owner);
    NoteObjectCreated();
    return &(new JoyConfig{{&g_joy_config_vtbl}, 1, owner})->iface;
}

bool IsJoystickInstance(const GUID& instance) {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const auto& [id, known] : *g_joysticks) {
        if (IsEqualGUID(known, instance)) {
            return true;
        }
    }
    return false;
}

void ResetJoysticks() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_joysticks->clear();
    g_hardwareConfigs->clear();
    g_configRecordSizes->clear();
    g_getConfigCalls->clear();
}

}  // namespace simwin::detail

namespace simwin {

void SetJoystick(UINT joystickId, const GUID& instance) {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    (*detail::g_joysticks)[joystickId] = instance;
}

void SetJoystickHardwareConfig(UINT joystickId, const JOYREGHWCONFIG& config) {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    (*detail::g_hardwareConfigs)[joystickId] = config;
}

std::vector<JoyConfigGetConfigCall> JoyConfigGetConfigCalls() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    return *detail::g_getConfigCalls;
}

std::vector<DWORD> JoyConfigRecordSizes() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    return *detail::g_configRecordSizes;
}

void RemoveJoystick(UINT joystickId) {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    detail::g_joysticks->erase(joystickId);
}

}  // namespace simwin

extern "C" HRESULT WINAPI DirectInputCreateEx(HINSTANCE hinst, DWORD dwVersion, REFIID riidltf,
                                              LPVOID* ppvOut, LPUNKNOWN punkOuter) {
    (void)hinst;
    if (ppvOut == nullptr) {
        return E_POINTER;
    }
    *ppvOut = nullptr;
    const HRESULT injected = simwin::detail::InjectedFailure("DirectInputCreateEx");
    if (injected != S_OK) {
        return injected;
    }
    if (punkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if (!IsEqualIID(riidltf, IID_IDirectInput7A)) {
        return E_NOINTERFACE;
    }
    if (dwVersion < simwin::detail::kDirectInput7) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    simwin::detail::NoteObjectCreated();
    auto* object = new simwin::detail::DirectInput{{&simwin::detail::g_direct_input_vtbl}, 1};
    *ppvOut = &object->iface;
    return DI_OK;
}
