#include "effect_driver/motor_reports.h"

#include <atomic>
#include <cstring>

#include "effect_driver/effect_driver.h"
#include "profiles/selected_model.h"

namespace {

// Reports are written from the timer thread and, for model T's StopEffect,
// from application threads: the flag is atomic.
std::atomic<bool> g_motorsRunning{true};

constexpr DWORD kMotorClamp = 127;
constexpr DWORD kDeadZone = 25;
constexpr UINT kMaxReportLength = 8;

enum class ReportKind { Strength, FollowUp, Stop };

// Writes one report with the model's length. The caller holds the entry's
// connection guard. 0, or the error of a write that came short
// (ERROR_WRITE_FAULT when the platform gave none).
HRESULT WriteReport(DeviceEntry& entry, ReportKind kind, BYTE left, BYTE right) {
    BYTE report[kMaxReportLength] = {};
    report[0] = entry.reportId;
    if (kModelProfile.outputProtocol == OutputProtocol::StrengthFollowUpStop) {
        switch (kind) {
            case ReportKind::Strength:
                report[1] = 0x51;
                report[3] = left;
                report[5] = right;
                break;
            case ReportKind::FollowUp:
                report[1] = 0xFA;
                report[2] = 0xFE;
                break;
            case ReportKind::Stop:
                report[1] = 0xF3;
                break;
        }
    } else {
        report[3] = left;
        report[4] = right;
    }
    DWORD written = 0;
    // Cleared first, so that an error left over from an earlier call is
    // never taken for this write's (a stale 1167 would close a working
    // controller).
    SetLastError(ERROR_SUCCESS);
    WriteFile(entry.deviceHandle, report, kModelProfile.reportLength, &written, nullptr);
    if (written == kModelProfile.reportLength) {
        return 0;
    }
    // A short write is never success, even when the platform names no error.
    const DWORD error = GetLastError();
    return static_cast<HRESULT>(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
}

// The checks every call makes first; the entry is returned with its
// connection guard held when they pass.
HRESULT OpenEntry(EffectDriver* driver, DWORD index, std::unique_lock<std::mutex>& guard,
                  DeviceEntry** entry) {
    if (index >= kDeviceCount) {
        return E_INVALIDARG;
    }
    *entry = &driver->devices[index];
    guard = std::unique_lock<std::mutex>((*entry)->connectionGuard);
    if ((*entry)->bound.load() == 0 || !IsOpenHandle((*entry)->deviceHandle)) {
        return E_FAIL;
    }
    return 0;
}

HRESULT WriteStrengthFollowUpStop(DeviceEntry& entry, BYTE left, BYTE right) {
    if (left != 0 || right != 0) {
        g_motorsRunning = true;
        HRESULT result = WriteReport(entry, ReportKind::Strength, left, right);
        return result != 0 ? result : WriteReport(entry, ReportKind::FollowUp, 0, 0);
    }
    if (g_motorsRunning) {
        HRESULT result = WriteReport(entry, ReportKind::FollowUp, 0, 0);
        if (result != 0) {
            return result;
        }
    }
    HRESULT result = WriteReport(entry, ReportKind::Stop, 0, 0);
    if (result == 0) {
        g_motorsRunning = false;
    }
    return result;
}

}  // namespace

BYTE MotorByte(DWORD accumulator) {
    // Compared as unsigned: anything from 127 up is full strength.
    DWORD clamped = accumulator >= kMotorClamp ? kMotorClamp : accumulator;
    switch (kModelProfile.motorByteMapping) {
        case MotorByteMapping::DoubledNoDeadZone:
            return static_cast<BYTE>(clamped * 2);
        case MotorByteMapping::DeadZoneBelow25:
            return static_cast<BYTE>(clamped < kDeadZone ? 0 : clamped);
    }
    return 0;
}

HRESULT WriteMotorReport(EffectDriver* driver, DWORD index) {
    std::unique_lock<std::mutex> guard;
    DeviceEntry* entry = nullptr;
    HRESULT checked = OpenEntry(driver, index, guard, &entry);
    if (checked != 0) {
        return checked;
    }
    BYTE left = MotorByte(entry->leftMotor.load());
    BYTE right = MotorByte(entry->rightMotor.load());
    if (kModelProfile.outputProtocol == OutputProtocol::StrengthFollowUpStop) {
        return WriteStrengthFollowUpStop(*entry, left, right);
    }
    return WriteReport(*entry, ReportKind::Strength, left, right);
}

HRESULT SendStopSequence(EffectDriver* driver, DWORD index) {
    std::unique_lock<std::mutex> guard;
    DeviceEntry* entry = nullptr;
    HRESULT checked = OpenEntry(driver, index, guard, &entry);
    if (checked != 0) {
        return checked;
    }
    HRESULT result = WriteReport(*entry, ReportKind::Stop, 0, 0);
    return result != 0 ? result : WriteReport(*entry, ReportKind::FollowUp, 0, 0);
}

bool MotorsRunning() {
    return g_motorsRunning.load();
}

void ResetMotorsRunning() {
    g_motorsRunning = true;
}
