// State that belongs to the loaded module rather than to any object: its
// instance handle and the count of reasons it must stay loaded.
//
// ModuleLockCount = live driver objects + live factories + outstanding
// LockServer(TRUE) calls. It changes only by interlocked operations, so
// objects on any thread may come and go.
#pragma once

#include <windows.h>

void SetModuleInstance(HINSTANCE instance);
HINSTANCE GetModuleInstance();

void LockModule();
void UnlockModule();
LONG ModuleLockCount();
