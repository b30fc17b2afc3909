// Internal: lets Reset empty DirectInput's joystick table.
#pragma once

namespace simwin::detail {

void ResetJoysticks();

}  // namespace simwin::detail
