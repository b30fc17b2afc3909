// Local memory: LocalAlloc and LocalFree. Blocks are fixed (the handle is the
// address) and come from the process heap, so they count in
// simwin::LiveAllocations and FailAllocation reaches them as well as
// FailCall("LocalAlloc"). Blocks are always zero-filled.
#pragma once

#include "types.h"

typedef HANDLE HLOCAL;

#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

extern "C" {

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
// NULL on success; the block itself when it is not a live local block.
HLOCAL WINAPI LocalFree(HLOCAL hMem);

}  // extern "C"
