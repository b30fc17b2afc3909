#include "calibration_registry.h"

#include <cstdio>
#include <cstring>

#include "profiles/selected_model.h"
#include "simwin/control_system.h"

namespace calibration_registry {

void SetWindows(const WindowsRelease& release) {
    simwin::WindowsVersion version;
    version.platformId = release.platformId;
    version.major = release.major;
    version.minor = release.minor;
    simwin::SetWindowsVersion(version);
}

void SetDirectXVersion(const char* text) {
    if (text == nullptr) {
        return;
    }
    WriteValue("Software\\Microsoft\\DirectX", "Version",
               Bytes(text, text + std::strlen(text) + 1));
}

Bytes GuidBytes(const GUID& guid) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&guid);
    return Bytes(bytes, bytes + sizeof guid);
}

std::string InterfaceKey(const std::string& name) {
    return std::string(kHidClassKey) + "\\" + name;
}

std::string InstanceKey(const std::string& name) {
    char pair[32];
    std::snprintf(pair, sizeof pair, "VID_%04X&PID_%04X", kModelProfile.vendorId,
                  kModelProfile.productId);
    return std::string(
               "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
               "DirectInput\\") +
           pair + "\\Calibration\\" + name;
}

std::string InterfaceAxisKey(const std::string& interfaceName, const char* axis) {
    return InterfaceKey(interfaceName) + "\\#\\Device Parameters\\DirectX\\Type\\Axes\\" + axis;
}

std::string InstanceAxisKey(const std::string& instanceName, const char* axis) {
    return InstanceKey(instanceName) + "\\Type\\Axes\\" + axis;
}

void AddInterface(const std::string& name, const std::optional<Bytes>& guidValue) {
    const std::string directX = InterfaceKey(name) + "\\#\\Device Parameters\\DirectX";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, directX.c_str(), &key), ERROR_SUCCESS);
    RegCloseKey(key);
    if (guidValue) {
        WriteValue(directX, "GUID", *guidValue);
    }
}

void AddInstance(const std::string& name, const std::optional<Bytes>& guidValue) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, InstanceKey(name).c_str(), &key), ERROR_SUCCESS);
    RegCloseKey(key);
    if (guidValue) {
        WriteValue(InstanceKey(name), "GUID", *guidValue);
    }
}

void WriteValue(const std::string& path, const char* name, const Bytes& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(
        RegSetValueExA(key, name, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size())),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

std::optional<Bytes> ReadValue(const std::string& path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD size = 0;
    std::optional<Bytes> value;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        Bytes data(size);
        if (RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size) == ERROR_SUCCESS) {
            value = data;
        }
    }
    RegCloseKey(key);
    return value;
}

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void RegistryTest::SetUp() {
    SimwinTest::SetUp();
    openKeysAtStart_ = simwin::OpenRegistryKeys();
}

void RegistryTest::TearDown() {
    EXPECT_EQ(simwin::OpenRegistryKeys(), openKeysAtStart_) << "a registry key was left open";
    SimwinTest::TearDown();
}

}  // namespace calibration_registry
