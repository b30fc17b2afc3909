#pragma once
#include "windows.h"
#include "simwin/hid.h"
