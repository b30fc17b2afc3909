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

struct DeviceModelProfile {
    DeviceModel model;
    WORD vendorId;
    WORD productId;
    GUID effectDriverClassId;
    GUID propertySheetClassId;
    const char* productName;
    const char* aboutVersionText;
    UINT playbackPeriodMs;
    // Bytes of every output report, report id included.
    UINT reportLength;
    MotorByteMapping motorByteMapping;
    // Model S ends a controller with its stop sequence; model T with one
    // silent strength report.
    bool finalOutputIsStopSequence;
    bool stopEffectSilencesAtOnce;
    bool readsRumbleSwitch;
    // Size put in the joystick configuration record handed to
    // IDirectInputJoyConfig::GetConfig (only the instance GUID is read back).
    DWORD joyConfigRecordSize;
};
