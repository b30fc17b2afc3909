#include "property_sheet/pages/vibration_effect.h"

#include <cmath>

namespace {

// The page speaks to DirectInput 5, so its records have that version's
// size: the record without the start delay, whose size differs by width.
typedef DIEFFECT_DX5 VibrationEffectRecord;
static_assert(sizeof(VibrationEffectRecord) == (sizeof(void*) == 8 ? 72 : 52),
              "the DirectX 5 effect record of this processor width");

constexpr DWORD kEffectAxisCount = 2;
// X and Y by their byte offsets in the joystick format.
DWORD g_axes[kEffectAxisCount] = {DIJOFS_X, DIJOFS_Y};

constexpr DWORD kCoordinates = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;

// Full gain on DirectInput's nominal scale.
constexpr DWORD kFullGain = 10000;

LONG OutsideDeadZone(LONG strength) {
    const LONG magnitude = strength < 0 ? -strength : strength;
    return magnitude < kMotorDeadZone ? 0 : magnitude;
}

void FillRecord(VibrationEffectRecord* record, LONG* direction, DICONSTANTFORCE* force) {
    *record = {};
    record->dwSize = sizeof *record;
    record->dwFlags = kCoordinates;
    record->dwDuration = INFINITE;
    record->dwSamplePeriod = 0;
    record->dwGain = kFullGain;
    record->dwTriggerButton = DIEB_NOTRIGGER;
    record->dwTriggerRepeatInterval = 0;
    record->cAxes = kEffectAxisCount;
    record->rgdwAxes = g_axes;
    record->rglDirection = direction;
    record->lpEnvelope = nullptr;
    record->cbTypeSpecificParams = sizeof *force;
    record->lpvTypeSpecificParams = force;
}

}  // namespace

EffectParameters EffectParametersFor(MotorPair pair) {
    const LONG left = OutsideDeadZone(pair.left);
    const LONG right = OutsideDeadZone(pair.right);
    const double length =
        std::sqrt(static_cast<double>(left) * left + static_cast<double>(right) * right);
    return {{left, right}, static_cast<LONG>(length)};
}

HRESULT CreateVibrationEffect(IDirectInputDevice2A* device, IDirectInputEffect** effect) {
    LONG direction[kEffectAxisCount] = {0, 0};
    DICONSTANTFORCE force = {0};
    VibrationEffectRecord record;
    FillRecord(&record, direction, &force);
    return IDirectInputDevice2_CreateEffect(
        device, GUID_ConstantForce, reinterpret_cast<LPCDIEFFECT>(&record), effect, nullptr);
}

HRESULT DriveVibrationEffect(IDirectInputEffect* effect, MotorPair pair) {
    EffectParameters parameters = EffectParametersFor(pair);
    DICONSTANTFORCE force = {parameters.magnitude};
    VibrationEffectRecord record;
    FillRecord(&record, parameters.direction, &force);
    return IDirectInputEffect_SetParameters(effect, reinterpret_cast<LPCDIEFFECT>(&record),
                                            DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_START);
}

void StartVibrationEffect(IDirectInputEffect* effect) {
    IDirectInputEffect_Start(effect, 1, 0);
}
