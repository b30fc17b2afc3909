// One model's controller, compiled once per model (MODEL_CONTROLLER_FUNCTION
// names the function) so that the ids come from that model's profile.
#include "profiles/selected_model.h"
#include "tools/standin_controller/model_controllers.h"

namespace standin {

ControllerSpec MODEL_CONTROLLER_FUNCTION() {
    ControllerSpec spec = {};
    spec.vendorId = kModelProfile.vendorId;
    spec.productId = kModelProfile.productId;
    spec.outputReportId = kModelOutputReportId;
    return spec;
}

}  // namespace standin
