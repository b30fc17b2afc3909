// Built once per model (DEVICE_MODEL_S / DEVICE_MODEL_T), like the driver
// itself. The profile headers define kModelProfile at the scope they are
// included in; each build puts its model's profile in a namespace of its own
// (LAB_PROFILE_NAMESPACE), so the two profiles never share one name in the
// lab. LAB_PROFILE_FUNCTION names the accessor this build defines.
#include "profiles/device_model_profile.h"
#include "tools/lab/lab_models.h"

namespace lab {

namespace LAB_PROFILE_NAMESPACE {
#include "profiles/selected_model.h"
}  // namespace LAB_PROFILE_NAMESPACE

const DeviceModelProfile& LAB_PROFILE_FUNCTION() {
    return LAB_PROFILE_NAMESPACE::kModelProfile;
}

}  // namespace lab
