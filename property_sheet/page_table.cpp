#include "property_sheet/page_table.h"

#include "property_sheet/pages/about_page.h"
#include "property_sheet/pages/calibration_page.h"
#include "property_sheet/pages/function_test_page.h"
#include "property_sheet/pages/vibration_test_page.h"

// Function Test, Calibration Function, Vibration Test, About.
const PageTableRow kPageTable[kPageCount] = {
    {107, FunctionTestPageProcedure},
    {109, CalibrationPageProcedure},
    {108, VibrationTestPageProcedure},
    {112, AboutPageProcedure},
};
