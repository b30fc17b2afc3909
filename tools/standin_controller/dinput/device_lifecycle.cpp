// The joystick device's identity and lifetime: creation, QueryInterface,
// references and release, and its method table.
#include <new>

#include "tools/standin_controller/dinput/controller_identity.h"
#include "tools/standin_controller/dinput/controller_roster.h"
#include "tools/standin_controller/dinput/device_effect.h"
#include "tools/standin_controller/dinput/joystick_device.h"
#include "tools/standin_controller/dinput/module_state.h"
#include "tools/standin_controller/dinput/registry_traces.h"

namespace standin_dinput {

namespace {

HRESULT STDMETHODCALLTYPE DeviceQueryInterface(IDirectInputDevice7A* This, REFIID riid,
                                               void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectInputDeviceA) ||
        IsEqualGUID(riid, IID_IDirectInputDevice2A) ||
        IsEqualGUID(riid, IID_IDirectInputDevice7A)) {
        IDirectInputDevice7_AddRef(This);
        *out = This;
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DeviceAddRef(IDirectInputDevice7A* This) {
    return static_cast<ULONG>(InterlockedIncrement(&DeviceFromInterface(This)->references));
}

ULONG STDMETHODCALLTYPE DeviceRelease(IDirectInputDevice7A* This) {
    JoystickDevice* device = DeviceFromInterface(This);
    const LONG left = InterlockedDecrement(&device->references);
    if (left != 0) {
        return static_cast<ULONG>(left);
    }
    {
        DeviceLock lock(device);
        for (DeviceEffect* effect = device->effects; effect != nullptr; effect = effect->next) {
            UnloadDeviceEffect(effect);
        }
        if (device->acquired) {
            EndAcquisition(device, true);
        }
        ReleaseEffectDriver(&device->driverLink);
        device->released = true;
    }
    DropDevice(device);
    return 0;
}

HRESULT STDMETHODCALLTYPE DeviceSetEventNotification(IDirectInputDevice7A* This, HANDLE) {
    JoystickDevice* device = DeviceFromInterface(This);
    DeviceLock lock(device);
    // The device keeps no buffer of changes, so there is nothing to signal;
    // the platform refuses the change while acquired all the same.
    return device->acquired ? DIERR_ACQUIRED : DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceRunControlPanel(IDirectInputDevice7A*, HWND, DWORD) {
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceInitialize(IDirectInputDevice7A* This, HINSTANCE, DWORD version,
                                           REFGUID instance) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (!IsEqualGUID(instance, device->instance)) {
        return DIERR_DEVICENOTREG;
    }
    DeviceLock lock(device);
    device->version = version;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceSendDeviceData(IDirectInputDevice7A*, DWORD, LPCDIDEVICEOBJECTDATA,
                                               LPDWORD, DWORD) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE DeviceEnumEffectsInFile(IDirectInputDevice7A*, LPCSTR,
                                                  LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) {
    return DIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE DeviceWriteEffectToFile(IDirectInputDevice7A*, LPCSTR, DWORD,
                                                  LPDIFILEEFFECT, DWORD) {
    return DIERR_UNSUPPORTED;
}

const IDirectInputDevice7AVtbl kDeviceMethods = {
    DeviceQueryInterface,
    DeviceAddRef,
    DeviceRelease,
    DeviceGetCapabilities,
    DeviceEnumObjects,
    DeviceGetProperty,
    DeviceSetProperty,
    DeviceAcquire,
    DeviceUnacquire,
    DeviceGetDeviceState,
    DeviceGetDeviceData,
    DeviceSetDataFormat,
    DeviceSetEventNotification,
    DeviceSetCooperativeLevel,
    DeviceGetObjectInfo,
    DeviceGetDeviceInfo,
    DeviceRunControlPanel,
    DeviceInitialize,
    DeviceCreateEffect,
    DeviceEnumEffects,
    DeviceGetEffectInfo,
    DeviceGetForceFeedbackState,
    DeviceSendForceFeedbackCommand,
    DeviceEnumCreatedEffectObjects,
    DeviceEscape,
    DevicePoll,
    DeviceSendDeviceData,
    DeviceEnumEffectsInFile,
    DeviceWriteEffectToFile,
};

}  // namespace

JoystickDevice* DeviceFromInterface(IDirectInputDevice7A* iface) {
    return reinterpret_cast<JoystickDevice*>(iface);
}

HRESULT CreateJoystickDevice(uint32_t slot, DWORD version, REFIID riid, void** out) {
    *out = nullptr;
    standin::ControllerInfo controller;
    if (!FindPresentController(slot, &controller)) {
        return DIERR_DEVICENOTREG;
    }
    controller.path[sizeof controller.path - 1] = '\0';
    auto* device = new (std::nothrow) JoystickDevice();
    if (device == nullptr) {
        return DIERR_OUTOFMEMORY;
    }
    device->iface.lpVtbl = const_cast<IDirectInputDevice7AVtbl*>(&kDeviceMethods);
    device->references = 1;
    device->holds = 1;
    InitializeCriticalSection(&device->lock);
    device->version = version;
    device->slot = slot;
    device->instance = InstanceGuidForSlot(slot);
    device->controller = controller;
    device->instanceNumber = RecordControllerKeys(controller, device->instance);
    device->format = JoystickFormat::None;
    for (AxisSettings& axis : device->axes) {
        axis = DefaultAxisSettings();
    }
    device->forceFeedback = ReadForceFeedbackRegistration(controller.spec, &device->registration);
    InitEffectDriverLink(&device->driverLink);
    device->gain = kFullScale;
    device->autocenter = DIPROPAUTOCENTER_ON;
    CountObjectCreated();

    const HRESULT result = DeviceQueryInterface(&device->iface, riid, out);
    DeviceRelease(&device->iface);
    return result;
}

void HoldDevice(JoystickDevice* device) {
    InterlockedIncrement(&device->holds);
}

void DropDevice(JoystickDevice* device) {
    if (InterlockedDecrement(&device->holds) != 0) {
        return;
    }
    DeleteCriticalSection(&device->lock);
    delete device;
    CountObjectDestroyed();
}

IDirectInputEffectDriver* UsableEffectDriver(JoystickDevice* device, HRESULT* result) {
    if (device->released) {
        *result = DIERR_NOTINITIALIZED;
        return nullptr;
    }
    if (!device->forceFeedback) {
        *result = DIERR_UNSUPPORTED;
        return nullptr;
    }
    if (!device->acquired || !device->exclusive) {
        *result = DIERR_NOTEXCLUSIVEACQUIRED;
        return nullptr;
    }
    if (device->driverLink.driver == nullptr) {
        *result = FAILED(device->driverLink.result) ? device->driverLink.result : DIERR_UNSUPPORTED;
        return nullptr;
    }
    *result = DI_OK;
    return device->driverLink.driver;
}

void ForgetDownloadedEffects(JoystickDevice* device) {
    for (DeviceEffect* effect = device->effects; effect != nullptr; effect = effect->next) {
        effect->downloaded = false;
        effect->handle = 0;
        effect->pending = 0;
    }
}

}  // namespace standin_dinput
