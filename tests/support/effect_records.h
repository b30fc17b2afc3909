// Effect records as DirectInput hands them to the driver, for tests.
#pragma once

#include <dinput.h>

#include <vector>

namespace test_support {

// A DIEFFECT with storage for its blocks. Copying is deliberately not
// offered: the record points into its own members.
struct EffectRecord {
    DIEFFECT effect = {};
    std::vector<DWORD> axes;
    std::vector<LONG> directions;
    DIENVELOPE envelope = {};
    DICONSTANTFORCE constant = {};
    DIPERIODIC periodic = {};

    EffectRecord() = default;
    EffectRecord(const EffectRecord&) = delete;
    EffectRecord& operator=(const EffectRecord&) = delete;

    // Points the record at its blocks.
    DIEFFECT* get();
};

// Effect type indices.
inline constexpr DWORD kConstantForce = 0;
inline constexpr DWORD kSquareWave = 2;
inline constexpr DWORD kSineWave = 3;

// A Cartesian constant force over the given directions, one axis per
// direction, INFINITE duration, full gain.
void MakeConstantForce(EffectRecord& r, LONG magnitude, std::vector<LONG> directions,
                       DWORD duration = INFINITE);
// A Cartesian periodic effect.
void MakePeriodic(EffectRecord& r, DWORD magnitude, DWORD period, std::vector<LONG> directions,
                  DWORD duration = INFINITE);

}  // namespace test_support
