// The requests the module's devices answer: the control device's channel
// and a controller device's own description.
#pragma once

#include "tools/standin_controller/module/kernel.h"

namespace standin_module {

// IRP_MJ_DEVICE_CONTROL on the control device.
NTSTATUS ControlRequest(PIRP irp, PIO_STACK_LOCATION stack);
// IRP_MJ_DEVICE_CONTROL on a controller's device, through a handle with
// the plug token `token`.
NTSTATUS ControllerRequest(ULONG slot, ULONG_PTR token, PIRP irp, PIO_STACK_LOCATION stack);

}  // namespace standin_module
