// Preparing and acquiring a joystick device: its data format, its
// cooperative level, Acquire and Unacquire.
//
// Exclusive access is one per controller in the process: a second device on
// the same controller cannot acquire it exclusively while the first holds
// it. Acquiring exclusively is also when force feedback starts: the effect
// driver is bound the first time, and the device is reset as it is on
// every exclusive acquire and unacquire.
#include "tools/standin_controller/dinput/joystick_device.h"

namespace standin_dinput {

namespace {

constexpr DWORD kExclusivity = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE;
constexpr DWORD kBackground = DISCL_FOREGROUND | DISCL_BACKGROUND;

JoystickDevice* volatile g_exclusiveOwners[standin::kSlotCount] = {};

bool ClaimExclusive(JoystickDevice* device) {
    void* volatile* owner = reinterpret_cast<void* volatile*>(&g_exclusiveOwners[device->slot]);
    void* previous = InterlockedCompareExchangePointer(owner, device, nullptr);
    return previous == nullptr || previous == device;
}

void GiveUpExclusive(JoystickDevice* device) {
    void* volatile* owner = reinterpret_cast<void* volatile*>(&g_exclusiveOwners[device->slot]);
    InterlockedCompareExchangePointer(owner, nullptr, device);
}

bool IsOneOf(DWORD value, DWORD mask) {
    const DWORD bits = value & mask;
    return bits != 0 && (bits & (bits - 1)) == 0;
}

// Binds the effect driver the first time, then resets the device so that
// it starts from no effects, at the device's gain.
void StartForceFeedback(JoystickDevice* device) {
    JoystickBinding binding = {&device->registration.driverClass, device->slot,
                               device->instanceNumber, device->controller.path, device->instance};
    if (FAILED(BindEffectDriver(&device->driverLink, binding))) {
        return;
    }
    IDirectInputEffectDriver* driver = device->driverLink.driver;
    IDirectInputEffectDriver_SendForceFeedbackCommand(driver, device->slot, DISFFC_RESET);
    ForgetDownloadedEffects(device);
    IDirectInputEffectDriver_SetGain(driver, device->slot, device->gain);
}

}  // namespace

void EndAcquisition(JoystickDevice* device, bool resetEffects) {
    if (device->exclusive) {
        if (resetEffects && device->driverLink.driver != nullptr) {
            IDirectInputEffectDriver_SendForceFeedbackCommand(device->driverLink.driver,
                                                              device->slot, DISFFC_RESET);
        }
        ForgetDownloadedEffects(device);
        GiveUpExclusive(device);
    }
    device->acquired = false;
    device->exclusive = false;
}

HRESULT STDMETHODCALLTYPE DeviceSetDataFormat(IDirectInputDevice7A* This, LPCDIDATAFORMAT format) {
    JoystickDevice* device = DeviceFromInterface(This);
    const JoystickFormat recognized = RecognizeFormat(format);
    DeviceLock lock(device);
    if (device->acquired) {
        return DIERR_ACQUIRED;
    }
    if (recognized == JoystickFormat::None) {
        return DIERR_INVALIDPARAM;
    }
    device->format = recognized;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceSetCooperativeLevel(IDirectInputDevice7A* This, HWND window,
                                                    DWORD flags) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (!IsOneOf(flags, kExclusivity) || !IsOneOf(flags, kBackground) ||
        (flags & ~(kExclusivity | kBackground | DISCL_NOWINKEY)) != 0) {
        return DIERR_INVALIDPARAM;
    }
    // Only a background, shared device may go without a window of its own.
    const bool needsWindow = flags != (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    if ((window != nullptr || needsWindow) && !IsWindow(window)) {
        return E_HANDLE;
    }
    DeviceLock lock(device);
    if (device->acquired) {
        return DIERR_ACQUIRED;
    }
    device->window = window;
    device->cooperation = flags;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceAcquire(IDirectInputDevice7A* This) {
    JoystickDevice* device = DeviceFromInterface(This);
    DeviceLock lock(device);
    if (device->released) {
        return DIERR_NOTINITIALIZED;
    }
    if (device->format == JoystickFormat::None) {
        return DIERR_INVALIDPARAM;
    }
    if (device->acquired) {
        return S_FALSE;
    }
    standin::InputState input;
    if (!device->channel.IsOpen() || !device->channel.GetInput(device->slot, &input)) {
        return DIERR_INPUTLOST;
    }
    const bool exclusive = (device->cooperation & DISCL_EXCLUSIVE) != 0;
    if (exclusive && !ClaimExclusive(device)) {
        return DIERR_OTHERAPPHASPRIO;
    }
    device->acquired = true;
    device->exclusive = exclusive;
    if (exclusive && device->forceFeedback) {
        StartForceFeedback(device);
    }
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceUnacquire(IDirectInputDevice7A* This) {
    JoystickDevice* device = DeviceFromInterface(This);
    DeviceLock lock(device);
    if (!device->acquired) {
        return DI_NOEFFECT;
    }
    EndAcquisition(device, true);
    return DI_OK;
}

}  // namespace standin_dinput
