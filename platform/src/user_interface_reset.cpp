// Reset of the user-interface part of the machine. Windows are dropped
// without WM_DESTROY: their procedures may belong to modules that are gone,
// and the page and control state they own is freed with the records.
// Resource tables attached by the loader stay with their loaded modules.
#include "user_interface_reset.h"

#include "gdi_internal.h"
#include "window_internal.h"

void simwin::detail::ResetUserInterface() {
    ResetPropertySheets();
    ResetWindowTimers();
    ResetWindows();
    ResetDeviceContexts();
    ResetGdiObjects();
    ResetClasses();
    ResetModuleResources();
}
