#pragma once
#include "windows.h"
#include "simwin/setupapi.h"
