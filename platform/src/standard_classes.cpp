// Registration of the standard classes every process has. Dialogs reserve
// DLGWINDOWEXTRA bytes for DWLP_MSGRESULT, DWLP_DLGPROC and DWLP_USER; the
// controls keep their state in the window record instead of extra bytes.
// No standard class has a background brush: dialogs paint theirs through
// WM_CTLCOLORDLG, the controls paint their whole face.
#include "simwin/common_controls.h"
#include "simwin/dialogs.h"
#include "standard_classes.h"
#include "window_internal.h"

void simwin::detail::RegisterStandardClasses() {
    RegisterSystemClass("#32770", DialogWindowProc, DLGWINDOWEXTRA, nullptr);
    RegisterSystemClass("STATIC", StaticWindowProc, 0, nullptr);
    RegisterSystemClass("BUTTON", ButtonWindowProc, 0, nullptr);
    RegisterSystemClass(TRACKBAR_CLASSA, TrackbarWindowProc, 0, nullptr);
}
