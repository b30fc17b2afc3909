// A stand-in joystick as a DirectInput device: one object answering as
// IDirectInputDevice(A), IDirectInputDevice2A and IDirectInputDevice7A.
//
// Locking: every method that reads or changes the device's state holds
// `lock`, and so do the methods of its effects (which share it). The effect
// driver is called with the lock held; drivers never call back into a
// device.
//
// Lifetime: `references` counts the program's interface references. When
// it reaches zero the device is released: its effects are unloaded, it is
// unacquired and its effect driver let go. Effects the program still holds
// keep the structure itself (not the device) alive through `holds`, and
// answer DIERR_NOTINITIALIZED from then on.
#pragma once

#include <windows.h>
#include <dinput.h>

#include "tools/standin_controller/controller_channel.h"
#include "tools/standin_controller/controller_client.h"
#include "tools/standin_controller/dinput/axis_scaling.h"
#include "tools/standin_controller/dinput/data_format.h"
#include "tools/standin_controller/dinput/effect_driver_link.h"
#include "tools/standin_controller/dinput/force_feedback_registration.h"
#include "tools/standin_controller/dinput/joystick_objects.h"

namespace standin_dinput {

struct DeviceEffect;

struct JoystickDevice {
    IDirectInputDevice7A iface;
    LONG references;
    LONG holds;
    CRITICAL_SECTION lock;
    bool released;

    DWORD version;
    uint32_t slot;  // also the joystick id
    GUID instance;
    DWORD instanceNumber;
    standin::ControllerInfo controller;  // as it was when the device was created
    standin::ControlChannel channel;

    JoystickFormat format;
    HWND window;
    DWORD cooperation;
    bool acquired;
    bool exclusive;  // acquired with exclusive cooperation
    AxisSettings axes[kAxisCount];

    bool forceFeedback;  // the controller has an effect driver registered
    ForceFeedbackRegistration registration;
    EffectDriverLink driverLink;
    DWORD gain;
    DWORD autocenter;
    DeviceEffect* effects;  // the device's effects, newest first
};

// A new device for the controller in the slot, as `riid`; the controller
// must be plugged in.
HRESULT CreateJoystickDevice(uint32_t slot, DWORD version, REFIID riid, void** out);

JoystickDevice* DeviceFromInterface(IDirectInputDevice7A* iface);
template <typename Interface>
JoystickDevice* DeviceFromInterface(Interface* iface) {
    return DeviceFromInterface(reinterpret_cast<IDirectInputDevice7A*>(iface));
}

// For the device's effects: keep the structure alive / let it go.
void HoldDevice(JoystickDevice* device);
void DropDevice(JoystickDevice* device);

// The effect driver when force feedback works on the device now (acquired
// exclusively, driver bound); otherwise null with the reason in `*result`.
// Call with the lock held.
IDirectInputEffectDriver* UsableEffectDriver(JoystickDevice* device, HRESULT* result);
// The driver's effects are all gone (a reset, the device lost): every
// effect of the device counts as not downloaded. Call with the lock held.
void ForgetDownloadedEffects(JoystickDevice* device);
// Ends acquisition (the program's Unacquire, a lost controller, release).
// Call with the lock held.
void EndAcquisition(JoystickDevice* device, bool resetEffects);

// The methods, one file per concern.
HRESULT STDMETHODCALLTYPE DeviceGetCapabilities(IDirectInputDevice7A* This, LPDIDEVCAPS caps);
HRESULT STDMETHODCALLTYPE DeviceEnumObjects(IDirectInputDevice7A* This,
                                            LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref,
                                            DWORD flags);
HRESULT STDMETHODCALLTYPE DeviceGetProperty(IDirectInputDevice7A* This, REFGUID property,
                                            LPDIPROPHEADER header);
HRESULT STDMETHODCALLTYPE DeviceSetProperty(IDirectInputDevice7A* This, REFGUID property,
                                            LPCDIPROPHEADER header);
HRESULT STDMETHODCALLTYPE DeviceAcquire(IDirectInputDevice7A* This);
HRESULT STDMETHODCALLTYPE DeviceUnacquire(IDirectInputDevice7A* This);
HRESULT STDMETHODCALLTYPE DeviceGetDeviceState(IDirectInputDevice7A* This, DWORD size, LPVOID data);
HRESULT STDMETHODCALLTYPE DeviceGetDeviceData(IDirectInputDevice7A* This, DWORD objectDataSize,
                                              LPDIDEVICEOBJECTDATA data, LPDWORD count,
                                              DWORD flags);
HRESULT STDMETHODCALLTYPE DeviceSetDataFormat(IDirectInputDevice7A* This, LPCDIDATAFORMAT format);
HRESULT STDMETHODCALLTYPE DeviceSetCooperativeLevel(IDirectInputDevice7A* This, HWND window,
                                                    DWORD flags);
HRESULT STDMETHODCALLTYPE DeviceGetObjectInfo(IDirectInputDevice7A* This,
                                              LPDIDEVICEOBJECTINSTANCEA info, DWORD object,
                                              DWORD how);
HRESULT STDMETHODCALLTYPE DeviceGetDeviceInfo(IDirectInputDevice7A* This, LPDIDEVICEINSTANCEA info);
HRESULT STDMETHODCALLTYPE DevicePoll(IDirectInputDevice7A* This);
HRESULT STDMETHODCALLTYPE DeviceCreateEffect(IDirectInputDevice7A* This, REFGUID effect,
                                             LPCDIEFFECT parameters, LPDIRECTINPUTEFFECT* created,
                                             LPUNKNOWN outer);
HRESULT STDMETHODCALLTYPE DeviceEnumEffects(IDirectInputDevice7A* This,
                                            LPDIENUMEFFECTSCALLBACKA callback, LPVOID ref,
                                            DWORD type);
HRESULT STDMETHODCALLTYPE DeviceGetEffectInfo(IDirectInputDevice7A* This, LPDIEFFECTINFOA info,
                                              REFGUID effect);
HRESULT STDMETHODCALLTYPE DeviceGetForceFeedbackState(IDirectInputDevice7A* This, LPDWORD state);
HRESULT STDMETHODCALLTYPE DeviceSendForceFeedbackCommand(IDirectInputDevice7A* This, DWORD command);
HRESULT STDMETHODCALLTYPE DeviceEnumCreatedEffectObjects(
    IDirectInputDevice7A* This, LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback, LPVOID ref,
    DWORD flags);
HRESULT STDMETHODCALLTYPE DeviceEscape(IDirectInputDevice7A* This, LPDIEFFESCAPE escape);

// Holds the device's lock for a scope.
class DeviceLock {
  public:
    explicit DeviceLock(JoystickDevice* device) : device_(device) {
        EnterCriticalSection(&device_->lock);
    }
    ~DeviceLock() { LeaveCriticalSection(&device_->lock); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

  private:
    JoystickDevice* device_;
};

}  // namespace standin_dinput
