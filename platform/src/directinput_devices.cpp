// DirectInput 5 as an application reads a joystick through it:
// DirectInputCreateA, the DirectInput object (IDirectInputA) and its joystick
// devices (IDirectInputDeviceA / IDirectInputDevice2A), with the scripts and
// records of control_directinput.h.
//
// Semantics kept:
//  - DirectInputCreateA clears *lplpDirectInput first; then an injected
//    fault, an outer unknown (CLASS_E_NOAGGREGATION) and a version below
//    0x0300, the first of this interface (DIERR_OLDDIRECTINPUTVERSION), fail
//    it. A NULL out pointer is E_POINTER.
//  - The DirectInput object answers IID_IUnknown and IID_IDirectInputA with
//    itself and IID_IDirectInputJoyConfig with a new joystick configuration
//    object that holds a reference on it.
//  - CreateDevice knows the instance GUIDs of the joystick table and of the
//    present HID controllers; any other is DIERR_DEVICENOTREG. The device
//    holds a reference on its DirectInput object. One object answers
//    IID_IUnknown, IID_IDirectInputDeviceA and IID_IDirectInputDevice2A.
//  - SetDataFormat takes a well-formed format of DIJOYSTATE's size (the only
//    reading this joystick has); anything else is DIERR_INVALIDPARAM, and
//    DIERR_ACQUIRED while acquired.
//  - SetCooperativeLevel needs exactly one of DISCL_EXCLUSIVE and
//    DISCL_NONEXCLUSIVE and one of DISCL_FOREGROUND and DISCL_BACKGROUND.
//  - SetProperty: DIPROP_DEADZONE takes a DIPROPDWORD (sizes 20 and 16)
//    with a value up to 10000, for the whole device (DIPH_DEVICE, dwObj 0)
//    or for one axis of the data format by its byte offset (DIPH_BYOFFSET,
//    DIERR_OBJECTNOTFOUND for an offset that is no axis, DIERR_INVALIDPARAM
//    before a data format is set). Other properties are DIERR_UNSUPPORTED.
//    Every call is recorded with its result.
//  - Acquire needs a data format (DIERR_INVALIDPARAM). Two devices of one
//    joystick cannot both hold it exclusively (DIERR_OTHERAPPHASPRIO). The
//    last Release of an acquired device unacquires it.
//  - Unacquire answers DI_NOEFFECT when the device was not acquired; Poll
//    answers DIERR_NOTACQUIRED or DI_NOEFFECT (a joystick that needs no
//    polling).
//  - GetDeviceState checks its size against the data format
//    (DIERR_INVALIDPARAM) before the acquisition (DIERR_NOTACQUIRED). A
//    failure leaves the caller's record untouched.
//  - Injected faults: "DirectInputCreateA", "IDirectInput_QueryInterface",
//    "CreateDevice", "IDirectInputDevice_QueryInterface", "SetDataFormat",
//    "SetCooperativeLevel", "SetProperty", "CreateEffect" (failure HRESULT as
//    armed, else E_FAIL).
//
// Device records and scripts are guarded by DeviceRecordsMutex(), never
// held while the joystick table, the HID controllers or the faults are
// asked.
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "directinput_internal.h"
#include "hid_controllers.h"
#include "simwin/control_directinput.h"
#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

constexpr DWORD kFirstVersion = 0x0300;
constexpr DWORD kMaxDeadZone = 10000;

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const {
        return std::memcmp(&a, &b, sizeof(GUID)) < 0;
    }
};

struct ScriptedResults {
    std::deque<HRESULT> next;
    std::optional<HRESULT> every;

    std::optional<HRESULT> Take() {
        if (!next.empty()) {
            const HRESULT result = next.front();
            next.pop_front();
            return result;
        }
        return every;
    }
};

DIJOYSTATE CentredState() {
    DIJOYSTATE state;
    std::memset(&state, 0, sizeof state);
    state.lX = state.lY = state.lZ = state.lRx = state.lRy = state.lRz = 32767;
    for (DWORD& pov : state.rgdwPOV) {
        pov = 0xFFFFFFFF;
    }
    return state;
}

struct JoystickScript {
    DIJOYSTATE state = CentredState();
    ScriptedResults acquire;
    ScriptedResults deviceState;
};

// Never destroyed: devices may be used from threads that outlive static
// destruction.
auto* g_scripts = new std::map<GUID, JoystickScript, GuidLess>;
auto* g_devices = new std::vector<std::shared_ptr<DeviceRecord>>;

