// The registry as the calibration store finds it: the Windows and DirectX
// versions, the legacy joystick settings key, HID interface keys and
// DirectInput's private calibration instances, each with a "GUID" value;
// and reading back what was written. Paths are spelled out here as the
// system lays them out, independently of the code under test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/simwin_fixture.h"

namespace calibration_registry {

using Bytes = std::vector<BYTE>;

constexpr char kLegacySettingsKey[] =
    "System\\CurrentControlSet\\Control\\MediaResources\\Joystick\\msjstick.drv\\"
    "CurrentJoystickSettings";
constexpr char kHidClassKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{4d1e55b2-f16f-11cf-88cb-001111000030}";

struct WindowsRelease {
    const char* name;
    DWORD platformId;
    DWORD major;
    DWORD minor;
};
constexpr WindowsRelease kRelease95 = {"95", 1, 4, 0};
constexpr WindowsRelease kRelease98 = {"98", 1, 4, 10};
constexpr WindowsRelease kReleaseMe = {"Me", 1, 4, 90};
constexpr WindowsRelease kReleaseNt4 = {"NT 4", 2, 4, 0};
constexpr WindowsRelease kRelease2000 = {"2000", 2, 5, 0};
constexpr WindowsRelease kReleaseXp = {"XP", 2, 5, 1};
constexpr WindowsRelease kReleaseVista = {"Vista", 2, 6, 0};

void SetWindows(const WindowsRelease& release);
// The "Version" text of DirectX; none: the DirectX key is not there.
void SetDirectXVersion(const char* text);

Bytes GuidBytes(const GUID& guid);
// "<HID class>\<name>"
std::string InterfaceKey(const std::string& name);
// "...\DirectInput\VID_xxxx&PID_xxxx\Calibration\<name>" for this build's
// model.
std::string InstanceKey(const std::string& name);
// Where each place keeps an axis's subkey ("0", "1", ...).
std::string InterfaceAxisKey(const std::string& interfaceName, const char* axis);
std::string InstanceAxisKey(const std::string& instanceName, const char* axis);

// An interface whose "#\Device Parameters\DirectX" key holds `guidValue`
// as its "GUID" (none: the DirectX key without a "GUID").
void AddInterface(const std::string& name, const std::optional<Bytes>& guidValue);
// A private calibration instance holding `guidValue` as its "GUID".
void AddInstance(const std::string& name, const std::optional<Bytes>& guidValue);

void WriteValue(const std::string& path, const char* name, const Bytes& data);
std::optional<Bytes> ReadValue(const std::string& path, const char* name);
bool KeyExists(const std::string& path);

// A fresh machine; at the end every registry key opened during the test is
// closed again.
class RegistryTest : public SimwinTest {
  protected:
    void SetUp() override;
    void TearDown() override;

  private:
    size_t openKeysAtStart_ = 0;
};

}  // namespace calibration_registry
