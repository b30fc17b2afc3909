// Pointer checks: IsBadReadPtr and IsBadWritePtr. Ordinary memory is good;
// NULL, the reserved first 64 KiB, ranges that wrap around the address space
// and ranges a test declares bad (simwin::DeclareUnreadable and
// DeclareUnwritable) are bad. A size of 0 is never bad.
#pragma once

#include "types.h"

extern "C" {

BOOL WINAPI IsBadReadPtr(const void* lp, UINT_PTR ucb);
BOOL WINAPI IsBadWritePtr(LPVOID lp, UINT_PTR ucb);

}  // extern "C"
