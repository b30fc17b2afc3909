// Host stand-in for the platform's common-controls header.
#pragma once

#include "windows.h"
#include "prsht.h"
#include "simwin/common_controls.h"
