// Host stand-in for the platform's property-sheet header.
#pragma once

#include "windows.h"
#include "simwin/property_sheets.h"
