#pragma once
#include "windows.h"
#include "simwin/multimedia_timers.h"
