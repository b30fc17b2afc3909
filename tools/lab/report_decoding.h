// Reading the output reports the driver writes back into what they tell the
// controller: which report it is and, for a strength report, the two motor
// bytes; and the motors' course over a run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "profiles/device_model_profile.h"

namespace lab {

enum class ReportKind { Strength, FollowUp, Stop, Unknown };

struct DecodedReport {
    ReportKind kind = ReportKind::Unknown;
    // Strength reports carry both motor bytes; a stop report stills both.
    bool setsMotors = false;
    BYTE left = 0;
    BYTE right = 0;
};

// A report as the controller received it, its time counted from the start
// of the scenario.
struct LabReport {
    long long timeMs = 0;
    std::vector<BYTE> bytes;
    DecodedReport decoded;
};

DecodedReport DecodeReport(const DeviceModelProfile& profile, const std::vector<BYTE>& bytes);

const char* ReportKindName(ReportKind kind);

// The motor byte as a share of full strength, 0..100: model S sends twice
// the strength (254 at most), model T the strength itself (127 at most).
double MotorPercent(const DeviceModelProfile& profile, BYTE motorByte);

// The motors after a report: where they stand from `timeMs` on.
struct MotorPoint {
    long long timeMs = 0;
    BYTE left = 0;
    BYTE right = 0;
};

// The motors' course: a point for every report that sets them, starting
// still at time 0.
std::vector<MotorPoint> MotorCourse(const std::vector<LabReport>& reports);

// "00 51 00 7e ..." in lower-case hexadecimal.
std::string HexBytes(const std::vector<BYTE>& bytes);

}  // namespace lab
