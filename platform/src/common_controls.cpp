// InitCommonControls and InitCommonControlsEx: the common control classes
// are always registered on the simulated machine, so these only check their
// argument (a NULL record or a wrong dwSize fails, as on the platform).
#include "simwin/common_controls.h"

extern "C" {

void WINAPI InitCommonControls(void) {}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    return picce != nullptr && picce->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

}  // extern "C"
