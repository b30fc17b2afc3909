// The controllers of our two models as the stand-ins present them: the USB
// ids of each model's profile and the output report id both models declare.
#pragma once

#include "tools/standin_controller/controller_channel.h"

namespace standin {

// The report id of the one output report of both models' controllers.
inline constexpr uint8_t kModelOutputReportId = 3;

ControllerSpec ModelSController();
ControllerSpec ModelTController();

}  // namespace standin
