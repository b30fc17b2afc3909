// The control panel of the simulated DirectInput devices: what a joystick
// answers (its reading and scripted results of Acquire and GetDeviceState,
// by instance GUID, so that a controller added with AddHidController and
// SetJoystick is the same joystick here), and what applications did to the
// devices and effects they created, for tests to read back.
//
// Every device object, DirectInput object and effect is also counted by
// LiveDirectInputObjects (control_devices.h); a call on an object after its
// last Release, an extra Release included, is counted by
// DirectInputReleaseErrors instead of touching freed memory.
#pragma once

#include <map>
#include <vector>

#include "directinput_devices.h"

namespace simwin {

// --- What a joystick answers ------------------------------------------------

// The reading GetDeviceState returns from now on. Until set: axes at 32767
// (the middle of 0..65535), sliders 0, points of view centred (0xFFFFFFFF),
// buttons up.
void SetJoystickState(const GUID& instance, const DIJOYSTATE& state);

// A scripted result decides a call outright. `NextCall` results queue up and
// each serves one call; an `EveryCall` result serves the calls after the
// queue is empty, until cleared. A success (DI_OK, S_FALSE, ...) acquires
// the device or fills the reading and is returned as it is; a failure leaves
// the device unacquired (DIERR_INPUTLOST from GetDeviceState unacquires it).
// Without a script, Acquire answers DI_OK (S_FALSE when already acquired) and
// fails with DIERR_UNPLUGGED while the HID controller of that instance is
// unplugged; GetDeviceState fills the reading with DI_OK and fails with
// DIERR_INPUTLOST (unacquiring) while it is unplugged.
enum class ScriptScope { NextCall, EveryCall };
void ScriptAcquire(const GUID& instance, HRESULT result, ScriptScope scope = ScriptScope::NextCall);
void ScriptGetDeviceState(const GUID& instance, HRESULT result,
                          ScriptScope scope = ScriptScope::NextCall);
// Drops the queued and lasting results of both calls; the reading stays.
void ClearJoystickScripts(const GUID& instance);

// The hardware configuration the joystick configuration's GetConfig reports
// for joystick id `joystickId` when asked with DIJC_REGHWCONFIGTYPE (the
// record's hwc member). Until set, and after Reset, it is all zero.
void SetJoystickHardwareConfig(UINT joystickId, const JOYREGHWCONFIG& config);

// --- What applications did --------------------------------------------------

struct PropertyCall {
    // The number of a predefined property (5 for DIPROP_DEADZONE), 0 for
    // any other GUID.
    DWORD property;
    DIPROPHEADER header;
    DWORD data;  // dwData when the record is at least a DIPROPDWORD
    HRESULT result;
};

struct DirectInputDeviceInfo {
    GUID instance;
    bool released;                   // its last Release happened
    const DIDATAFORMAT* dataFormat;  // the last one accepted; NULL until then
    bool cooperativeLevelSet;
    HWND__* cooperativeWindow;
    DWORD cooperativeFlags;
    bool acquired;
    // Dead zone by byte offset of the axis, as last set per object.
    std::map<DWORD, DWORD> deadZones;
    std::vector<PropertyCall> propertyCalls;  // every SetProperty, in order
    unsigned acquireCalls;
    unsigned unacquireCalls;
    unsigned getDeviceStateCalls;
    unsigned pollCalls;
};
// Every device created since the last Reset, oldest first.
std::vector<DirectInputDeviceInfo> DirectInputDevices();

// A deep copy of the parts of a DIEFFECT record that a call read: the fixed
// fields always (dwStartDelay only from a record of the current size), each
// block only when the call's flags name it (axes with DIEP_AXES, directions
// with DIEP_DIRECTION, the envelope with DIEP_ENVELOPE, type-specific
// parameters with DIEP_TYPESPECIFICPARAMS). CreateEffect reads everything.
struct CapturedEffect {
    DWORD size;  // dwSize: the DirectX 5 or the current record
    DWORD flags;
    DWORD duration;
    DWORD samplePeriod;
    DWORD gain;
    DWORD triggerButton;
    DWORD triggerRepeatInterval;
    DWORD axisCount;
    std::vector<DWORD> axes;
    std::vector<LONG> directions;
    bool hasEnvelope;
    DIENVELOPE envelope;
    std::vector<BYTE> typeSpecific;
    DWORD startDelay;  // 0 in DirectX 5 records
};

enum class EffectCallKind {
    Create,
    GetParameters,
    SetParameters,
    Start,
    Stop,
    Download,
    Unload,
    Release,
};

struct EffectCall {
    EffectCallKind kind;
    DWORD flags;       // parameter flags (DIEP_*) or Start's flags
    DWORD iterations;  // Start only
    bool hasParameters;
    CapturedEffect parameters;  // Create (when given a record) and SetParameters
    // The call's result; for Release the count it returned.
    HRESULT result;
};

struct DirectInputEffectInfo {
    size_t device;  // index into DirectInputDevices()
    GUID type;
    bool released;
    std::vector<EffectCall> calls;  // in order, the creation first
};
// Every effect created since the last Reset, oldest first.
std::vector<DirectInputEffectInfo> DirectInputEffects();

// Calls made on DirectInput objects after their last Release.
size_t DirectInputReleaseErrors();

// Every GetConfig on a joystick configuration object since Reset, in order,
// with whether that object was acquired (between its Acquire and
// Unacquire) at the time.
struct JoyConfigGetConfigCall {
    UINT joystickId;
    DWORD flags;
    bool acquired;
    HRESULT result;
};
std::vector<JoyConfigGetConfigCall> JoyConfigGetConfigCalls();

}  // namespace simwin
