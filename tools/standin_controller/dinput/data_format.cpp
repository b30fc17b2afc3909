#include "tools/standin_controller/dinput/data_format.h"

#include <cstddef>

namespace standin_dinput {

namespace {

// The objects of the predefined formats, in their order: the positional
// axes and sliders, the hats, the buttons, then (DIJOYSTATE2 only) the
// velocity, acceleration and force axes and sliders, 8 LONGs each.
constexpr DWORD kAxesAndSliders = 8;
constexpr DWORD kHats = 4;
constexpr DWORD kStateButtons = 32;
constexpr DWORD kState2Buttons = 128;
constexpr DWORD kExtendedAxisGroups = 3;

DWORD ExpectedOffset(JoystickFormat format, DWORD position) {
    if (position < kAxesAndSliders) {
        return position * sizeof(LONG);
    }
    position -= kAxesAndSliders;
    if (position < kHats) {
        return static_cast<DWORD>(offsetof(DIJOYSTATE, rgdwPOV)) + position * sizeof(DWORD);
    }
    position -= kHats;
    const DWORD buttons = format == JoystickFormat::State ? kStateButtons : kState2Buttons;
    if (position < buttons) {
        return static_cast<DWORD>(offsetof(DIJOYSTATE, rgbButtons)) + position;
    }
    position -= buttons;
    return static_cast<DWORD>(offsetof(DIJOYSTATE2, lVX)) + position * sizeof(LONG);
}

// The predefined DIJOYSTATE2 format as programs are built with it names the
// positional sliders again for the velocity, acceleration and force
// sliders; a copy that names their own places is the same format.
bool IsSliderAlias(JoystickFormat format, DWORD position, DWORD offset) {
    const DWORD extendedStart = kAxesAndSliders + kHats + kState2Buttons;
    if (format != JoystickFormat::State2 || position < extendedStart) {
        return false;
    }
    const DWORD inGroup = (position - extendedStart) % kAxesAndSliders;
    constexpr DWORD kFirstSlider = 6;
    return inGroup >= kFirstSlider &&
           offset == static_cast<DWORD>(offsetof(DIJOYSTATE2, rglSlider)) +
                         (inGroup - kFirstSlider) * sizeof(LONG);
}

DWORD ExpectedObjectCount(JoystickFormat format) {
    if (format == JoystickFormat::State) {
        return kAxesAndSliders + kHats + kStateButtons;
    }
    return kAxesAndSliders + kHats + kState2Buttons + kExtendedAxisGroups * kAxesAndSliders;
}

bool Matches(const DIDATAFORMAT& format, JoystickFormat candidate) {
    if (format.dwDataSize != FormatDataSize(candidate) ||
        format.dwNumObjs != ExpectedObjectCount(candidate) || format.rgodf == nullptr) {
        return false;
    }
    for (DWORD i = 0; i < format.dwNumObjs; ++i) {
        const DWORD offset = format.rgodf[i].dwOfs;
        if (offset != ExpectedOffset(candidate, i) && !IsSliderAlias(candidate, i, offset)) {
            return false;
        }
    }
    return true;
}

}  // namespace

JoystickFormat RecognizeFormat(const DIDATAFORMAT* format) {
    if (format == nullptr || IsBadReadPtr(format, sizeof *format) ||
        format->dwSize != sizeof(DIDATAFORMAT) || format->dwObjSize != sizeof(DIOBJECTDATAFORMAT) ||
        (format->rgodf != nullptr &&
         IsBadReadPtr(format->rgodf,
                      static_cast<UINT_PTR>(format->dwNumObjs) * sizeof(DIOBJECTDATAFORMAT)))) {
        return JoystickFormat::None;
    }
    if (Matches(*format, JoystickFormat::State)) {
        return JoystickFormat::State;
    }
    if (Matches(*format, JoystickFormat::State2)) {
        return JoystickFormat::State2;
    }
    return JoystickFormat::None;
}

DWORD FormatDataSize(JoystickFormat format) {
    switch (format) {
        case JoystickFormat::State:
            return sizeof(DIJOYSTATE);
        case JoystickFormat::State2:
            return sizeof(DIJOYSTATE2);
        case JoystickFormat::None:
            break;
    }
    return 0;
}

}  // namespace standin_dinput
