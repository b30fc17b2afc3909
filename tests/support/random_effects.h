// Effect records and update flags drawn at random, the way a game's mix of
// force-feedback calls reaches the driver, for the tests that hammer a
// driver object from several threads.
#pragma once

#include <dinput.h>

#include <random>

#include "effect_driver/effect_store.h"

namespace test_support {

// Effect type indices the random records are drawn from.
inline constexpr DWORD kRandomConstantForce = 0;
inline constexpr DWORD kRandomRampForce = 1;
inline constexpr DWORD kRandomFirstPeriodic = 2;
inline constexpr DWORD kRandomLastPeriodic = 6;

// Every parameter DownloadEffect copies.
inline constexpr DWORD kAllEffectParameters = DIEP_DURATION | DIEP_SAMPLEPERIOD | DIEP_GAIN |
                                              DIEP_TRIGGERBUTTON | DIEP_TRIGGERREPEATINTERVAL |
                                              DIEP_AXES | DIEP_DIRECTION | DIEP_ENVELOPE |
                                              DIEP_TYPESPECIFICPARAMS;

// An effect record with storage for its blocks; it points into itself, so it
// is filled in place and never copied.
struct RandomEffectRecord {
    DIEFFECT effect = {};
    DWORD axes[2] = {};
    LONG directions[2] = {};
    DIENVELOPE envelope = {};
    DICONSTANTFORCE constant = {};
    DIRAMPFORCE ramp = {};
    DIPERIODIC periodic = {};

    RandomEffectRecord() = default;
    RandomEffectRecord(const RandomEffectRecord&) = delete;
    RandomEffectRecord& operator=(const RandomEffectRecord&) = delete;
};

// A record of the given type as a game might download it: one or two axes,
// Cartesian or polar, with or without envelope, finite or endless, the
// type-specific block the type reads (types without a waveform get a
// periodic block they ignore, or none).
void FillRandomEffect(RandomEffectRecord& r, DWORD type, std::mt19937& rng);

// Parameters an update sends: any mix, the axes and directions together or
// neither, sometimes with a start or only checked (DIEP_NODOWNLOAD).
DWORD RandomUpdateFlags(std::mt19937& rng);

// Blocks the parameters of a slot own.
size_t OwnedBlocks(const EffectSlot& slot);

}  // namespace test_support
