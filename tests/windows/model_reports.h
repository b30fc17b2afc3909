// The output reports of the model under test, byte for byte, as its
// controller receives them (report id 3 first).
//
// Model S: strength 03 51 00 L 00 R 00 00 (motor bytes doubled), each
// followed by the follow-up 03 FA FE 00 00 00 00 00; the motors come to rest
// with a follow-up and the stop 03 F3 00 00 00 00 00 00, and resting ticks
// send the stop alone. Model T: one strength report 03 00 00 L R per tick,
// moving or still.
#pragma once

#include "attached_controller.h"
#include "profiles/selected_model.h"

namespace windows_test {

inline constexpr bool kModelS = kModelProfile.model == DeviceModel::S;
inline constexpr const char* kModelName = kModelS ? "S" : "T";

// A strength report for the two motor strengths as the driver computes
// them (0..127).
inline ReportBytes StrengthReport(BYTE left, BYTE right) {
    if (kModelS) {
        return {3, 0x51, 0, static_cast<BYTE>(left * 2), 0, static_cast<BYTE>(right * 2), 0, 0};
    }
    return {3, 0, 0, left, right};
}

// "Both force" (direction 10000, 10000, magnitude 14142) at full strength:
// 126 on each motor; at "Amplify" 500, 63.
inline ReportBytes BothForceReport() {
    return StrengthReport(126, 126);
}
inline ReportBytes HalfBothForceReport() {
    return StrengthReport(63, 63);
}

inline const ReportBytes kFollowUpReport = {3, 0xFA, 0xFE, 0, 0, 0, 0, 0};
inline const ReportBytes kStopReport = {3, 0xF3, 0, 0, 0, 0, 0, 0};

// What a tick sends once no effect moves the motors any more: model S's
// stop, model T's silent strength report.
inline ReportBytes RestingReport() {
    return kModelS ? kStopReport : StrengthReport(0, 0);
}

// A strength report that runs at least one motor.
inline bool RunsMotors(const ReportBytes& bytes) {
    if (kModelS) {
        return bytes.size() == 8 && bytes[1] == 0x51 && (bytes[3] != 0 || bytes[5] != 0);
    }
    return bytes.size() == 5 && (bytes[3] != 0 || bytes[4] != 0);
}

// The report each tick of a playing effect starts with: model S's strength
// report (its follow-up comes in the same tick), model T's only report.
inline bool StartsTick(const ReportBytes& bytes) {
    return kModelS ? bytes.size() == 8 && bytes[1] == 0x51 : bytes.size() == 5;
}

// What the driver's last release sends a controller: model S its stop
// sequence (stop, then follow-up), model T one silent strength report.
inline std::vector<ReportBytes> FinalOutput() {
    if (kModelS) {
        return {kStopReport, kFollowUpReport};
    }
    return {StrengthReport(0, 0)};
}

}  // namespace windows_test
