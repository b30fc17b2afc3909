// The periodic multimedia timer that runs a driver object's playback tick.
#pragma once

struct EffectDriver;

// Starts the timer unless one runs: the model's period, 100 ms resolution,
// the playback tick with the driver as its argument. A start that fails
// leaves none running, to be tried again at the next binding.
void StartPlaybackTimer(EffectDriver* driver);

// Cancels the timer, if one runs, and returns once no tick is in progress
// and none can start.
void StopPlaybackTimer(EffectDriver* driver);
