// Dialog creation shared by CreateDialogParamA and the property-sheet host.
#pragma once

#include "simwin/dialogs.h"
#include "simwin/module_resources.h"

namespace simwin::detail {

// Creates a dialog from a template record with `style` in place of the
// template's own, its controls, and sends WM_INITDIALOG with `parameter`.
// NULL when the dialog or one of its controls cannot be created, or when
// the dialog destroyed itself while being initialised.
HWND CreateDialogFromTemplate(HINSTANCE instance, const SimwinDialogTemplate& dialogTemplate,
                              DWORD style, HWND parent, DLGPROC procedure, LPARAM parameter);

// Dialog units to pixels.
LONG DialogUnitsToPixelsX(LONG units);
LONG DialogUnitsToPixelsY(LONG units);

}  // namespace simwin::detail
