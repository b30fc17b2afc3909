#pragma once
#include "hidsdi.h"
