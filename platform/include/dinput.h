#pragma once
#include "windows.h"
#include "simwin/directinput_effects.h"
