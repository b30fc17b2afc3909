// The stand-in controllers as DirectInput sees them: those the module
// reports as plugged in now. Each question opens its own look at the
// control channel, so the answers are always current.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "tools/standin_controller/controller_channel.h"

namespace standin_dinput {

// False when the module is not running.
bool ListControllers(standin::ControllerList* list);
// The controller in the slot when it is plugged in now.
bool FindPresentController(uint32_t slot, standin::ControllerInfo* info);
// The slot whose controller is plugged in and has this interface path
// (compared without regard to case).
bool FindControllerByPath(const char* path, standin::ControllerInfo* info);

}  // namespace standin_dinput
