// The identifier of the control panel's sheet interface, which the platform
// SDK does not define.
#include "property_sheet/controller_sheet_interface.h"

const GUID IID_IDIGameCntrlPropSheet = {
    0x7854FB22, 0x8EE3, 0x11D0, {0xA1, 0xAC, 0x00, 0x00, 0xF8, 0x02, 0x69, 0x77}};
