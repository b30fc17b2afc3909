// Internal: what a device-file handle leads to, for the HID class driver's
// calls that take such a handle.
#pragma once

#include <memory>

#include "hid_controllers.h"

namespace simwin::detail {

// The controller behind an open device-file handle and the connection the
// handle was opened in; false for any other handle.
bool DeviceFileTarget(HANDLE handle, std::shared_ptr<Controller>* controller, unsigned* connection);

}  // namespace simwin::detail
