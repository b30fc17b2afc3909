// One model's constants; compiled once with DEVICE_MODEL_S and once with
// DEVICE_MODEL_T.
#include "fuzz/model_constants.h"
#include "profiles/selected_model.h"

namespace fuzz {

#if defined(DEVICE_MODEL_S)
const ModelConstants& ModelS() {
#else
const ModelConstants& ModelT() {
#endif
    static const ModelConstants constants = {kModelProfile.vendorId,
                                             kModelProfile.productId,
                                             kModelProfile.effectDriverClassId,
                                             kModelProfile.propertySheetClassId,
                                             kModelProfile.playbackPeriodMs,
                                             MODEL_DRIVER_LIBRARY,
                                             MODEL_SHEET_LIBRARY};
    return constants;
}

}  // namespace fuzz
