// Fault injection shared by every simulated function: tests arm "the nth
// call of function F fails with error E", and F asks at its start whether
// this call is the one. New functions join by calling ShouldFail with their
// own name; nothing here knows the list of functions.
#pragma once

#include <string>

#include "simwin/types.h"

namespace simwin::detail {

// Counts one call of `function`. True when an armed fault falls due on this
// call; `*error` then receives the error the call must report. Several
// faults may be armed for one function; each counts from when it was armed.
bool ShouldFail(const char* function, DWORD* error);

void ArmFault(const std::string& function, unsigned nth, DWORD error);
void ClearAllFaults();

}  // namespace simwin::detail
