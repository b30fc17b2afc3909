// A page-like dialog template and an icon for the dialog, control and
// property-sheet tests, as a module's resource table holds them.
#pragma once

#include <commctrl.h>

#include "simwin/module_resources.h"

namespace test_resources {

constexpr WORD kPageDialog = 107;
constexpr WORD kSecondPageDialog = 108;
constexpr WORD kWarningIcon = 114;

const SimwinDialogItem kPageItems[] = {
    {1000, "LoggingWindow", "1", 0x50010000, 29, 116, 15, 14},
    {1058, "BUTTON", "Connected State", 0x50000007, 10, 178, 231, 32},
    {1024, "STATIC", "", 0x50020000, 45, 193, 185, 8},
    {1037, "STATIC", nullptr, 0x40000003, 18, 189, 20, 20, kWarningIcon},
    {1027, TRACKBAR_CLASSA, "", 0x50010000 | TBS_NOTICKS, 80, 20, 120, 14},
    {1043, "BUTTON", "Left force", 0x50010000, 46, 45, 45, 15},
    {-1, "STATIC", "Vibration strength:", 0x50020000, 20, 22, 60, 8},
};

const SimwinDialogItem kSecondPageItems[] = {
    {1025, "STATIC", "", 0x50020000, 45, 191, 181, 8},
};

const SimwinDialogTemplate kDialogs[] = {
    {kPageDialog, "Function Test", 0x48C00040, "Arial", 8, 0, 0, 253, 227, kPageItems,
     sizeof(kPageItems) / sizeof(kPageItems[0])},
    {kSecondPageDialog, "Vibration Test", 0x48C00040, "Arial", 8, 0, 0, 251, 223, kSecondPageItems,
     1},
};

const SimwinIconResource kIcons[] = {{kWarningIcon, 32, 32}};

const SimwinModuleResources kResources = {kDialogs, 2, kIcons, 1};

}  // namespace test_resources
