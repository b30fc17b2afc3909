// The last-error value: one per thread, as on the platform. Every simulated
// function that fails sets it; none clears it on success unless documented.
#include "simwin/kernel.h"

namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;
}

extern "C" {

DWORD WINAPI GetLastError(void) {
    return t_last_error;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    t_last_error = dwErrCode;
}

}  // extern "C"
