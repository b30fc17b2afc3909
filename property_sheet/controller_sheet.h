// The sheet object the control panel holds: the descriptions of the property
// sheet and its four pages, the joystick id being shown, and the two
// DirectInput objects every page shares (owned here, released with the
// sheet).
#pragma once

#include <windows.h>

#include <atomic>

#include "property_sheet/controller_sheet_interface.h"
#include "property_sheet/page_table.h"

// Joystick id of a sheet whose SetID was never called: DirectInput is then
// asked for joystick index -1.
constexpr USHORT kNoJoystickId = 0xFFFF;

// Units of the caption buffer: the product name, its terminator included,
// must fit.
constexpr int kCaptionUnits = 64;

struct ControllerSheet {
    // The interface table comes first, so the interface pointer the control
    // panel holds is the object's address.
    IDIGameCntrlPropSheet iface;
    DIGCSHEETINFO sheetInfo;
    DIGCPAGEINFO pageInfo[kPageCount];
    // Each holds one reference that the sheet owns; the setters store the
    // pointer without adding one.
    LPDIRECTINPUTDEVICE2A inputDevice;
    IDirectInputJoyConfig* joyConfig;
    std::atomic<SHORT> refCount;
    USHORT joystickId;
};

// A new sheet with reference count 1 (ModuleLockCount + 1), not yet
// prepared; none when memory runs out.
ControllerSheet* CreateControllerSheet();

// Bytes of the sheet object that the pages check are readable and writable
// before they use a sheet pointer.
UINT_PTR ControllerSheetObjectSize();

inline ControllerSheet* SheetFromInterface(IDIGameCntrlPropSheet* iface) {
    return reinterpret_cast<ControllerSheet*>(iface);
}
