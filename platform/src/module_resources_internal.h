// Module resource tables, for the loader (modules.cpp) and the dialog
// manager (dialogs.cpp).
#pragma once

#include "simwin/module_resources.h"

namespace simwin::detail {

void AttachLoadedModuleResources(HMODULE module, const SimwinModuleResources* resources);
void DetachModuleResources(HMODULE module);

// The module's dialog template named by MAKEINTRESOURCEA(id) or "#id";
// NULL when there is none.
const SimwinDialogTemplate* FindDialogTemplate(HINSTANCE module, LPCSTR name);

}  // namespace simwin::detail
