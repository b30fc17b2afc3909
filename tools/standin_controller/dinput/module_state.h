// What the whole module shares: its instance handle, and how many of its
// objects are alive (DllCanUnloadNow answers from that).
#pragma once

#include <windows.h>

namespace standin_dinput {

void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();

void CountObjectCreated();
void CountObjectDestroyed();
bool AnyObjectAlive();

}  // namespace standin_dinput
