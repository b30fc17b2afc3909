#include "tools/standin_controller/dinput/device_description.h"

#include <cstdio>
#include <cstring>

#include "tools/standin_controller/dinput/controller_identity.h"
#include "tools/standin_controller/dinput/force_feedback_registration.h"
#include "tools/standin_controller/dinput/joystick_device.h"

namespace standin_dinput {

namespace {

constexpr WORD kGenericDesktopPage = 0x01;
constexpr WORD kButtonPage = 0x09;
constexpr WORD kGamePadUsage = 0x05;
constexpr WORD kHatUsage = 0x39;
// X, Y, Z and Rz in the generic desktop page.
constexpr WORD kAxisUsages[kAxisCount] = {0x30, 0x31, 0x32, 0x35};
constexpr DWORD kNominalMaxForce = 10000;

bool IsValidInstanceSize(DWORD size) {
    return size == sizeof(DIDEVICEINSTANCE_DX3A) || size == sizeof(DIDEVICEINSTANCEA);
}

bool IsValidObjectInstanceSize(DWORD size) {
    return size == sizeof(DIDEVICEOBJECTINSTANCE_DX3A) || size == sizeof(DIDEVICEOBJECTINSTANCEA);
}

void FillObjectInstance(const JoystickObject& object, DIDEVICEOBJECTINSTANCEA* info) {
    const DWORD size = info->dwSize;
    std::memset(info, 0, size);
    info->dwSize = size;
    info->guidType = *object.type;
    info->dwOfs = object.offset;
    info->dwType = ObjectIdentifier(object);
    info->dwFlags = ObjectFlags(object);
    std::snprintf(info->tszName, sizeof info->tszName, "%s", object.name);
    if (size < sizeof(DIDEVICEOBJECTINSTANCEA)) {
        return;
    }
    if (object.actuator) {
        info->dwFFMaxForce = kNominalMaxForce;
        info->dwFFForceResolution = 1;
    }
    switch (object.kind) {
        case ObjectKind::Axis:
            info->wUsagePage = kGenericDesktopPage;
            info->wUsage = kAxisUsages[object.index];
            break;
        case ObjectKind::Hat:
            info->wUsagePage = kGenericDesktopPage;
            info->wUsage = kHatUsage;
            break;
        case ObjectKind::Button:
            info->wUsagePage = kButtonPage;
            info->wUsage = static_cast<WORD>(object.index + 1);
            break;
    }
}

bool KindWanted(const JoystickObject& object, DWORD flags) {
    const DWORD kinds = DIDFT_GETTYPE(flags) & (DIDFT_AXIS | DIDFT_BUTTON | DIDFT_POV);
    if (kinds != 0) {
        const DWORD identifier = ObjectIdentifier(object);
        if ((identifier & kinds) == 0) {
            return false;
        }
    }
    if ((flags & DIDFT_FFACTUATOR) && !object.actuator) {
        return false;
    }
    if ((flags & DIDFT_FFEFFECTTRIGGER) && object.kind != ObjectKind::Button) {
        return false;
    }
    return true;
}

}  // namespace

DWORD JoystickDeviceType() {
    return DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_GAMEPAD << 8) | DIDEVTYPE_HID;
}

bool FillDeviceInstance(const standin::ControllerInfo& controller, DIDEVICEINSTANCEA* instance) {
    if (instance == nullptr || IsBadWritePtr(instance, sizeof(DIDEVICEINSTANCE_DX3A)) ||
        !IsValidInstanceSize(instance->dwSize) || IsBadWritePtr(instance, instance->dwSize)) {
        return false;
    }
    const DWORD size = instance->dwSize;
    std::memset(instance, 0, size);
    instance->dwSize = size;
    instance->guidInstance = InstanceGuidForSlot(controller.slot);
    instance->guidProduct = ProductGuid(controller.spec);
    instance->dwDevType = JoystickDeviceType();
    char product[MAX_PATH];
    ReadProductName(controller.spec, product);
    std::snprintf(instance->tszProductName, sizeof instance->tszProductName, "%s", product);
    std::snprintf(instance->tszInstanceName, sizeof instance->tszInstanceName, "%s", product);
    if (size < sizeof(DIDEVICEINSTANCEA)) {
        return true;
    }
    ForceFeedbackRegistration registration;
    if (ReadForceFeedbackRegistration(controller.spec, &registration)) {
        instance->guidFFDriver = registration.driverClass;
    }
    instance->wUsagePage = kGenericDesktopPage;
    instance->wUsage = kGamePadUsage;
    return true;
}

