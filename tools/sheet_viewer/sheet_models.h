// The property sheet modules the viewer can show: each model's module name
// and the profile the module is built with (the sheet's class identifier,
// and the USB ids and report layout of the model's stand-in controller).
#pragma once

#include <windows.h>

#include "profiles/device_model_profile.h"

namespace sheet_viewer {

struct SheetModel {
    char letter;                // 's' or 't', as in the module's name
    const wchar_t* moduleName;  // padscope_<m>.dll
    const DeviceModelProfile& profile;
};

// Defined once per model by model_profile.cpp.
const DeviceModelProfile& ModelSProfile();
const DeviceModelProfile& ModelTProfile();

// The model of letter "s" or "t" (any case); null for anything else.
const SheetModel* FindSheetModel(const char* letter);

}  // namespace sheet_viewer
