#include "tools/lab/report_decoding.h"

#include <cstdio>

namespace lab {

namespace {

// Model S: the second byte tells the report.
constexpr BYTE kStrengthCommand = 0x51;
constexpr BYTE kFollowUpCommand = 0xFA;
constexpr BYTE kFollowUpArgument = 0xFE;
constexpr BYTE kStopCommand = 0xF3;

constexpr double kModelSFullByte = 254.0;
constexpr double kModelTFullByte = 127.0;

DecodedReport DecodeStrengthFollowUpStop(const std::vector<BYTE>& bytes) {
    DecodedReport decoded;
    if (bytes.size() != 8) {
        return decoded;
    }
    if (bytes[1] == kStrengthCommand) {
        decoded.kind = ReportKind::Strength;
        decoded.setsMotors = true;
        decoded.left = bytes[3];
        decoded.right = bytes[5];
    } else if (bytes[1] == kFollowUpCommand && bytes[2] == kFollowUpArgument) {
        decoded.kind = ReportKind::FollowUp;
    } else if (bytes[1] == kStopCommand) {
        decoded.kind = ReportKind::Stop;
        decoded.setsMotors = true;
    }
    return decoded;
}

DecodedReport DecodeStrengthOnly(const std::vector<BYTE>& bytes) {
    DecodedReport decoded;
    if (bytes.size() != 5) {
        return decoded;
    }
    decoded.kind = ReportKind::Strength;
    decoded.setsMotors = true;
    decoded.left = bytes[3];
    decoded.right = bytes[4];
    return decoded;
}

}  // namespace

DecodedReport DecodeReport(const DeviceModelProfile& profile, const std::vector<BYTE>& bytes) {
    if (profile.outputProtocol == OutputProtocol::StrengthFollowUpStop) {
        return DecodeStrengthFollowUpStop(bytes);
    }
    return DecodeStrengthOnly(bytes);
}

const char* ReportKindName(ReportKind kind) {
    switch (kind) {
        case ReportKind::Strength:
            return "strength";
        case ReportKind::FollowUp:
            return "follow-up";
        case ReportKind::Stop:
            return "stop";
        case ReportKind::Unknown:
            break;
    }
    return "unknown";
}

double MotorPercent(const DeviceModelProfile& profile, BYTE motorByte) {
    const double full = profile.motorByteMapping == MotorByteMapping::DoubledNoDeadZone
                            ? kModelSFullByte
                            : kModelTFullByte;
    const double percent = motorByte * 100.0 / full;
    return percent > 100.0 ? 100.0 : percent;
}

std::vector<MotorPoint> MotorCourse(const std::vector<LabReport>& reports) {
    std::vector<MotorPoint> course = {{0, 0, 0}};
    for (const LabReport& report : reports) {
        if (report.decoded.setsMotors) {
            course.push_back({report.timeMs, report.decoded.left, report.decoded.right});
        }
    }
    return course;
}

std::string HexBytes(const std::vector<BYTE>& bytes) {
    std::string text;
    char digits[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, i == 0 ? "%02x" : " %02x", bytes[i]);
        text += digits;
    }
    return text;
}

}  // namespace lab
