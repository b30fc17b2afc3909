// What distinguishes one controller model from the other. Each deliverable is
// compiled once per model; the model's constants and model-specific choices
// live here and nowhere else, so the rest of the code stays common.
#pragma once

#include <windows.h>

enum class DeviceModel { S, T };

// How the two motor accumulators become the motor bytes of a report.
enum class MotorByteMapping {
    DoubledNoDeadZone,  // clamp to 127, times 2
    DeadZoneBelow25,    // clamp to 127, 1..24 become 0
};

// Which output reports the controller understands.
enum class OutputProtocol {
    StrengthFollowUpStop,  // StrengthReport 0x51, FollowUpReport 0xFA 0xFE, StopReport 0xF3
    StrengthOnly,          // one StrengthReport, moving or still
};

// How the playback tick adds an effect's two axis forces to the motors.
enum class MotorMixing {
    // left += axis 1, right += axis 0, and every type but the constant force
    // also adds axis 0 to the left motor.
    CrossedWithWaveBoost,
    // left += axis 0, right += axis 1.
    Straight,
};

// Which joystick axes the right-hand indicator of the Function Test and
// Calibration pages shows, horizontal first.
enum class RightIndicatorAxes {
    ZThenRz,  // horizontal lZ, vertical lRz
    RzThenZ,  // horizontal lRz, vertical lZ
};

// What the Calibration page's "Set" writes as each axis's range (the centre
// is always the stick's present position).
enum class CalibrationSetRange {
    // The range the page holds: widened by every reading since the page
    // opened from its seed 128, or the full range after "Default".
    WidenedSincePageOpened,
    // The smallest and largest readings since the last "Default" or "Set".
    SweptSinceLastPress,
};

// Which axes a polar direction drives when an effect has two or more.
enum class PolarSpread {
    FirstTwoAxes,     // axis 0 cosine, axis 1 sine, further axes nothing
    AlternatingAxes,  // even axes cosine, odd axes sine
};

struct DeviceModelProfile {
    DeviceModel model;
    WORD vendorId;
    WORD productId;
    GUID effectDriverClassId;
    GUID propertySheetClassId;
    const char* productName;
    const char* aboutVersionText;
    UINT playbackPeriodMs;
    OutputProtocol outputProtocol;
    // Bytes of every output report, report id included.
    UINT reportLength;
    MotorByteMapping motorByteMapping;
    // Model S ends a controller with its stop sequence; model T with one
    // silent strength report.
    bool finalOutputIsStopSequence;
    bool stopEffectSilencesAtOnce;
    bool readsRumbleSwitch;
    MotorMixing motorMixing;
    PolarSpread polarSpread;
    // Sine forces between 0 and 50 are lifted by 50 so that weak waves are
    // still felt.
    bool liftsWeakSineForces;
    // Size put in the joystick configuration record handed to
    // IDirectInputJoyConfig::GetConfig (only the instance GUID is read back).
    DWORD joyConfigRecordSize;
    RightIndicatorAxes rightIndicatorAxes;
    // Whether the Vibration Test page gives up its effect when the user
    // leaves the page, or keeps it until the page is shown again.
    bool vibrationPageReleasesEffectOnLeave;
    CalibrationSetRange calibrationSetRange;
};
