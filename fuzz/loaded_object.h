// A deliverable loaded once for the whole fuzzing run, through the loader and
// its class factory, the way the system reaches it.
#pragma once

#include <windows.h>

namespace fuzz {

// Loads `library` on first use and keeps it loaded. Aborts when the module
// or its factory cannot be had: nothing could be fuzzed without them.
IClassFactory* FactoryOf(const char* library, REFCLSID clsid);

}  // namespace fuzz
