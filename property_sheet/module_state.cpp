#include "property_sheet/module_state.h"

namespace {
HINSTANCE g_moduleInstance = nullptr;
LONG volatile g_moduleLockCount = 0;
CRITICAL_SECTION g_sheetLock;
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

void InitializeSheetLock() {
    InitializeCriticalSection(&g_sheetLock);
}

void DeleteSheetLock() {
    DeleteCriticalSection(&g_sheetLock);
}

void EnterSheetLock() {
    EnterCriticalSection(&g_sheetLock);
}

void LeaveSheetLock() {
    LeaveCriticalSection(&g_sheetLock);
}
