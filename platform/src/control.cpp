// Reset of the simulated machine. It touches only what tests arrange:
// timers (killed, callbacks in progress waited out), the clock (stepped, at
// 0), the registry (emptied), armed faults (cleared), the HID controllers
// (removed with their reports, opens and armed write failures) and
// DirectInput's joystick table (emptied). Loaded modules, open kernel handles
// (device files stay open but dead), heap blocks, the event namespace and
// what callers own (device information sets, preparsed data, DirectInput
// objects) are left alone: freeing them would pull memory from under code
// that still holds it.
#include "clock_internal.h"
#include "directinput_internal.h"
#include "faults.h"
#include "hid_controllers.h"
#include "registry_internal.h"
#include "simwin/control.h"
#include "timers_internal.h"

void simwin::Reset() {
    detail::KillAllTimers();
    detail::ResetClock();
    detail::ResetRegistry();
    detail::ClearAllFaults();
    detail::ResetHidControllers();
    detail::ResetJoysticks();
}
