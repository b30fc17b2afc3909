// Built once per model (DEVICE_MODEL_S / DEVICE_MODEL_T), like the sheet
// module itself. The profile headers define kModelProfile where they are
// included, so each build keeps its model's profile in a namespace of its own
// (SHEET_PROFILE_NAMESPACE) and defines the accessor SHEET_PROFILE_FUNCTION.
#include "profiles/device_model_profile.h"
#include "tools/sheet_viewer/sheet_models.h"

namespace sheet_viewer {

namespace SHEET_PROFILE_NAMESPACE {
#include "profiles/selected_model.h"
}  // namespace SHEET_PROFILE_NAMESPACE

const DeviceModelProfile& SHEET_PROFILE_FUNCTION() {
    return SHEET_PROFILE_NAMESPACE::kModelProfile;
}

}  // namespace sheet_viewer