JoystickScript& ScriptLocked(const GUID& instance) {
    return (*g_scripts)[instance];
}

struct DirectInputObject {
    IDirectInputA iface;
    LONG refs;
};

struct Device {
    IDirectInputDevice2A iface;
    LONG refs;
    IUnknown* owner;  // the DirectInput object; holds a reference
    std::shared_ptr<DeviceRecord> record;
};

DirectInputObject* FromInterface(IDirectInputA* iface) {
    return reinterpret_cast<DirectInputObject*>(iface);
}
Device* FromInterface(IDirectInputDevice2A* iface) {
    return reinterpret_cast<Device*>(iface);
}

// --- IDirectInputDevice2A ---------------------------------------------------

ULONG STDMETHODCALLTYPE DeviceAddRef(IDirectInputDevice2A* This) {
    return AddReference(&FromInterface(This)->refs);
}

ULONG STDMETHODCALLTYPE DeviceRelease(IDirectInputDevice2A* This) {
    Device* self = FromInterface(This);
    bool last = false;
    const ULONG refs = DropReference(&self->refs, &last);
    if (last) {
        {
            std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
            self->record->info.acquired = false;
            self->record->info.released = true;
        }
        IUnknown* owner = self->owner;
        self->owner = nullptr;
        RetireObject(self);
        IUnknown_Release(owner);
    }
    return refs;
}

HRESULT STDMETHODCALLTYPE DeviceQueryInterface(IDirectInputDevice2A* This, REFIID riid,
                                               void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (IsRetired(&FromInterface(This)->refs)) {
        return E_FAIL;
    }
    const HRESULT injected = InjectedFailure("IDirectInputDevice_QueryInterface");
    if (injected != S_OK) {
        return injected;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInputDeviceA) ||
        IsEqualIID(riid, IID_IDirectInputDevice2A)) {
        DeviceAddRef(This);
        *ppvObject = This;
        return S_OK;
    }
    return E_NOINTERFACE;
}

// The predefined property the GUID reference stands for, or 0.
DWORD PredefinedPropertyOf(REFGUID rguid) {
    const GUID* first = &SimwinPredefinedProperties[0];
    const GUID* end = first + SIMWIN_PREDEFINED_PROPERTY_COUNT;
    const GUID* given = &rguid;
    // Compared as integers: the GUID may lie in no array at all.
    const auto at = reinterpret_cast<uintptr_t>(given);
    if (at < reinterpret_cast<uintptr_t>(first) || at >= reinterpret_cast<uintptr_t>(end)) {
        return 0;
    }
    return static_cast<DWORD>(given - first);
}

bool IsAxisOffsetOf(const DIDATAFORMAT& format, DWORD offset) {
    for (DWORD i = 0; i < format.dwNumObjs; ++i) {
        const DIOBJECTDATAFORMAT& object = format.rgodf[i];
        if (object.dwOfs == offset && (object.dwType & DIDFT_AXIS) != 0) {
            return true;
        }
    }
    return false;
}

