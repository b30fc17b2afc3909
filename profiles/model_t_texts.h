// Model T's user-visible texts. Kept as plain macros so that both the
// profile and the module's resource script (which only a resource compiler
// reads) take them from this one place.
#pragma once

#define MODEL_PRODUCT_NAME "Gemtrek"
#define MODEL_ABOUT_VERSION_TEXT "Driver Version: 3.39(2005.08)"
