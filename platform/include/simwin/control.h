// The control panel of the simulated Windows, for tests and tools: reset the
// machine, drive its clock and timers, and make chosen operations fail.
// Nothing in the deliverables calls these.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "types.h"

namespace simwin {

// Brings the machine back to a fresh state: empty registry, stepped clock at
// 0, no timers, no pending faults, no HID controllers and an empty joystick
// table; no windows (dropped without messages), window timers, registered
// classes, drawing objects or declared bad memory, and the default Windows
// version; all modules' handles (and their resource tables) left alone.
void Reset();

// The clock behind GetTickCount and timeGetTime.
//  - Stepped: time moves only through AdvanceTime (and Sleep, which advances
//    it); timers fire on the thread that advances the clock, in due order.
//  - RealTime: time follows the host's monotonic clock; each timer fires on a
//    thread of its own.
enum class ClockMode { Stepped, RealTime };
void SetClockMode(ClockMode mode);
ClockMode GetClockMode();
// Sets the current tick count (both modes).
void SetTime(DWORD milliseconds);
// Stepped mode: moves the clock forward, firing every timer that falls due on
// the way at its due time. RealTime mode: sleeps.
void AdvanceTime(DWORD milliseconds);

struct TimerInfo {
    UINT id;
    UINT delay;
    UINT resolution;
    UINT flags;
    DWORD_PTR user;
};
std::vector<TimerInfo> ActiveTimers();

// Fault injection. Counts start at the call after the one that arms them.
// The nth HeapAlloc from now (1 = the next one) returns NULL.
void FailAllocation(unsigned nth);
// The nth call of the named platform function from now fails as that function
// fails (e.g. "CreateEventA" returns NULL with `error` as last error).
void FailCall(const std::string& function, unsigned nth = 1, DWORD error = ERROR_GEN_FAILURE);
void ClearFaults();
// Calls of each function that FailCall can name, since the last
// ResetFaultPointCalls: the failures an operation could meet. Reset and
// ClearFaults leave the counts alone.
std::map<std::string, unsigned> FaultPointCalls();
void ResetFaultPointCalls();
// Number of HeapAlloc blocks not yet freed.
size_t LiveAllocations();

// Named events live in a namespace shared by all processes that use the same
// one; tests give themselves a fresh namespace so that runs do not meet.
// Child processes inherit it through the environment (SIMWIN_NAMESPACE).
void SetEventNamespace(const std::string& name);
std::string GetEventNamespace();

}  // namespace simwin
