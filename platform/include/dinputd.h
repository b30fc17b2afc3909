#pragma once
#include "dinput.h"
#include "simwin/effect_driver_interface.h"
