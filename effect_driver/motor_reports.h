// The controller's output protocol: how the two motor accumulators of a
// device entry become output reports, and the model S stop sequence.
//
// Results share one space: 0 when every report went out in full,
// E_INVALIDARG for an entry index of 16 or more, E_FAIL when the entry is not
// bound or holds no open handle, otherwise the Win32 error of the write that
// came short (ERROR_DEVICE_NOT_CONNECTED when the controller was unplugged).
// A short write ends the call; nothing is retried.
#pragma once

#include <windows.h>

struct EffectDriver;

// Model S: a StrengthReport and a FollowUpReport while either motor moves; a
// StopReport when both are still, preceded by a FollowUpReport on the first
// still call after movement. Model T: one StrengthReport per call.
HRESULT WriteMotorReport(EffectDriver* driver, DWORD index);

// Model S: StopReport, then FollowUpReport. Touches neither the
// accumulators nor the running flag.
HRESULT SendStopSequence(EffectDriver* driver, DWORD index);

// The motor byte the model sends for an accumulator value.
BYTE MotorByte(DWORD accumulator);

// Model S: whether the motors may still be running as far as this module
// knows. Module-wide, shared by every driver object and device: it starts
// set, is set before every StrengthReport and cleared only after a
// StopReport went out in full.
bool MotorsRunning();
// Back to the state of a freshly loaded module (set).
void ResetMotorsRunning();
