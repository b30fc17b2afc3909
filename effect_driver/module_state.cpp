#include "effect_driver/module_state.h"

namespace {
HINSTANCE g_moduleInstance = nullptr;
LONG volatile g_moduleLockCount = 0;
}  // namespace

void SetModuleInstance(HINSTANCE instance) {
    g_moduleInstance = instance;
}

HINSTANCE GetModuleInstance() {
    return g_moduleInstance;
}

void LockModule() {
    InterlockedIncrement(&g_moduleLockCount);
}

void UnlockModule() {
    InterlockedDecrement(&g_moduleLockCount);
}

LONG ModuleLockCount() {
    // An interlocked no-op read keeps the access atomic with the updates.
    return InterlockedCompareExchange(&g_moduleLockCount, 0, 0);
}
