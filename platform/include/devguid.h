#pragma once
#include "dinput.h"
