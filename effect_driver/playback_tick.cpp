#include "effect_driver/playback_tick.h"

#include "effect_driver/device_connection.h"
#include "effect_driver/effect_driver.h"
#include "effect_driver/force_synthesis.h"
#include "effect_driver/motor_reports.h"
#include "effect_driver/playback_lock.h"
#include "profiles/selected_model.h"

namespace {

// Motor sums are kept wide and signed while effects are added, so that
// negative forces lower them without wrapping; what stays below zero sends
// no force.
struct MotorSums {
    long long left = 0;
    long long right = 0;
};

DWORD ToAccumulator(long long sum) {
    if (sum <= 0) {
        return 0;
    }
    return sum >= 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<DWORD>(sum);
}

void Mix(const AxisForces& forces, DWORD typeIndex, MotorSums& sums) {
    if (forces.count == 1) {
        sums.left += forces.forces[0];
        sums.right += forces.forces[0];
        return;
    }
    if (forces.count != 2) {
        return;
    }
    const LONG f0 = forces.forces[0];
    const LONG f1 = forces.forces[1];
    if (kModelProfile.motorMixing == MotorMixing::Straight) {
        sums.left += f0;
        sums.right += f1;
    } else {
        sums.left += f1;
        sums.right += f0;
        if (typeIndex != 0) {
            sums.left += f0;
        }
    }
}

// Advances the effect's iteration; false when its last one ended, in which
// case it is stopped and adds nothing now.
bool AdvanceIteration(EffectSlot& slot) {
    // The start time is read before the clock: a StartEffect on another
    // thread stores a start no later than any clock reading that follows,
    // so the difference never wraps to a huge elapsed time.
    const DWORD start = slot.startTime.load();
    const DWORD now = GetTickCount();
    DWORD elapsed = now - start;
    // Compared in unsigned 32-bit microseconds, which wrap after 71.6 minutes.
    if (elapsed * 1000u > slot.parameters.dwDuration) {
        const DWORD left = slot.iterationsLeft.load() - 1;
        slot.iterationsLeft = left;
        if (left == 0) {
            slot.playState = kStopped;
            return false;
        }
        slot.startTime = now;
        elapsed = 0;
    }
    slot.elapsedTime = elapsed;
    return true;
}

void PlayDevice(EffectDriver* driver, DWORD index) {
    DeviceEntry& entry = driver->devices[index];
    if (entry.bound.load() == 0 || !EnsureConnected(entry)) {
        return;
    }
    MotorSums sums;
    for (DWORD position = 0; position < kEffectSlotCount; ++position) {
        EffectSlot& slot = entry.slots[position];
        if (slot.inUse == 0 || slot.playState.load() != kPlaying) {
            continue;
        }
        if (!AdvanceIteration(slot)) {
            continue;
        }
        AxisForces forces;
        if (SUCCEEDED(ComputeAxisForces(&forces, &entry, position))) {
            Mix(forces, slot.typeIndex, sums);
        }
    }
    entry.leftMotor = ToAccumulator(sums.left);
    entry.rightMotor = ToAccumulator(sums.right);
    const auto unplugged = static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED);
    if (WriteMotorReport(driver, index) != unplugged) {
        return;
    }
    // The handle is dead. A controller taken out and put back since the
    // last tick opens again at once, so its output resumes on this tick;
    // one still out is looked for again by the next tick.
    CloseConnection(entry);
    if (EnsureConnected(entry) && WriteMotorReport(driver, index) == unplugged) {
        CloseConnection(entry);
    }
}

}  // namespace

void PlaybackTick(EffectDriver* driver) {
    // A pass that cannot have the lock in time is skipped; the next tick
    // plays on from the effects' own clocks.
    if (!AcquirePlaybackLock(kPlaybackLockTimeoutMs)) {
        return;
    }
    for (DWORD index = 0; index < kDeviceCount; ++index) {
        PlayDevice(driver, index);
    }
    ReleasePlaybackLock();
}
