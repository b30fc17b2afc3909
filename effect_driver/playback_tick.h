// One pass of playback over a driver object's devices, run by its timer.
#pragma once

struct EffectDriver;

void PlaybackTick(EffectDriver* driver);
