// The twelve effect registrations under the device's OEM force-feedback key.
// DirectInput learns the device's effect types from them; the driver reads
// the same "Attributes" records when a driver object is created and refuses
// to exist without all twelve.
#pragma once

#include <dinput.h>
#include <dinputd.h>

inline constexpr UINT kEffectTypeCount = 12;

// Entry t holds the "Attributes" of the registration whose effect id is t.
typedef DIEFFECTATTRIBUTES EffectAttributesTable[kEffectTypeCount];

// Registry path of the registration at `position` (0..11), below
// HKEY_LOCAL_MACHINE. False for a position of 12 or more.
bool FormatEffectRegistrationPath(UINT position, char* out, size_t capacity);

// Reads the "Attributes" value of the registration at `position` into
// `destination`. A value longer than the record gives its first 20 bytes; a
// shorter one is zero-filled. False when the key or value is missing or
// unreadable, or memory runs out.
bool ReadEffectAttributes(UINT position, DIEFFECTATTRIBUTES* destination);
