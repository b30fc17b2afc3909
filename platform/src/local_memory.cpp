// LocalAlloc and LocalFree over the process heap. Only fixed memory is
// simulated: LMEM_MOVEABLE asks for a handle that must be locked before use,
// which nothing in this system does, so it is refused (NULL,
// ERROR_INVALID_PARAMETER) rather than handing out an address the caller
// would treat as a handle. Every block is zero-filled, LMEM_ZEROINIT or not.
#include "faults.h"
#include "simwin/kernel.h"
#include "simwin/local_memory.h"

extern "C" {

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("LocalAlloc", &error)) {
        SetLastError(error);
        return nullptr;
    }
    if (uFlags & LMEM_MOVEABLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, uBytes);
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    if (hMem == nullptr) {
        return nullptr;
    }
    if (!HeapFree(GetProcessHeap(), 0, hMem)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    return nullptr;
}

}  // extern "C"
