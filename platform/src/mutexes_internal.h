// The mutexes' side of WaitForSingleObject, which events.cpp owns.
#pragma once

#include "simwin/types.h"

namespace simwin::detail {

// When `handle` is an open mutex: waits on it for at most `milliseconds`,
// stores the wait's result in `*result` and returns true. Otherwise false.
bool WaitForMutex(HANDLE handle, DWORD milliseconds, DWORD* result);

}  // namespace simwin::detail
