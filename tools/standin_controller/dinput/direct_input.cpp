#include "tools/standin_controller/dinput/direct_input.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "tools/standin_controller/dinput/controller_identity.h"
#include "tools/standin_controller/dinput/controller_roster.h"
#include "tools/standin_controller/dinput/device_description.h"
#include "tools/standin_controller/dinput/force_feedback_registration.h"
#include "tools/standin_controller/dinput/joystick_device.h"
#include "tools/standin_controller/dinput/module_state.h"

namespace standin_dinput {

namespace {

// The device setup class of HID devices.
constexpr GUID kHidDeviceClass = {
    0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};

constexpr DWORD kEnumerationFlags = DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK |
                                    DIEDFL_INCLUDEALIASES | DIEDFL_INCLUDEPHANTOMS |
                                    DIEDFL_INCLUDEHIDDEN;

DirectInputObject* ObjectFromInterface(IDirectInput7A* iface) {
    return reinterpret_cast<DirectInputObject*>(iface);
}

HRESULT STDMETHODCALLTYPE DirectInputQueryInterface(IDirectInput7A* This, REFIID riid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    DirectInputObject* object = ObjectFromInterface(This);
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectInputA) ||
        IsEqualGUID(riid, IID_IDirectInput2A) || IsEqualGUID(riid, IID_IDirectInput7A)) {
        *out = &object->iface;
    } else if (IsEqualGUID(riid, IID_IDirectInputJoyConfig)) {
        *out = &object->joyConfig;
    } else {
        return E_NOINTERFACE;
    }
    InterlockedIncrement(&object->references);
    return S_OK;
}

ULONG STDMETHODCALLTYPE DirectInputAddRef(IDirectInput7A* This) {
    return static_cast<ULONG>(InterlockedIncrement(&ObjectFromInterface(This)->references));
}

ULONG STDMETHODCALLTYPE DirectInputRelease(IDirectInput7A* This) {
    DirectInputObject* object = ObjectFromInterface(This);
    const LONG left = InterlockedDecrement(&object->references);
    if (left == 0) {
        delete object;
        CountObjectDestroyed();
    }
    return static_cast<ULONG>(left);
}

