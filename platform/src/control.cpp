// Reset of the simulated machine. It touches only what tests arrange:
// timers (killed, callbacks in progress waited out), the clock (stepped, at
// 0), the registry (emptied) and armed faults (cleared). Loaded modules, open
// kernel handles, heap blocks and the event namespace are left alone.
#include "clock_internal.h"
#include "faults.h"
#include "registry_internal.h"
#include "simwin/control.h"
#include "timers_internal.h"

void simwin::Reset() {
    detail::KillAllTimers();
    detail::ResetClock();
    detail::ResetRegistry();
    detail::ClearAllFaults();
}
