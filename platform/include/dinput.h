#pragma once
#include "windows.h"
#include "simwin/directinput_effects.h"
#include "simwin/directinput_joystick_config.h"
#include "simwin/directinput_devices.h"