HRESULT STDMETHODCALLTYPE DeviceGetDeviceInfo(IDirectInputDevice7A* This,
                                              LPDIDEVICEINSTANCEA info) {
    JoystickDevice* device = DeviceFromInterface(This);
    return FillDeviceInstance(device->controller, info) ? DI_OK : DIERR_INVALIDPARAM;
}

HRESULT STDMETHODCALLTYPE DeviceGetCapabilities(IDirectInputDevice7A* This, LPDIDEVCAPS caps) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (caps == nullptr || IsBadWritePtr(caps, sizeof(DIDEVCAPS_DX3)) ||
        (caps->dwSize != sizeof(DIDEVCAPS_DX3) && caps->dwSize != sizeof(DIDEVCAPS)) ||
        IsBadWritePtr(caps, caps->dwSize)) {
        return DIERR_INVALIDPARAM;
    }
    DeviceLock lock(device);
    const DWORD size = caps->dwSize;
    std::memset(caps, 0, size);
    caps->dwSize = size;
    standin::InputState input;
    if (device->channel.GetInput(device->slot, &input)) {
        caps->dwFlags |= DIDC_ATTACHED;
    }
    if (device->forceFeedback) {
        caps->dwFlags |= DIDC_FORCEFEEDBACK | device->registration.device.dwFlags;
    }
    caps->dwDevType = JoystickDeviceType();
    caps->dwAxes = kAxisCount;
    caps->dwButtons = kJoystickButtonCount;
    caps->dwPOVs = kHatCount;
    if (size == sizeof(DIDEVCAPS) && device->forceFeedback) {
        caps->dwFFSamplePeriod = device->registration.device.dwFFSamplePeriod;
        caps->dwFFMinTimeResolution = device->registration.device.dwFFMinTimeResolution;
    }
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceEnumObjects(IDirectInputDevice7A* This,
                                            LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref,
                                            DWORD flags) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (callback == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    const DWORD size = device->version < 0x0500 ? sizeof(DIDEVICEOBJECTINSTANCE_DX3A)
                                                : sizeof(DIDEVICEOBJECTINSTANCEA);
    for (DWORD i = 0; i < ObjectCount(); ++i) {
        const JoystickObject& object = ObjectAt(i);
        if (!KindWanted(object, flags)) {
            continue;
        }
        DIDEVICEOBJECTINSTANCEA info;
        info.dwSize = size;
        FillObjectInstance(object, &info);
        if (callback(&info, ref) == DIENUM_STOP) {
            break;
        }
    }
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE DeviceGetObjectInfo(IDirectInputDevice7A* This,
                                              LPDIDEVICEOBJECTINSTANCEA info, DWORD name,
                                              DWORD how) {
    JoystickDevice* device = DeviceFromInterface(This);
    if (info == nullptr || IsBadWritePtr(info, sizeof(DIDEVICEOBJECTINSTANCE_DX3A)) ||
        !IsValidObjectInstanceSize(info->dwSize) || IsBadWritePtr(info, info->dwSize)) {
        return DIERR_INVALIDPARAM;
    }
    const JoystickObject* object = nullptr;
    switch (how) {
        case DIPH_BYOFFSET: {
            DeviceLock lock(device);
            if (device->format != JoystickFormat::None) {
                object = ObjectByOffset(name);
            }
            break;
        }
        case DIPH_BYID:
            object = ObjectByIdentifier(name);
            break;
        default:
            return DIERR_INVALIDPARAM;
    }
    if (object == nullptr) {
        return DIERR_OBJECTNOTFOUND;
    }
    FillObjectInstance(*object, info);
    return DI_OK;
}

}  // namespace standin_dinput
