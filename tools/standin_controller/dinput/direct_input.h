// The DirectInput object: one object answering as IDirectInputA,
// IDirectInput2A and IDirectInput7A, and as IDirectInputJoyConfig (its
// joystick configuration; the two interfaces share one reference count).
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

namespace standin_dinput {

constexpr DWORD kOldestVersion = 0x0500;
constexpr DWORD kNewestVersion = 0x0800;

struct DirectInputObject {
    IDirectInput7A iface;
    IDirectInputJoyConfig joyConfig;
    LONG references;
    DWORD version;  // 0 until initialized
};

// DIERR_OLDDIRECTINPUTVERSION / DIERR_BETADIRECTINPUTVERSION outside the
// versions the module serves.
HRESULT CheckDirectInputVersion(DWORD version);

// A new initialized object, as `riid` (one of the IDirectInput A
// interfaces).
HRESULT CreateDirectInput(DWORD version, REFIID riid, void** out);

DirectInputObject* ObjectFromJoyConfig(IDirectInputJoyConfig* iface);
extern const IDirectInputJoyConfigVtbl kJoyConfigMethods;

}  // namespace standin_dinput
