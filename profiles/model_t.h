// Model T: an adapter that presents two controllers, each with two motors.
#pragma once

#include "device_model_profile.h"
#include "model_t_texts.h"

// The USB ids and class identifiers below are placeholders that belong to no
// vendor. Put the adapter's own USB ids and the class identifiers that the
// device installation registers here before shipping.
inline constexpr DeviceModelProfile kModelProfile = {
    DeviceModel::T,
    /*vendorId=*/0x0000,
    /*productId=*/0x0054,
    /*effectDriverClassId=*/
    {0x00000000, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x54, 0x01}},
    /*propertySheetClassId=*/
    {0x00000000, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x54, 0x02}},
    MODEL_PRODUCT_NAME,
    MODEL_ABOUT_VERSION_TEXT,
    /*playbackPeriodMs=*/25,
    OutputProtocol::StrengthOnly,
    /*reportLength=*/5,
    MotorByteMapping::DeadZoneBelow25,
    /*finalOutputIsStopSequence=*/false,
    /*stopEffectSilencesAtOnce=*/true,
    /*readsRumbleSwitch=*/false,
    MotorMixing::Straight,
    PolarSpread::AlternatingAxes,
    /*liftsWeakSineForces=*/false,
    // The 64-bit model T build has always passed the DirectX 5 record size.
    /*joyConfigRecordSize=*/sizeof(void*) == 8 ? 1160 : 1176,
    RightIndicatorAxes::RzThenZ,
    /*vibrationPageReleasesEffectOnLeave=*/false,
    CalibrationSetRange::SweptSinceLastPress,
};
