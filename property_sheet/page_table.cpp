#include "property_sheet/page_table.h"

namespace {

// Until the pages have their own procedures, each does default dialog
// processing only.
INT_PTR CALLBACK DefaultPageProcedure(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

}  // namespace

// Function Test, Calibration Function, Vibration Test, About.
const PageTableRow kPageTable[kPageCount] = {
    {107, DefaultPageProcedure},
    {109, DefaultPageProcedure},
    {108, DefaultPageProcedure},
    {112, DefaultPageProcedure},
};
