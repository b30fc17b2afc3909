// Host builds only: names DllMain as this module's attach/detach entry for
// the simulated loader, and hands it the module's dialog templates and icon
// (translated from the resource script the DLLs are built with).
#include <simwin/module_entry.h>
#include <simwin/module_resources.h>

#include "property_sheet/resources/padscope_resources.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

SIMWIN_MODULE_ENTRY(DllMain)
SIMWIN_MODULE_RESOURCES(*PadscopeResources())
