// Host-only: tells the simulated loader which function is a module's
// process attach/detach entry. Each deliverable built for the host names its
// DllMain with SIMWIN_MODULE_ENTRY in one of its sources; LoadLibraryA calls
// it with DLL_PROCESS_ATTACH (a FALSE answer fails the load) and FreeLibrary
// with DLL_PROCESS_DETACH.
#pragma once

#include "types.h"

typedef BOOL(WINAPI* SimwinModuleEntry)(HINSTANCE, DWORD, LPVOID);

extern "C" void simwin_register_module_entry(SimwinModuleEntry entry);

#define SIMWIN_MODULE_ENTRY(fn)                                      \
    namespace {                                                      \
    [[maybe_unused]] const int simwin_module_entry_registered = [] { \
        simwin_register_module_entry(fn);                            \
        return 0;                                                    \
    }();                                                             \
    }
