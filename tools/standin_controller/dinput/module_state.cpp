#include "tools/standin_controller/dinput/module_state.h"

namespace standin_dinput {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_liveObjects = 0;

}  // namespace

void SetModuleInstance(HINSTANCE instance) {
    g_instance = instance;
}

HINSTANCE ModuleInstance() {
    return g_instance;
}

void CountObjectCreated() {
    InterlockedIncrement(&g_liveObjects);
}

void CountObjectDestroyed() {
    InterlockedDecrement(&g_liveObjects);
}

bool AnyObjectAlive() {
    return InterlockedCompareExchange(&g_liveObjects, 0, 0) != 0;
}

}  // namespace standin_dinput
