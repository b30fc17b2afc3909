// Reset of the user-interface part of the simulated machine.
#pragma once

namespace simwin::detail {

// Drops property sheets, windows (without messages), window timers, device
// contexts and paint records, drawing objects (stock ones stay), registered
// classes (standard ones stay) and the resource tables tests registered.
void ResetUserInterface();

}  // namespace simwin::detail
