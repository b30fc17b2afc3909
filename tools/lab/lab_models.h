// The controller models the lab can play: each one's profile is the very
// profile its driver module is built with, so the lab plugs in the ids the
// driver looks for and reads the reports in the model's own protocol.
#pragma once

#include <string>

#include "profiles/device_model_profile.h"

namespace lab {

const DeviceModelProfile& ModelSProfile();
const DeviceModelProfile& ModelTProfile();

// "s" or "t" (any case); null for anything else.
const DeviceModelProfile* FindModel(const std::string& letter);

// "S" or "T".
const char* ModelLetter(const DeviceModelProfile& profile);

}  // namespace lab
