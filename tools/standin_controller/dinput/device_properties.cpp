// A joystick device's properties: per axis its range, dead zone and
// saturation (set for one axis by offset or identifier, or for every axis
// through the device); for the device its force-feedback gain (handed to
// the effect driver), auto-centre, buffer size and axis mode.
#include "tools/standin_controller/dinput/joystick_device.h"

namespace standin_dinput {

namespace {

// The predefined properties are small numbers in place of a GUID's address.
ULONG_PTR PropertyNumber(REFGUID property) {
    const auto number = reinterpret_cast<ULONG_PTR>(&property);
    return number <= 0xFFFF ? number : 0;
}

constexpr ULONG_PTR kBufferSize = 1;
constexpr ULONG_PTR kAxisMode = 2;
constexpr ULONG_PTR kGranularity = 3;
constexpr ULONG_PTR kRange = 4;
constexpr ULONG_PTR kDeadZone = 5;
constexpr ULONG_PTR kSaturation = 6;
constexpr ULONG_PTR kForceFeedbackGain = 7;
constexpr ULONG_PTR kAutoCenter = 9;
constexpr ULONG_PTR kJoystickId = 15;

DWORD ExpectedSize(ULONG_PTR property) {
    return property == kRange ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD);
}

bool IsKnownProperty(ULONG_PTR property) {
    switch (property) {
        case kBufferSize:
        case kAxisMode:
        case kGranularity:
        case kRange:
        case kDeadZone:
        case kSaturation:
        case kForceFeedbackGain:
        case kAutoCenter:
        case kJoystickId:
            return true;
        default:
            return false;
    }
}

bool IsAxisProperty(ULONG_PTR property) {
    return property == kRange || property == kDeadZone || property == kSaturation ||
           property == kGranularity;
}

// The object the header names; null with DI_OK for the device itself.
HRESULT NamedObject(const JoystickDevice& device, const DIPROPHEADER& header,
                    const JoystickObject** object) {
    *object = nullptr;
    switch (header.dwHow) {
        case DIPH_DEVICE:
            return header.dwObj == 0 ? DI_OK : DIERR_INVALIDPARAM;
        case DIPH_BYOFFSET:
            // Offsets mean something only in a data format.
            *object =
                device.format == JoystickFormat::None ? nullptr : ObjectByOffset(header.dwObj);
            break;
        case DIPH_BYID:
            *object = ObjectByIdentifier(header.dwObj);
            break;
        default:
            return DIERR_INVALIDPARAM;
    }
    return *object != nullptr ? DI_OK : DIERR_OBJECTNOTFOUND;
}

HRESULT CheckHeader(const DIPROPHEADER* header, ULONG_PTR property, bool writing) {
    if (header == nullptr || IsBadReadPtr(header, sizeof *header) ||
        header->dwHeaderSize != sizeof(DIPROPHEADER) || header->dwSize != ExpectedSize(property) ||
        IsBadReadPtr(header, header->dwSize) ||
        (writing && IsBadWritePtr(const_cast<DIPROPHEADER*>(header), header->dwSize))) {
        return DIERR_INVALIDPARAM;
    }
    return DI_OK;
}

template <typename Record>
const Record& As(const DIPROPHEADER* header) {
    return *reinterpret_cast<const Record*>(header);
}

template <typename Record>
Record& As(DIPROPHEADER* header) {
    return *reinterpret_cast<Record*>(header);
}

HRESULT SetAxisProperty(JoystickDevice* device, ULONG_PTR property, const JoystickObject* object,
                        const DIPROPHEADER* header) {
    if (object != nullptr && object->kind != ObjectKind::Axis) {
        return DIERR_UNSUPPORTED;
    }
    if (property == kGranularity) {
        return DIERR_READONLY;
    }
    if (property == kRange) {
        const DIPROPRANGE& range = As<DIPROPRANGE>(header);
        if (range.lMin > range.lMax) {
            return DIERR_INVALIDPARAM;
        }
    } else if (As<DIPROPDWORD>(header).dwData > kFullScale) {
        return DIERR_INVALIDPARAM;
    }
    for (DWORD axis = 0; axis < kAxisCount; ++axis) {
        if (object != nullptr && object->index != axis) {
            continue;
        }
        AxisSettings& settings = device->axes[axis];
        switch (property) {
            case kRange:
                settings.minimum = As<DIPROPRANGE>(header).lMin;
                settings.maximum = As<DIPROPRANGE>(header).lMax;
                break;
            case kDeadZone:
                settings.deadZone = As<DIPROPDWORD>(header).dwData;
                break;
            default:
                settings.saturation = As<DIPROPDWORD>(header).dwData;
                break;
        }
    }
    return DI_OK;
}

HRESULT SetDeviceProperty(JoystickDevice* device, ULONG_PTR property, DWORD value) {
    switch (property) {
        case kForceFeedbackGain: {
            if (value > kFullScale) {
                return DIERR_INVALIDPARAM;
            }
            device->gain = value;
            HRESULT why;
            IDirectInputEffectDriver* driver = UsableEffectDriver(device, &why);
            if (driver != nullptr) {
                return IDirectInputEffectDriver_SetGain(driver, device->slot, value);
            }
            return DI_OK;
        }
        case kAutoCenter:
            if (value != DIPROPAUTOCENTER_OFF && value != DIPROPAUTOCENTER_ON) {
                return DIERR_INVALIDPARAM;
            }
            device->autocenter = value;
            return DI_OK;
        case kBufferSize:
            // Kept by nobody: the device has no buffer, and says so when read.
            return device->acquired ? DIERR_ACQUIRED : DI_OK;
        case kAxisMode:
            return value == DIPROPAXISMODE_ABS ? DI_OK : DIERR_UNSUPPORTED;
        default:
            return DIERR_READONLY;
    }
}

}  // namespace

