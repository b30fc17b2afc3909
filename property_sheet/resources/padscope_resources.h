// Host builds only: the module's dialog templates and icon as the simulated
// Windows reads them. The table is generated at build time from
// padscope.rc, the script the Windows DLLs are compiled from, for the
// build's model and width. The host module hands it to the loader; a test
// that links the sheet's code directly attaches it to its own module handle
// with simwin::RegisterModuleResources(handle, PadscopeResources()).
#pragma once

#include <simwin/module_resources.h>

const SimwinModuleResources* PadscopeResources();
