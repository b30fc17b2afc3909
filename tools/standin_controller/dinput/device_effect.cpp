#include "tools/standin_controller/dinput/device_effect.h"

#include <new>

#include "tools/standin_controller/dinput/joystick_device.h"
#include "tools/standin_controller/dinput/module_state.h"

namespace standin_dinput {

namespace {

DeviceEffect* EffectFromInterface(IDirectInputEffect* iface) {
    return reinterpret_cast<DeviceEffect*>(iface);
}

void Unlink(DeviceEffect* effect) {
    DeviceEffect** link = &effect->device->effects;
    while (*link != nullptr && *link != effect) {
        link = &(*link)->next;
    }
    if (*link == effect) {
        *link = effect->next;
    }
    effect->next = nullptr;
}

HRESULT STDMETHODCALLTYPE EffectQueryInterface(IDirectInputEffect* This, REFIID riid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectInputEffect)) {
        IDirectInputEffect_AddRef(This);
        *out = This;
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE EffectAddRef(IDirectInputEffect* This) {
    return static_cast<ULONG>(InterlockedIncrement(&EffectFromInterface(This)->references));
}

ULONG STDMETHODCALLTYPE EffectRelease(IDirectInputEffect* This) {
    DeviceEffect* effect = EffectFromInterface(This);
    const LONG left = InterlockedDecrement(&effect->references);
    if (left != 0) {
        return static_cast<ULONG>(left);
    }
    JoystickDevice* device = effect->device;
    {
        DeviceLock lock(device);
        UnloadDeviceEffect(effect);
        Unlink(effect);
    }
    ClearEffectParameters(&effect->parameters);
    delete effect;
    DropDevice(device);
    CountObjectDestroyed();
    return 0;
}

HRESULT STDMETHODCALLTYPE EffectInitialize(IDirectInputEffect* This, HINSTANCE, DWORD,
                                           REFGUID effectGuid) {
    DeviceEffect* effect = EffectFromInterface(This);
    return IsEqualGUID(effectGuid, effect->registration.guid) ? DI_OK : DIERR_DEVICENOTREG;
}

HRESULT STDMETHODCALLTYPE EffectGetEffectGuid(IDirectInputEffect* This, LPGUID effectGuid) {
    if (effectGuid == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *effectGuid = EffectFromInterface(This)->registration.guid;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE EffectGetParameters(IDirectInputEffect* This, LPDIEFFECT record,
                                              DWORD flags) {
    DeviceEffect* effect = EffectFromInterface(This);
    DeviceLock lock(effect->device);
    return GiveEffectParameters(effect->parameters, record, flags);
}

HRESULT STDMETHODCALLTYPE EffectSetParameters(IDirectInputEffect* This, LPCDIEFFECT record,
                                              DWORD flags) {
    DeviceEffect* effect = EffectFromInterface(This);
    DeviceLock lock(effect->device);
    if (effect->device->released) {
        return DIERR_NOTINITIALIZED;
    }
    HRESULT result = TakeEffectParameters(&effect->parameters,
                                          effect->registration.attributes.dwEffType, record, flags);
    if (FAILED(result)) {
        return result;
    }
    const DWORD changed = flags & DIEP_ALLPARAMS;
    if (flags & DIEP_NODOWNLOAD) {
        if (effect->downloaded) {
            effect->pending |= changed;
        }
        return DI_OK;
    }
    HRESULT why;
    if (UsableEffectDriver(effect->device, &why) == nullptr ||
        !IsCompleteEffect(effect->parameters)) {
        return DI_DOWNLOADSKIPPED;
    }
    return DownloadDeviceEffect(effect, flags);
}

HRESULT STDMETHODCALLTYPE EffectStart(IDirectInputEffect* This, DWORD iterations, DWORD flags) {
    DeviceEffect* effect = EffectFromInterface(This);
    if ((flags & ~(DIES_SOLO | DIES_NODOWNLOAD)) != 0) {
        return DIERR_INVALIDPARAM;
    }
    DeviceLock lock(effect->device);
    HRESULT result;
    IDirectInputEffectDriver* driver = UsableEffectDriver(effect->device, &result);
    if (driver == nullptr) {
        return result;
    }
    if (!effect->downloaded || effect->pending != 0) {
        if (flags & DIES_NODOWNLOAD) {
            return DIERR_NOTDOWNLOADED;
        }
        result = DownloadDeviceEffect(effect, 0);
        if (FAILED(result)) {
            return result;
        }
    }
    return IDirectInputEffectDriver_StartEffect(driver, effect->device->slot, effect->handle,
                                                flags & DIES_SOLO, iterations);
}

HRESULT STDMETHODCALLTYPE EffectStop(IDirectInputEffect* This) {
    DeviceEffect* effect = EffectFromInterface(This);
    DeviceLock lock(effect->device);
    HRESULT result;
    IDirectInputEffectDriver* driver = UsableEffectDriver(effect->device, &result);
    if (driver == nullptr) {
        return result;
    }
    if (!effect->downloaded) {
        return DI_OK;
    }
    return IDirectInputEffectDriver_StopEffect(driver, effect->device->slot, effect->handle);
}

HRESULT STDMETHODCALLTYPE EffectGetEffectStatus(IDirectInputEffect* This, LPDWORD status) {
    DeviceEffect* effect = EffectFromInterface(This);
    if (status == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *status = 0;
    DeviceLock lock(effect->device);
    if (effect->device->released) {
        return DIERR_NOTINITIALIZED;
    }
    HRESULT result;
    IDirectInputEffectDriver* driver = UsableEffectDriver(effect->device, &result);
    if (driver == nullptr || !effect->downloaded) {
        return DI_OK;
    }
    return IDirectInputEffectDriver_GetEffectStatus(driver, effect->device->slot, effect->handle,
                                                    status);
}

HRESULT STDMETHODCALLTYPE EffectDownload(IDirectInputEffect* This) {
    DeviceEffect* effect = EffectFromInterface(This);
    DeviceLock lock(effect->device);
    HRESULT result;
    if (UsableEffectDriver(effect->device, &result) == nullptr) {
        return result;
    }
    if (effect->downloaded && effect->pending == 0) {
        return S_FALSE;
    }
    return DownloadDeviceEffect(effect, 0);
}

HRESULT STDMETHODCALLTYPE EffectUnload(IDirectInputEffect* This) {
    DeviceEffect* effect = EffectFromInterface(This);
    DeviceLock lock(effect->device);
    if (effect->device->released) {
        return DIERR_NOTINITIALIZED;
    }
    UnloadDeviceEffect(effect);
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE EffectEscape(IDirectInputEffect* This, LPDIEFFESCAPE escape) {
    DeviceEffect* effect = EffectFromInterface(This);
    DeviceLock lock(effect->device);
    HRESULT result;
    IDirectInputEffectDriver* driver = UsableEffectDriver(effect->device, &result);
    if (driver == nullptr) {
        return result;
    }
    if (!effect->downloaded) {
        return DIERR_NOTDOWNLOADED;
    }
    return IDirectInputEffectDriver_Escape(driver, effect->device->slot, effect->handle, escape);
}

const IDirectInputEffectVtbl kEffectMethods = {
    EffectQueryInterface, EffectAddRef,          EffectRelease,       EffectInitialize,
    EffectGetEffectGuid,  EffectGetParameters,   EffectSetParameters, EffectStart,
    EffectStop,           EffectGetEffectStatus, EffectDownload,      EffectUnload,
    EffectEscape,
};

}  // namespace

HRESULT CreateDeviceEffect(JoystickDevice* device, const EffectRegistration& registration,
                           DeviceEffect** created) {
    auto* effect = new (std::nothrow) DeviceEffect();
    if (effect == nullptr) {
        return DIERR_OUTOFMEMORY;
    }
    effect->iface.lpVtbl = const_cast<IDirectInputEffectVtbl*>(&kEffectMethods);
    effect->references = 1;
    effect->device = device;
    HoldDevice(device);
    effect->registration = registration;
    InitEffectParameters(&effect->parameters);
    effect->next = device->effects;
    device->effects = effect;
    CountObjectCreated();
    *created = effect;
    return DI_OK;
}

HRESULT DownloadDeviceEffect(DeviceEffect* effect, DWORD flags) {
    JoystickDevice* device = effect->device;
    HRESULT result;
    IDirectInputEffectDriver* driver = UsableEffectDriver(device, &result);
    if (driver == nullptr) {
        return result;
    }
    if (!IsCompleteEffect(effect->parameters)) {
        return DIERR_INCOMPLETEEFFECT;
    }
    // A first download hands over everything known; an update what changed,
    // including what earlier calls kept back.
    const DWORD actions = flags & (DIEP_START | DIEP_NORESTART);
    const DWORD parameters =
        effect->downloaded ? (flags & DIEP_ALLPARAMS) | effect->pending : effect->parameters.known;
    DriverRecord record;
    BuildDriverRecord(effect->parameters, effect->registration.attributes.dwCoords, &record);
    DWORD handle = effect->downloaded ? effect->handle : 0;
    result = IDirectInputEffectDriver_DownloadEffect(driver, device->slot,
                                                     effect->registration.attributes.dwEffectId,
                                                     &handle, &record.effect, parameters | actions);
    if (SUCCEEDED(result) && handle != 0) {
        effect->handle = handle;
        effect->downloaded = true;
        effect->pending = 0;
    }
    return result;
}

void UnloadDeviceEffect(DeviceEffect* effect) {
    if (!effect->downloaded) {
        return;
    }
    IDirectInputEffectDriver* driver = effect->device->driverLink.driver;
    if (driver != nullptr) {
        IDirectInputEffectDriver_DestroyEffect(driver, effect->device->slot, effect->handle);
    }
    effect->downloaded = false;
    effect->handle = 0;
    effect->pending = 0;
}

}  // namespace standin_dinput
