// Host stand-in for the platform's main header: the simulated Windows.
#pragma once

#include "simwin/types.h"
#include "simwin/guid.h"
#include "simwin/com.h"
#include "simwin/kernel.h"
#include "simwin/registry.h"
#include "simwin/files.h"
