// Model S: a single joystick with two rumble motors.
#pragma once

#include "device_model_profile.h"
#include "model_s_texts.h"

// The USB ids and class identifiers below are placeholders that belong to no
// vendor. Put the controller's own USB ids and the class identifiers that the
// device installation registers here before shipping.
inline constexpr DeviceModelProfile kModelProfile = {
    DeviceModel::S,
    /*vendorId=*/0x0000,
    /*productId=*/0x0053,
    /*effectDriverClassId=*/
    {0x00000000, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x53, 0x01}},
    /*propertySheetClassId=*/
    {0x00000000, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x53, 0x02}},
    MODEL_PRODUCT_NAME,
    MODEL_ABOUT_VERSION_TEXT,
    /*playbackPeriodMs=*/35,
    OutputProtocol::StrengthFollowUpStop,
    /*reportLength=*/8,
    MotorByteMapping::DoubledNoDeadZone,
    /*finalOutputIsStopSequence=*/true,
    /*stopEffectSilencesAtOnce=*/false,
    /*readsRumbleSwitch=*/true,
    MotorMixing::CrossedWithWaveBoost,
    PolarSpread::FirstTwoAxes,
    /*liftsWeakSineForces=*/true,
    /*joyConfigRecordSize=*/1176,
    RightIndicatorAxes::ZThenRz,
    /*vibrationPageReleasesEffectOnLeave=*/true,
    CalibrationSetRange::WidenedSincePageOpened,
};
