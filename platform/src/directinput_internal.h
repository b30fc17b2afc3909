// Internal: what the DirectInput files share. Object accounting and
// lifetime, fault injection, the joystick table and the device and effect
// records behind the control API.
//
// Lifetime: every DirectInput object keeps its reference count in a LONG
// changed by interlocked operations. At its last Release the object gives
// up what it holds but its memory is kept (retired, never freed), so that a
// call through a stale pointer is counted as a release error rather than
// reading freed memory.
#pragma once

#include <memory>
#include <mutex>

#include "simwin/control_directinput.h"
#include "simwin/directinput_devices.h"

namespace simwin::detail {

void ResetJoysticks();
// Scripts, device and effect records, release errors.
void ResetDirectInputDevices();

// --- Objects ----------------------------------------------------------------

void NoteObjectCreated();
// The object's count reached zero and it has given up what it held; its
// memory is kept for the life of the process.
void RetireObject(const void* object);
// A call on a retired object.
void NoteReleaseError();
void ResetReleaseErrors();

// AddRef's part: the new count, or 0 (and a release error) on a retired
// object.
ULONG AddReference(LONG* refs);
// Release's part: the new count; `*last` is true when it reached zero. On
// an object already at zero it counts a release error and changes nothing.
ULONG DropReference(LONG* refs, bool* last);
// Whether the object has had its last Release (and counts a release error
// if so).
bool IsRetired(LONG* refs);

HRESULT InjectedFailure(const char* function);

// Fills table slots that nobody implements; they answer E_NOTIMPL.
extern void* const kNotImplemented;

// A joystick configuration object that holds a reference on `owner` (the
// DirectInput object that made it) until its own last Release.
IDirectInputJoyConfig* NewJoyConfig(IUnknown* owner);

// Whether the joystick table holds the instance GUID.
bool IsJoystickInstance(const GUID& instance);

// --- Devices and effects ----------------------------------------------------

// One mutex guards every record and script of the devices and effects; it
// is never held while another part of the machine is called.
std::mutex& DeviceRecordsMutex();

struct DeviceRecord {
    DirectInputDeviceInfo info;
    size_t index;  // in DirectInputDevices(); records of an earlier Reset are no longer listed
};

// Creates an effect on the device whose record is given; the effect holds a
// reference on `device`.
HRESULT NewEffect(IDirectInputDevice2A* device, std::shared_ptr<DeviceRecord> record, REFGUID type,
                  LPCDIEFFECT parameters, LPDIRECTINPUTEFFECT* effect);

// Whether effects on the device may be downloaded and played: it is
// acquired in exclusive mode (guarded).
bool IsAcquiredExclusivelyLocked(const DeviceRecord& record);

void ResetDirectInputEffects();

}  // namespace simwin::detail
