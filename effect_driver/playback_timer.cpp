#include "effect_driver/playback_timer.h"

#include <windows.h>
#include <mmsystem.h>

#include "effect_driver/effect_driver.h"
#include "effect_driver/playback_tick.h"
#include "profiles/selected_model.h"

namespace {

constexpr UINT kTimerResolutionMs = 100;

void CALLBACK OnPlaybackTimer(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    PlaybackTick(reinterpret_cast<EffectDriver*>(user));
}

}  // namespace

void StartPlaybackTimer(EffectDriver* driver) {
    if (driver->playbackTimer.load() != 0) {
        return;
    }
    // Killing synchronously guarantees that no tick runs on the driver once
    // the timer is cancelled, so the driver can then be freed.
    UINT timer =
        timeSetEvent(kModelProfile.playbackPeriodMs, kTimerResolutionMs, OnPlaybackTimer,
                     reinterpret_cast<DWORD_PTR>(driver), TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    if (timer == 0) {
        return;
    }
    UINT none = 0;
    if (!driver->playbackTimer.compare_exchange_strong(none, timer)) {
        // Another binding started one meanwhile.
        timeKillEvent(timer);
    }
}

void StopPlaybackTimer(EffectDriver* driver) {
    UINT timer = driver->playbackTimer.exchange(0);
    if (timer != 0) {
        timeKillEvent(timer);
    }
}