HRESULT SetDeadZoneLocked(DeviceRecord& record, const DIPROPHEADER& header, DWORD value) {
    if (header.dwSize != sizeof(DIPROPDWORD) || header.dwHeaderSize != sizeof(DIPROPHEADER) ||
        value > kMaxDeadZone) {
        return DIERR_INVALIDPARAM;
    }
    DirectInputDeviceInfo& info = record.info;
    if (header.dwHow == DIPH_DEVICE && header.dwObj == 0) {
        if (info.dataFormat != nullptr) {
            for (DWORD i = 0; i < info.dataFormat->dwNumObjs; ++i) {
                const DIOBJECTDATAFORMAT& object = info.dataFormat->rgodf[i];
                if ((object.dwType & DIDFT_AXIS) != 0) {
                    info.deadZones[object.dwOfs] = value;
                }
            }
        }
        return DI_OK;
    }
    if (header.dwHow != DIPH_BYOFFSET || info.dataFormat == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    if (!IsAxisOffsetOf(*info.dataFormat, header.dwObj)) {
        return DIERR_OBJECTNOTFOUND;
    }
    info.deadZones[header.dwObj] = value;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceSetProperty(IDirectInputDevice2A* This, REFGUID rguidProp,
                                            LPCDIPROPHEADER pdiph) {
    Device* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (pdiph == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    const DWORD property = PredefinedPropertyOf(rguidProp);
    const DIPROPHEADER header = *pdiph;
    // dwData is read only from a record that says it has one.
    const DWORD data = header.dwSize >= sizeof(DIPROPDWORD)
                           ? reinterpret_cast<const DIPROPDWORD*>(pdiph)->dwData
                           : 0;
    HRESULT result = InjectedFailure("SetProperty");
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    if (result == S_OK) {
        result = property == 5 ? SetDeadZoneLocked(*self->record, header, data) : DIERR_UNSUPPORTED;
    }
    self->record->info.propertyCalls.push_back({property, header, data, result});
    return result;
}

bool IsWellFormed(const DIDATAFORMAT& format) {
    if (format.dwSize != sizeof(DIDATAFORMAT) || format.dwObjSize != sizeof(DIOBJECTDATAFORMAT) ||
        format.dwDataSize != sizeof(DIJOYSTATE) ||
        (format.dwNumObjs != 0 && format.rgodf == nullptr)) {
        return false;
    }
    for (DWORD i = 0; i < format.dwNumObjs; ++i) {
        if (format.rgodf[i].dwOfs >= format.dwDataSize) {
            return false;
        }
    }
    return true;
}

HRESULT STDMETHODCALLTYPE DeviceSetDataFormat(IDirectInputDevice2A* This, LPCDIDATAFORMAT lpdf) {
    Device* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    const HRESULT injected = InjectedFailure("SetDataFormat");
    if (injected != S_OK) {
        return injected;
    }
    if (lpdf == nullptr || !IsWellFormed(*lpdf)) {
        return DIERR_INVALIDPARAM;
    }
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    if (self->record->info.acquired) {
        return DIERR_ACQUIRED;
    }
    self->record->info.dataFormat = lpdf;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceSetCooperativeLevel(IDirectInputDevice2A* This, HWND__* hwnd,
                                                    DWORD dwFlags) {
    Device* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    const HRESULT injected = InjectedFailure("SetCooperativeLevel");
    if (injected != S_OK) {
        return injected;
    }
    const DWORD sharing = dwFlags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD focus = dwFlags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if (sharing == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) || sharing == 0 ||
        focus == (DISCL_FOREGROUND | DISCL_BACKGROUND) || focus == 0) {
        return DIERR_INVALIDPARAM;
    }
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    DirectInputDeviceInfo& info = self->record->info;
    info.cooperativeLevelSet = true;
    info.cooperativeWindow = hwnd;
    info.cooperativeFlags = dwFlags;
    return DI_OK;
}

bool AnotherHoldsExclusivelyLocked(const DeviceRecord& record) {
    for (const auto& other : *g_devices) {
        if (other.get() != &record && !other->info.released &&
            IsEqualGUID(other->info.instance, record.info.instance) &&
            IsAcquiredExclusivelyLocked(*other)) {
            return true;
        }
    }
    return false;
}

HRESULT STDMETHODCALLTYPE DeviceAcquire(IDirectInputDevice2A* This) {
    Device* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (const HRESULT injected = InjectedFailure("Acquire"); injected != S_OK) {
        return injected;
    }
    const InstancePresence presence = DirectInputInstancePresence(self->record->info.instance);
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    DirectInputDeviceInfo& info = self->record->info;
    ++info.acquireCalls;
    if (info.dataFormat == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    HRESULT result;
    if (const std::optional<HRESULT> scripted = ScriptLocked(info.instance).acquire.Take()) {
        result = *scripted;
    } else if (presence == InstancePresence::Unplugged) {
        result = DIERR_UNPLUGGED;
    } else if (info.acquired) {
        result = S_FALSE;
    } else if ((info.cooperativeFlags & DISCL_EXCLUSIVE) != 0 &&
               AnotherHoldsExclusivelyLocked(*self->record)) {
        result = DIERR_OTHERAPPHASPRIO;
    } else {
        result = DI_OK;
    }
    info.acquired = SUCCEEDED(result);
    return result;
}

HRESULT STDMETHODCALLTYPE DeviceUnacquire(IDirectInputDevice2A* This) {
    Device* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    DirectInputDeviceInfo& info = self->record->info;
    ++info.unacquireCalls;
    const bool was = info.acquired;
    info.acquired = false;
    return was ? DI_OK : DI_NOEFFECT;
}

HRESULT STDMETHODCALLTYPE DeviceGetDeviceState(IDirectInputDevice2A* This, DWORD cbData,
                                               LPVOID lpvData) {
    Device* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (const HRESULT injected = InjectedFailure("GetDeviceState"); injected != S_OK) {
        return injected;
    }
    const InstancePresence presence = DirectInputInstancePresence(self->record->info.instance);
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    DirectInputDeviceInfo& info = self->record->info;
    ++info.getDeviceStateCalls;
    if (lpvData == nullptr || info.dataFormat == nullptr || cbData != info.dataFormat->dwDataSize) {
        return DIERR_INVALIDPARAM;
    }
    if (!info.acquired) {
        return DIERR_NOTACQUIRED;
    }
    JoystickScript& script = ScriptLocked(info.instance);
    HRESULT result = DI_OK;
    if (const std::optional<HRESULT> scripted = script.deviceState.Take()) {
        result = *scripted;
    } else if (presence == InstancePresence::Unplugged) {
        result = DIERR_INPUTLOST;
    }
    if (result == DIERR_INPUTLOST) {
        info.acquired = false;
    }
    if (SUCCEEDED(result)) {
        std::memcpy(lpvData, &script.state, sizeof script.state);
    }
    return result;
}

HRESULT STDMETHODCALLTYPE DeviceCreateEffect(IDirectInputDevice2A* This, REFGUID rguid,
                                             LPCDIEFFECT lpeff, LPDIRECTINPUTEFFECT* ppdeff,
                                             LPUNKNOWN punkOuter) {
    Device* self = FromInterface(This);
    if (ppdeff == nullptr) {
        return E_POINTER;
    }
    *ppdeff = nullptr;
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    const HRESULT injected = InjectedFailure("CreateEffect");
    if (injected != S_OK) {
        return injected;
    }
    if (punkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return NewEffect(This, self->record, rguid, lpeff, ppdeff);
}

HRESULT STDMETHODCALLTYPE DevicePoll(IDirectInputDevice2A* This) {
    Device* self = FromInterface(This);
    if (IsRetired(&self->refs)) {
        return E_FAIL;
    }
    if (const HRESULT injected = InjectedFailure("Poll"); injected != S_OK) {
        return injected;
    }
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    DirectInputDeviceInfo& info = self->record->info;
    ++info.pollCalls;
    return info.acquired ? DI_NOEFFECT : DIERR_NOTACQUIRED;
}

IDirectInputDevice2AVtbl g_device_vtbl = {
    DeviceQueryInterface,
    DeviceAddRef,
    DeviceRelease,
    kNotImplemented,  // GetCapabilities
    kNotImplemented,  // EnumObjects
    kNotImplemented,  // GetProperty
    DeviceSetProperty,
    DeviceAcquire,
    DeviceUnacquire,
    DeviceGetDeviceState,
    kNotImplemented,  // GetDeviceData
    DeviceSetDataFormat,
    kNotImplemented,  // SetEventNotification
    DeviceSetCooperativeLevel,
    kNotImplemented,  // GetObjectInfo
    kNotImplemented,  // GetDeviceInfo
    kNotImplemented,  // RunControlPanel
    kNotImplemented,  // Initialize
    DeviceCreateEffect,
    kNotImplemented,  // EnumEffects
    kNotImplemented,  // GetEffectInfo
    kNotImplemented,  // GetForceFeedbackState
    kNotImplemented,  // SendForceFeedbackCommand
    kNotImplemented,  // EnumCreatedEffectObjects
    kNotImplemented,  // Escape
    DevicePoll,
    kNotImplemented,  // SendDeviceData
};

// --- IDirectInputA ----------------------------------------------------------

ULONG STDMETHODCALLTYPE DirectInputAddRef(IDirectInputA* This) {
    return AddReference(&FromInterface(This)->refs);
}

ULONG STDMETHODCALLTYPE DirectInputRelease(IDirectInputA* This) {
    DirectInputObject* self = FromInterface(This);
    bool last = false;
    const ULONG refs = DropReference(&self->refs, &last);
    if (last) {
        RetireObject(self);
    }
    return refs;
}

HRESULT STDMETHODCALLTYPE DirectInputQueryInterface(IDirectInputA* This, REFIID riid,
                                                    void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (IsRetired(&FromInterface(This)->refs)) {
        return E_FAIL;
    }
    const HRESULT injected = InjectedFailure("IDirectInput_QueryInterface");
    if (injected != S_OK) {
        return injected;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInputA)) {
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

HRESULT STDMETHODCALLTYPE DirectInputCreateDevice(IDirectInputA* This, REFGUID rguid,
                                                  LPDIRECTINPUTDEVICEA* lplpDirectInputDevice,
                                                  LPUNKNOWN pUnkOuter) {
    if (lplpDirectInputDevice == nullptr) {
        return E_POINTER;
    }
    *lplpDirectInputDevice = nullptr;
    if (IsRetired(&FromInterface(This)->refs)) {
        return E_FAIL;
    }
    const HRESULT injected = InjectedFailure("CreateDevice");
    if (injected != S_OK) {
        return injected;
    }
    if (pUnkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if (!IsJoystickInstance(rguid) &&
        DirectInputInstancePresence(rguid) != InstancePresence::Present) {
        return DIERR_DEVICENOTREG;
    }
    auto record = std::make_shared<DeviceRecord>();
    record->info = DirectInputDeviceInfo{};
    record->info.instance = rguid;
    {
        std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
        record->index = g_devices->size();
        g_devices->push_back(record);
    }
    DirectInputAddRef(This);
    NoteObjectCreated();
    auto* device = new Device{{&g_device_vtbl}, 1, reinterpret_cast<IUnknown*>(This), record};
    // The device's one table serves both device interfaces.
    *lplpDirectInputDevice = reinterpret_cast<LPDIRECTINPUTDEVICEA>(&device->iface);
    return DI_OK;
}

IDirectInputAVtbl g_direct_input_vtbl = {
    DirectInputQueryInterface, DirectInputAddRef, DirectInputRelease, DirectInputCreateDevice,
    kNotImplemented,  // EnumDevices
    kNotImplemented,  // GetDeviceStatus
    kNotImplemented,  // RunControlPanel
    kNotImplemented,  // Initialize
};

}  // namespace

std::mutex& DeviceRecordsMutex() {
    static auto* mutex = new std::mutex;  // never destroyed, as the records
    return *mutex;
}

bool IsAcquiredExclusivelyLocked(const DeviceRecord& record) {
    return record.info.acquired && (record.info.cooperativeFlags & DISCL_EXCLUSIVE) != 0;
}

void ResetDirectInputDevices() {
    {
        std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
        g_scripts->clear();
        g_devices->clear();
    }
    ResetDirectInputEffects();
    ResetReleaseErrors();
}

}  // namespace simwin::detail

namespace simwin {

using detail::DeviceRecordsMutex;

void SetJoystickState(const GUID& instance, const DIJOYSTATE& state) {
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    detail::ScriptLocked(instance).state = state;
}

void ScriptAcquire(const GUID& instance, HRESULT result, ScriptScope scope) {
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    detail::ScriptedResults& results = detail::ScriptLocked(instance).acquire;
    if (scope == ScriptScope::NextCall) {
        results.next.push_back(result);
    } else {
        results.every = result;
    }
}

void ScriptGetDeviceState(const GUID& instance, HRESULT result, ScriptScope scope) {
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    detail::ScriptedResults& results = detail::ScriptLocked(instance).deviceState;
    if (scope == ScriptScope::NextCall) {
        results.next.push_back(result);
    } else {
        results.every = result;
    }
}

void ClearJoystickScripts(const GUID& instance) {
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    detail::JoystickScript& script = detail::ScriptLocked(instance);
    script.acquire = {};
    script.deviceState = {};
}

std::vector<DirectInputDeviceInfo> DirectInputDevices() {
    std::lock_guard<std::mutex> lock(DeviceRecordsMutex());
    std::vector<DirectInputDeviceInfo> devices;
    for (const auto& record : *detail::g_devices) {
        devices.push_back(record->info);
    }
    return devices;
}

}  // namespace simwin

extern "C" HRESULT WINAPI DirectInputCreateA(HINSTANCE hinst, DWORD dwVersion,
                                             LPDIRECTINPUTA* lplpDirectInput, LPUNKNOWN punkOuter) {
    (void)hinst;
    if (lplpDirectInput == nullptr) {
        return E_POINTER;
    }
    *lplpDirectInput = nullptr;
    const HRESULT injected = simwin::detail::InjectedFailure("DirectInputCreateA");
    if (injected != S_OK) {
        return injected;
    }
    if (punkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if (dwVersion < simwin::detail::kFirstVersion) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    simwin::detail::NoteObjectCreated();
    auto* object = new simwin::detail::DirectInputObject{{&simwin::detail::g_direct_input_vtbl}, 1};
    *lplpDirectInput = &object->iface;
    return DI_OK;
}
