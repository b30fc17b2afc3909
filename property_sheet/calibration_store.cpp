#include "property_sheet/calibration_store.h"

#include <cstdio>

#include "property_sheet/calibration_keys.h"
#include "property_sheet/directx_version.h"
#include "property_sheet/windows_version.h"

namespace {

static_assert(sizeof(JOYREGHWCONFIG) == 112, "the legacy value is the whole hwc record");

constexpr char kCalibrationValue[] = "Calibration";
// Below the located key: where the per-axis subkeys live.
constexpr char kInterfaceAxesPath[] = "#\\Device Parameters\\DirectX\\Type\\Axes";
constexpr char kInstanceAxesPath[] = "Type\\Axes";

struct AxisRow {
    const char* subkey;
    DWORD JOYPOS::*member;
};

// In the order of writing; the axes the page does not show ("3", "4") are
// never touched.
constexpr AxisRow kAxes[] = {
    {"0", &JOYPOS::dwX},
    {"1", &JOYPOS::dwY},
    {"2", &JOYPOS::dwZ},
    {"5", &JOYPOS::dwR},
};

// DirectInput's per-axis calibration: minimum, centre, maximum, each 32-bit
// little-endian.
constexpr DWORD kAxisCalibrationSize = 12;

void PutLittleEndian(BYTE* out, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<BYTE>(value >> (8 * i));
    }
}

void FormatAxisCalibration(const JOYRANGE& range, DWORD JOYPOS::*member,
                           BYTE (&out)[kAxisCalibrationSize]) {
    PutLittleEndian(out + 0, range.jpMin.*member);
    PutLittleEndian(out + 4, range.jpCenter.*member);
    PutLittleEndian(out + 8, range.jpMax.*member);
}

LONG StoreLegacyConfiguration(const DIJOYCONFIG_DX5& record, USHORT joystickId) {
    HKEY settings = nullptr;
    const LSTATUS opened = RegOpenKeyA(HKEY_LOCAL_MACHINE, kLegacyJoystickSettingsKey, &settings);
    if (opened != ERROR_SUCCESS) {
        return opened;
    }
    // The values are numbered from 1; the id is a signed 16-bit joystick
    // number.
    char name[40];
    std::snprintf(name, sizeof name, "Joystick%dConfiguration",
                  static_cast<int>(static_cast<SHORT>(joystickId)) + 1);
    const LSTATUS written =
        RegSetValueExA(settings, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&record.hwc),
                       sizeof record.hwc);
    RegCloseKey(settings);
    return written;
}

// The subkey's open (or, when it is missing, its creation) result; the
// write's own result is not looked at, as a half-written calibration is
// still the best that can be done.
LSTATUS WriteAxis(HKEY axes, const AxisRow& axis, const JOYRANGE& range) {
    HKEY subkey = nullptr;
    LSTATUS status = RegOpenKeyA(axes, axis.subkey, &subkey);
    if (status == ERROR_FILE_NOT_FOUND) {
        status = RegCreateKeyA(axes, axis.subkey, &subkey);
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    BYTE calibration[kAxisCalibrationSize];
    FormatAxisCalibration(range, axis.member, calibration);
    RegSetValueExA(subkey, kCalibrationValue, 0, REG_BINARY, calibration, sizeof calibration);
    RegCloseKey(subkey);
    return status;
}

LONG StoreAxisCalibration(const DIJOYCONFIG_DX5& record, DWORD flags, const GUID& instance) {
    const bool interfacePlace = ReadDirectXVersion() <= kLastDirectXReadingInterfaceCalibration;
    HKEY located = nullptr;
    const LSTATUS found = interfacePlace ? FindHidInterfaceKey(instance, &located)
                                         : FindCalibrationInstanceKey(instance, &located);
    if (found != ERROR_SUCCESS || located == nullptr) {
        return E_FAIL;
    }
    if ((flags & kStoreAxisValues) == 0) {
        RegCloseKey(located);
        return ERROR_SUCCESS;
    }
    const char* axesPath = interfacePlace ? kInterfaceAxesPath : kInstanceAxesPath;
    HKEY axes = nullptr;
    LSTATUS status = RegOpenKeyA(located, axesPath, &axes);
    if (status == ERROR_FILE_NOT_FOUND) {
        status = RegCreateKeyA(located, axesPath, &axes);
    }
    if (status != ERROR_SUCCESS) {
        RegCloseKey(located);
        return status;
    }
    for (const AxisRow& axis : kAxes) {
        status = WriteAxis(axes, axis, record.hwc.hwv.jrvHardware);
    }
    RegCloseKey(axes);
    RegCloseKey(located);
    return status;  // that of the last axis, "5"
}

}  // namespace

LONG StoreCalibration(const DIJOYCONFIG_DX5& record, DWORD flags, const GUID& instance,
                      USHORT joystickId) {
    switch (GetWindowsVersionCode()) {
        case kWindows98:
        case kWindowsMe:
            return StoreLegacyConfiguration(record, joystickId);
        case kWindows2000:
        case kWindowsXp:
            return StoreAxisCalibration(record, flags, instance);
        default:
            return E_FAIL;
    }
}
