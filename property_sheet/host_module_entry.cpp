// Host builds only: names DllMain as this module's attach/detach entry for
// the simulated loader.
#include <simwin/module_entry.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

SIMWIN_MODULE_ENTRY(DllMain)
