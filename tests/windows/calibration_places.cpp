#include "calibration_places.h"

#include <cstring>

#include "profiles/selected_model.h"

namespace windows_test {
namespace {

constexpr char kHidInterfaces[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{4d1e55b2-f16f-11cf-88cb-001111000030}";
// Below an interface key: where DirectInput keeps what it knows of it.
constexpr char kInterfaceDirectX[] = "#\\Device Parameters\\DirectX";

std::string PrivateCalibrationParent() {
    char path[200];
    wsprintfA(path,
              "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
              "DirectInput\\VID_%04X&PID_%04X\\Calibration",
              kModelProfile.vendorId, kModelProfile.productId);
    return path;
}

bool HoldsInstance(const std::string& keyPath, const GUID& instance) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    GUID stored = {};
    DWORD size = sizeof stored;
    const bool holds = RegQueryValueExA(key, "GUID", nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(&stored), &size) == ERROR_SUCCESS &&
                       size == sizeof stored && IsEqualGUID(stored, instance);
    RegCloseKey(key);
    return holds;
}

// Where below the found key the per-axis subkeys are.
std::string AxesPath(CalibrationPlace place, const std::string& key) {
    return place == CalibrationPlace::HidInterface ? key + "\\" + kInterfaceDirectX + "\\Type\\Axes"
                                                   : key + "\\Type\\Axes";
}

}  // namespace

const char* PlaceName(CalibrationPlace place) {
    return place == CalibrationPlace::HidInterface ? "HID interface key"
                                                   : "DirectInput's private calibration key";
}

std::optional<std::string> CalibrationKey(CalibrationPlace place, const GUID& instance) {
    const std::string parentPath =
        place == CalibrationPlace::HidInterface ? kHidInterfaces : PrivateCalibrationParent();
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parentPath.c_str(), 0, KEY_READ, &parent) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::optional<std::string> found;
    char name[512];
    for (DWORD index = 0; !found; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(parent, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::string candidate = parentPath + "\\" + name;
        const std::string holder = place == CalibrationPlace::HidInterface
                                       ? candidate + "\\" + kInterfaceDirectX
                                       : candidate;
        if (HoldsInstance(holder, instance)) {
            found = candidate;
        }
    }
    RegCloseKey(parent);
    return found;
}

std::optional<AxisCalibration> ReadAxisCalibration(CalibrationPlace place, const GUID& instance,
                                                   const char* axis) {
    const auto key = CalibrationKey(place, instance);
    if (!key) {
        return std::nullopt;
    }
    const std::string path = AxesPath(place, *key) + "\\" + axis;
    HKEY axisKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &axisKey) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    BYTE bytes[16] = {};
    DWORD size = sizeof bytes;
    const LSTATUS status = RegQueryValueExA(axisKey, "Calibration", nullptr, nullptr, bytes, &size);
    RegCloseKey(axisKey);
    if (status != ERROR_SUCCESS || size != 12) {
        return std::nullopt;
    }
    DWORD numbers[3];
    std::memcpy(numbers, bytes, sizeof numbers);  // little-endian, as the processor
    return AxisCalibration{numbers[0], numbers[1], numbers[2]};
}

void ClearAxisCalibration(CalibrationPlace place, const GUID& instance) {
    const auto key = CalibrationKey(place, instance);
    if (!key) {
        return;
    }
    const std::string path = AxesPath(place, *key);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
}

}  // namespace windows_test
