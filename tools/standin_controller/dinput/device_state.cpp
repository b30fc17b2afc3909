// Reading a joystick device: the controller's input state from the control
// channel, in the device's data format, with each axis scaled to its range.
// A controller that is gone ends the acquisition: the program sees
// DIERR_INPUTLOST once and DIERR_NOTACQUIRED after.
#include <cstring>

#include "tools/standin_controller/dinput/joystick_device.h"

namespace standin_dinput {

namespace {

constexpr DWORD kHatCentred = 0xFFFFFFFF;
constexpr BYTE kPressed = 0x80;

void FillState(const JoystickDevice& device, const standin::InputState& input, DIJOYSTATE* state) {
    state->lX = ScaleAxis(input.x, device.axes[0]);
    state->lY = ScaleAxis(input.y, device.axes[1]);
    state->lZ = ScaleAxis(input.z, device.axes[2]);
    state->lRz = ScaleAxis(input.rz, device.axes[3]);
    // Hats the joystick does not have read as centred, as absent hats do.
    for (DWORD& hat : state->rgdwPOV) {
        hat = kHatCentred;
    }
    state->rgdwPOV[0] = input.hat;
    for (DWORD i = 0; i < kJoystickButtonCount; ++i) {
        state->rgbButtons[i] = input.buttons[i] != 0 ? kPressed : 0;
    }
}

}  // namespace

HRESULT STDMETHODCALLTYPE DeviceGetDeviceState(IDirectInputDevice7A* This, DWORD size,
                                               LPVOID data) {
    JoystickDevice* device = DeviceFromInterface(This);
    DeviceLock lock(device);
    if (!device->acquired) {
        return DIERR_NOTACQUIRED;
    }
    if (data == nullptr || size != FormatDataSize(device->format) || IsBadWritePtr(data, size)) {
        return DIERR_INVALIDPARAM;
    }
    standin::InputState input;
    if (!device->channel.GetInput(device->slot, &input)) {
        EndAcquisition(device, false);
        return DIERR_INPUTLOST;
    }
    // Both formats start with DIJOYSTATE; what DIJOYSTATE2 adds the
    // joystick does not have.
    std::memset(data, 0, size);
    FillState(*device, input, static_cast<DIJOYSTATE*>(data));
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceGetDeviceData(IDirectInputDevice7A* This, DWORD,
                                              LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) {
    JoystickDevice* device = DeviceFromInterface(This);
    DeviceLock lock(device);
    if (!device->acquired) {
        return DIERR_NOTACQUIRED;
    }
    // The device keeps no buffer of changes: programs read its state.
    return DIERR_NOTBUFFERED;
}

HRESULT STDMETHODCALLTYPE DevicePoll(IDirectInputDevice7A* This) {
    JoystickDevice* device = DeviceFromInterface(This);
    DeviceLock lock(device);
    if (!device->acquired) {
        return DIERR_NOTACQUIRED;
    }
    // Every state read asks the controller itself: polling adds nothing.
    return DI_NOEFFECT;
}

}  // namespace standin_dinput