HRESULT STDMETHODCALLTYPE DeviceSetProperty(IDirectInputDevice7A* This, REFGUID property,
                                            LPCDIPROPHEADER header) {
    JoystickDevice* device = DeviceFromInterface(This);
    const ULONG_PTR number = PropertyNumber(property);
    if (!IsKnownProperty(number)) {
        return DIERR_UNSUPPORTED;
    }
    const HRESULT checked = CheckHeader(header, number, false);
    if (FAILED(checked)) {
        return checked;
    }
    DeviceLock lock(device);
    const JoystickObject* object = nullptr;
    const HRESULT named = NamedObject(*device, *header, &object);
    if (FAILED(named)) {
        return named;
    }
    if (IsAxisProperty(number)) {
        return SetAxisProperty(device, number, object, header);
    }
    if (object != nullptr) {
        return DIERR_INVALIDPARAM;
    }
    return SetDeviceProperty(device, number, As<DIPROPDWORD>(header).dwData);
}

HRESULT STDMETHODCALLTYPE DeviceGetProperty(IDirectInputDevice7A* This, REFGUID property,
                                            LPDIPROPHEADER header) {
    JoystickDevice* device = DeviceFromInterface(This);
    const ULONG_PTR number = PropertyNumber(property);
    if (!IsKnownProperty(number)) {
        return DIERR_UNSUPPORTED;
    }
    const HRESULT checked = CheckHeader(header, number, true);
    if (FAILED(checked)) {
        return checked;
    }
    DeviceLock lock(device);
    const JoystickObject* object = nullptr;
    const HRESULT named = NamedObject(*device, *header, &object);
    if (FAILED(named)) {
        return named;
    }
    if (IsAxisProperty(number)) {
        // One axis at a time: the axes may differ.
        if (object == nullptr) {
            return DIERR_UNSUPPORTED;
        }
        if (object->kind != ObjectKind::Axis) {
            return DIERR_UNSUPPORTED;
        }
        const AxisSettings& settings = device->axes[object->index];
        switch (number) {
            case kRange:
                As<DIPROPRANGE>(header).lMin = settings.minimum;
                As<DIPROPRANGE>(header).lMax = settings.maximum;
                break;
            case kDeadZone:
                As<DIPROPDWORD>(header).dwData = settings.deadZone;
                break;
            case kSaturation:
                As<DIPROPDWORD>(header).dwData = settings.saturation;
                break;
            default:
                As<DIPROPDWORD>(header).dwData = 1;
                break;
        }
        return DI_OK;
    }
    if (object != nullptr) {
        return DIERR_INVALIDPARAM;
    }
    DWORD& value = As<DIPROPDWORD>(header).dwData;
    switch (number) {
        case kForceFeedbackGain:
            value = device->gain;
            break;
        case kAutoCenter:
            if (!device->forceFeedback) {
                return DIERR_UNSUPPORTED;
            }
            value = device->autocenter;
            break;
        case kBufferSize:
            value = 0;
            break;
        case kAxisMode:
            value = DIPROPAXISMODE_ABS;
            break;
        default:
            value = device->slot;
            break;
    }
    return DI_OK;
}

}  // namespace standin_dinput
