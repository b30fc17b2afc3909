// A driver session: the simulated machine set up the way a player's PC is
// when a game starts force feedback on the controller, and the driver used
// the way DirectInput uses it.
//
// Open resets the machine, fills the registry from the registration file,
// plugs in a controller of the model at joystick id 0 (output report id 0),
// loads the driver module through the loader, finds the driver's class in
// the device's OEMForceFeedback key, makes a driver object through the
// module's class factory and binds it to joystick 0. From then on the
// driver's playback timer runs on the machine's clock. Close releases the
// driver (the controller gets its final output) and frees the module.
#pragma once

#include <dinput.h>
#include <dinputd.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>

#include <map>
#include <string>
#include <vector>

#include "profiles/device_model_profile.h"
#include "tools/lab/registry_file.h"
#include "tools/lab/report_decoding.h"
#include "tools/lab/scenario.h"

namespace lab {

struct SessionOptions {
    const DeviceModelProfile* profile = nullptr;
    std::string modulePath;
    RegistryFile registry;
    simwin::ClockMode clockMode = simwin::ClockMode::Stepped;
};

struct StepOutcome {
    std::string text;
    // False when the driver refused the step or it could not be made.
    bool ok = true;
};

struct EffectState {
    std::string name;
    DWORD typeIndex = 0;
    DWORD handle = 0;
    bool playing = false;
};

struct CloseResult {
    // The module said it could be unloaded once the driver was released.
    bool canUnload = false;
};

class DriverSession {
  public:
    DriverSession() = default;
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    bool Open(const SessionOptions& options, std::string* error);

    StepOutcome Execute(const Step& step);

    // Milliseconds since the driver was bound: the scenario's clock.
    long long ElapsedMs() const;

    // The effects downloaded and not destroyed, in the order they came.
    std::vector<EffectState> Effects() const;

    // Every report written to the controller so far.
    std::vector<LabReport> Reports() const;

    CloseResult Close();

    const DeviceModelProfile& profile() const { return *options_.profile; }

  private:
    StepOutcome DownloadOrUpdate(const Step& step);
    // The handle of a named effect; 0 when its download failed.
    DWORD HandleOf(const std::string& name) const;
    void Forget(const std::string& name);
    StepOutcome SetDeviceValue(const char* valueName, DWORD value);
    bool FindDriverClass(CLSID* clsid, std::string* error) const;
    bool CreateDriver(std::string* error);

    SessionOptions options_;
    HMODULE module_ = nullptr;
    IDirectInputEffectDriver* driver_ = nullptr;
    simwin::ControllerId controller_ = 0;
    DWORD startTick_ = 0;
    struct NamedEffect {
        std::string name;
        DWORD typeIndex;
        DWORD handle;
    };
    std::vector<NamedEffect> effects_;
};

}  // namespace lab
