// Reset of the simulated machine. It touches only what tests arrange:
// timers (killed, callbacks in progress waited out), the clock (stepped, at
// 0), the registry (emptied), armed faults (cleared), the HID controllers
// (removed with their reports, opens and armed write failures),
// DirectInput's joystick table (emptied) and its joystick scripts, device
// and effect records and count of release errors (cleared), the user
// interface (windows dropped without messages, window timers, paint records,
// drawing objects, registered classes and test resource tables), declared
// bad memory and the chosen Windows version. Loaded modules,
// open kernel handles (device files stay open but dead), heap blocks, the
// event namespace and what callers own (device information sets, preparsed
// data, DirectInput objects) are left alone: freeing them would pull memory
// from under code that still holds it.
#include "clock_internal.h"
#include "directinput_internal.h"
#include "faults.h"
#include "hid_controllers.h"
#include "kernel_extras_internal.h"
#include "registry_internal.h"
#include "simwin/control.h"
#include "timers_internal.h"
#include "user_interface_reset.h"

void simwin::Reset() {
    detail::KillAllTimers();
    detail::ResetClock();
    detail::ResetRegistry();
    detail::ClearAllFaults();
    detail::ResetHidControllers();
    detail::ResetJoysticks();
    detail::ResetDirectInputDevices();
    detail::ResetUserInterface();
    detail::ResetDeclaredMemory();
    detail::ResetWindowsVersion();
}
