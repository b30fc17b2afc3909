#include "fuzz/effect_record_from_input.h"

#include <cstring>

namespace fuzz {

EffectRecordFromInput::EffectRecordFromInput(FuzzInput& in) {
    DIEFFECT e = {};
    switch (in.Below(4)) {
        case 0:
            e.dwSize = sizeof(DIEFFECT);
            break;
        case 1:
            e.dwSize = sizeof(DIEFFECT_DX5);
            break;
        default:
            e.dwSize = in.InterestingDword();
            break;
    }
    e.dwFlags = in.Flag() ? (DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS) ^ in.Byte() : in.Dword();
    e.dwDuration = in.Flag() ? INFINITE : in.InterestingDword();
    e.dwSamplePeriod = in.Dword();
    e.dwGain = in.InterestingDword();
    e.dwTriggerButton = in.Flag() ? DIEB_NOTRIGGER : in.Dword();
    e.dwTriggerRepeatInterval = in.Dword();

    e.cAxes = in.Flag() ? in.Below(4) : in.Byte();
    const bool axesPresent = in.Byte() >= 16;
    const bool directionsPresent = in.Byte() >= 16;
    if (axesPresent && e.cAxes > 0) {
        axes_.reset(new DWORD[e.cAxes]);
        for (DWORD i = 0; i < e.cAxes; ++i) {
            axes_[i] = in.Flag() ? DIJOFS_X + 4 * in.Below(3) : in.Dword();
        }
    }
    if (directionsPresent && e.cAxes > 0) {
        directions_.reset(new LONG[e.cAxes]);
        for (DWORD i = 0; i < e.cAxes; ++i) {
            directions_[i] = static_cast<LONG>(in.InterestingDword());
        }
    }
    // Now and then a block where the count says there is none.
    static DWORD strayAxes[1];
    static LONG strayDirections[1];
    e.rgdwAxes = axes_ ? axes_.get() : (e.cAxes == 0 && in.Byte() < 8 ? strayAxes : nullptr);
    e.rglDirection = directions_ ? directions_.get()
                                 : (e.cAxes == 0 && in.Byte() < 8 ? strayDirections : nullptr);

    if (in.Flag()) {
        envelope_.reset(new DIENVELOPE);
        envelope_->dwSize = in.Flag() ? sizeof(DIENVELOPE) : in.Dword();
        envelope_->dwAttackLevel = in.InterestingDword();
        envelope_->dwAttackTime = in.InterestingDword();
        envelope_->dwFadeLevel = in.InterestingDword();
        envelope_->dwFadeTime = in.InterestingDword();
        e.lpEnvelope = envelope_.get();
    }

    static const DWORD kTypicalSizes[] = {0, sizeof(DICONSTANTFORCE), sizeof(DIRAMPFORCE),
                                          sizeof(DIPERIODIC), 24};
    const DWORD size = in.Flag() ? kTypicalSizes[in.Below(5)] : in.Below(64);
    typeSpecific_ = in.Bytes(size);
    e.cbTypeSpecificParams = size;
    e.lpvTypeSpecificParams = typeSpecific_.empty() ? nullptr : typeSpecific_.data();
    // Now and then a size without a block, or a block with a size of 0.
    if (in.Byte() < 8) {
        if (size == 0) {
            e.cbTypeSpecificParams = in.Dword();
        } else {
            e.cbTypeSpecificParams = 0;
        }
    }
    e.dwStartDelay = in.InterestingDword();

    record_.resize(e.dwSize == sizeof(DIEFFECT_DX5) ? sizeof(DIEFFECT_DX5) : sizeof(DIEFFECT));
    std::memcpy(record_.data(), &e, record_.size());
}

}  // namespace fuzz
