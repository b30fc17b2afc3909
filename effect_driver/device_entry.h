// One DeviceEntry per DirectInput joystick id (0..15) of a driver object:
// where the controller is, how strong it should play, and its 32 effects.
//
// Fields that application threads write without the PlaybackLock while the
// playback tick reads them (play state, times, counts, gain, amplify, the
// motor accumulators) are atomics: each is one 32-bit value, and the tick
// sees either the old or the new one.
//
// The connection guard owns the controller connection: the device handle,
// the device path and the report id change, and reports are written, only
// while it is held. So a rebinding on an application thread, a model T
// StopEffect writing a report, and the tick writing, reopening or closing
// never meet on a handle.
#pragma once

#include <dinput.h>
#include <dinputd.h>

#include <atomic>
#include <mutex>

inline constexpr UINT kDeviceCount = 16;
inline constexpr UINT kEffectSlotCount = 32;
inline constexpr size_t kDevicePathCapacity = 1024;

enum PlayState : DWORD {
    kIdle = 0,
    kPlaying = 1,
    kStopped = 3,
};

// The effect description as the store keeps it: DirectInput's record in its
// DirectX 5 form, with the axes, directions, envelope and type-specific
// parameters in blocks of the slot's own.
typedef DIEFFECT_DX5 EffectParameters;

struct EffectSlot {
    // Set and cleared only under the PlaybackLock, but read without it by
    // the device-wide commands (stop all, reset), which walk the slots on
    // application threads while downloads and destroys run on others.
    std::atomic<DWORD> inUse;
    EffectParameters parameters;
    const DIEFFECTATTRIBUTES* attributes;
    DWORD typeIndex;
    std::atomic<DWORD> startTime;
    std::atomic<DWORD> elapsedTime;
    std::atomic<DWORD> iterationsLeft;
    std::atomic<DWORD> playState;
};

struct DeviceEntry {
    std::atomic<DWORD> bound;
    HANDLE deviceHandle;
    std::atomic<LONG> joystickId;
    BYTE reportId;
    std::atomic<DWORD> gain;
    std::atomic<DWORD> amplify;
    std::atomic<DWORD> leftMotor;
    std::atomic<DWORD> rightMotor;
    char devicePath[kDevicePathCapacity];
    EffectSlot slots[kEffectSlotCount];
    std::mutex connectionGuard;
};

inline bool IsOpenHandle(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}
