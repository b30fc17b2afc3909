// The effect store: 32 effect slots per device entry holding the effects
// DirectInput downloads, their parameters in blocks of their own, and their
// play state. Handles are slot position + 1 (1..32); 0 means no effect.
//
// Locking: DownloadEffect and DestroyEffect change a slot's parameters and
// blocks only while holding the PlaybackLock, so the playback tick never sees
// half-copied parameters or freed blocks. If the lock is not had within
// 100 ms they fail with E_FAIL and change nothing. StartEffect, StopEffect
// and GetEffectStatus take no lock: they touch only single 32-bit fields
// (atomics), and StopEffect runs inside DestroyEffect while the lock is held.
#pragma once

#include "effect_driver/device_entry.h"

inline constexpr DWORD kMaxEffectHandle = kEffectSlotCount;

// The first free slot of the device, or -1 when all are in use.
int FindFreeSlot(const DeviceEntry& entry);

// Copies what `flags` selects from `source` into `target`; dwFlags always.
// Blocks the target owned for a copied field are freed first. Stops at the
// first failure, keeping what was copied before.
HRESULT CopyEffectParameters(EffectParameters* target, const DIEFFECT* source, DWORD flags);

// Frees the slot's blocks and sets every field to 0: free, Idle. The caller
// holds the PlaybackLock or knows that no tick can run.
void ClearSlot(EffectSlot& slot);

// Frees the four blocks the parameters own; counts stay.
void FreeEffectParameters(EffectParameters* parameters);