HRESULT CreateDeviceFor(DirectInputObject* object, REFGUID instance, REFIID riid, void** out,
                        LPUNKNOWN outer) {
    if (out == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *out = nullptr;
    if (outer != nullptr) {
        return DIERR_NOAGGREGATION;
    }
    if (object->version == 0) {
        return DIERR_NOTINITIALIZED;
    }
    uint32_t slot = 0;
    if (!SlotFromInstanceGuid(instance, &slot)) {
        return DIERR_DEVICENOTREG;
    }
    return CreateJoystickDevice(slot, object->version, riid, out);
}

HRESULT STDMETHODCALLTYPE DirectInputCreateDevice(IDirectInput7A* This, REFGUID instance,
                                                  LPDIRECTINPUTDEVICEA* device, LPUNKNOWN outer) {
    return CreateDeviceFor(ObjectFromInterface(This), instance, IID_IDirectInputDeviceA,
                           reinterpret_cast<void**>(device), outer);
}

HRESULT STDMETHODCALLTYPE DirectInputCreateDeviceEx(IDirectInput7A* This, REFGUID instance,
                                                    REFIID riid, LPVOID* device, LPUNKNOWN outer) {
    return CreateDeviceFor(ObjectFromInterface(This), instance, riid, device, outer);
}

HRESULT STDMETHODCALLTYPE DirectInputEnumDevices(IDirectInput7A* This, DWORD type,
                                                 LPDIENUMDEVICESCALLBACKA callback, LPVOID ref,
                                                 DWORD flags) {
    DirectInputObject* object = ObjectFromInterface(This);
    if (callback == nullptr || (flags & ~kEnumerationFlags) != 0) {
        return DIERR_INVALIDPARAM;
    }
    if (object->version == 0) {
        return DIERR_NOTINITIALIZED;
    }
    const DWORD wantedType = GET_DIDEVICE_TYPE(type);
    if (wantedType != 0 && wantedType != DIDEVTYPE_JOYSTICK) {
        return DI_OK;
    }
    standin::ControllerList list;
    if (!ListControllers(&list)) {
        return DI_OK;
    }
    for (const standin::ControllerInfo& controller : list.controllers) {
        if (!controller.present) {
            continue;
        }
        ForceFeedbackRegistration registration;
        if ((flags & DIEDFL_FORCEFEEDBACK) &&
            !ReadForceFeedbackRegistration(controller.spec, &registration)) {
            continue;
        }
        DIDEVICEINSTANCEA instance;
        instance.dwSize = sizeof instance;
        FillDeviceInstance(controller, &instance);
        if (callback(&instance, ref) == DIENUM_STOP) {
            break;
        }
    }
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DirectInputGetDeviceStatus(IDirectInput7A* This, REFGUID instance) {
    if (ObjectFromInterface(This)->version == 0) {
        return DIERR_NOTINITIALIZED;
    }
    uint32_t slot = 0;
    if (!SlotFromInstanceGuid(instance, &slot)) {
        return DIERR_DEVICENOTREG;
    }
    standin::ControllerInfo controller;
    return FindPresentController(slot, &controller) ? DI_OK : DI_NOTATTACHED;
}

HRESULT STDMETHODCALLTYPE DirectInputRunControlPanel(IDirectInput7A*, HWND, DWORD) {
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DirectInputInitialize(IDirectInput7A* This, HINSTANCE, DWORD version) {
    const HRESULT checked = CheckDirectInputVersion(version);
    if (FAILED(checked)) {
        return checked;
    }
    ObjectFromInterface(This)->version = version;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DirectInputFindDevice(IDirectInput7A* This, REFGUID deviceClass,
                                                LPCSTR path, LPGUID instance) {
    if (path == nullptr || instance == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    if (ObjectFromInterface(This)->version == 0) {
        return DIERR_NOTINITIALIZED;
    }
    standin::ControllerInfo controller;
    if (!IsEqualGUID(deviceClass, kHidDeviceClass) || !FindControllerByPath(path, &controller)) {
        return DIERR_DEVICENOTREG;
    }
    *instance = InstanceGuidForSlot(controller.slot);
    return DI_OK;
}

const IDirectInput7AVtbl kDirectInputMethods = {
    DirectInputQueryInterface,  DirectInputAddRef,      DirectInputRelease,
    DirectInputCreateDevice,    DirectInputEnumDevices, DirectInputGetDeviceStatus,
    DirectInputRunControlPanel, DirectInputInitialize,  DirectInputFindDevice,
    DirectInputCreateDeviceEx,
};

}  // namespace

HRESULT CheckDirectInputVersion(DWORD version) {
    if (version < kOldestVersion) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    if (version > kNewestVersion) {
        return DIERR_BETADIRECTINPUTVERSION;
    }
    return DI_OK;
}

HRESULT CreateDirectInput(DWORD version, REFIID riid, void** out) {
    *out = nullptr;
    const HRESULT checked = CheckDirectInputVersion(version);
    if (FAILED(checked)) {
        return checked;
    }
    auto* object = new (std::nothrow) DirectInputObject();
    if (object == nullptr) {
        return DIERR_OUTOFMEMORY;
    }
    object->iface.lpVtbl = const_cast<IDirectInput7AVtbl*>(&kDirectInputMethods);
    object->joyConfig.lpVtbl = const_cast<IDirectInputJoyConfigVtbl*>(&kJoyConfigMethods);
    object->references = 1;
    object->version = version;
    CountObjectCreated();
    HRESULT result = IsEqualGUID(riid, IID_IDirectInputJoyConfig)
                         ? E_NOINTERFACE
                         : DirectInputQueryInterface(&object->iface, riid, out);
    DirectInputRelease(&object->iface);
    return result;
}

DirectInputObject* ObjectFromJoyConfig(IDirectInputJoyConfig* iface) {
    return reinterpret_cast<DirectInputObject*>(reinterpret_cast<BYTE*>(iface) -
                                                offsetof(DirectInputObject, joyConfig));
}

}  // namespace standin_dinput
