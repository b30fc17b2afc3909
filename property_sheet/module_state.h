// State that belongs to the loaded sheet module rather than to any object:
// its instance handle, the count of reasons it must stay loaded, and the
// SheetLock.
//
// ModuleLockCount = live sheets + live factories + outstanding
// LockServer(TRUE) calls; it changes only by interlocked operations.
//
// The SheetLock serialises the opening and re-opening of a sheet's shared
// joystick device with model S's calibration range update. It is initialised
// at process attach and deleted at process detach.
#pragma once

#include <windows.h>

void SetModuleInstance(HINSTANCE instance);
HINSTANCE GetModuleInstance();

void LockModule();
void UnlockModule();
LONG ModuleLockCount();

void InitializeSheetLock();
void DeleteSheetLock();
void EnterSheetLock();
void LeaveSheetLock();
