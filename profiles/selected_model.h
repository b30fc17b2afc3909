// Selects the model this build serves: DEVICE_MODEL_S or DEVICE_MODEL_T.
#pragma once

#if defined(DEVICE_MODEL_S) && !defined(DEVICE_MODEL_T)
#include "model_s.h"
#elif defined(DEVICE_MODEL_T) && !defined(DEVICE_MODEL_S)
#include "model_t.h"
#else
#error "define exactly one of DEVICE_MODEL_S and DEVICE_MODEL_T"
#endif
