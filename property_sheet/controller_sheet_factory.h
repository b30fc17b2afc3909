// The class factory that DllGetClassObject hands out: every CreateInstance
// makes a new, prepared sheet.
#pragma once

#include <windows.h>

struct ControllerSheetFactory {
    IClassFactory iface;
    LONG volatile refCount;
};

// A new factory with reference count 1 (ModuleLockCount + 1), or none when
// memory runs out.
ControllerSheetFactory* CreateControllerSheetFactory();
