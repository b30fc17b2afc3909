// The simulated machine as a device installation leaves it, for the fuzz
// targets: the effect registrations, controllers of a model, and the model's
// OEM key values.
#pragma once

#include <simwin/control_devices.h>

#include <string>
#include <vector>

#include "fuzz/model_constants.h"

namespace fuzz {

struct PluggedController {
    simwin::ControllerId id;
    GUID instance;
};

// Writes the twelve effect registrations of the model; bit n of `skipped`
// leaves registration n out.
void InstallEffectRegistrations(const ModelConstants& model, DWORD skipped);
std::string EffectRegistrationPath(const ModelConstants& model, unsigned position);

// Plugs in controller number `n` of the model and lists it at `joystickId`
// (ids from 16 on are left unlisted). `outputReportId` is its report id.
PluggedController PlugController(const ModelConstants& model, unsigned n, UINT joystickId,
                                 BYTE outputReportId);

// The model's OEM key, home of "Amplify" and "Rumble".
std::string OemKeyPath(const ModelConstants& model);
void SetOemValue(const ModelConstants& model, const char* name, DWORD type,
                 const std::vector<BYTE>& bytes);
void DeleteOemValue(const ModelConstants& model, const char* name);

// Writes a value under HKEY_LOCAL_MACHINE, making its key.
void SetMachineValue(const std::string& keyPath, const char* name, DWORD type,
                     const std::vector<BYTE>& bytes);

}  // namespace fuzz
