// The PlaybackLock: the one lock of the driver, held by DownloadEffect,
// DestroyEffect and the playback tick around their work on the effect slots.
//
// It is a named auto-reset event that starts signalled: acquiring is a wait
// that ends the signalled state, releasing signals it again. Because it is
// named after the model's vendor/product key, every process that loads the
// same model's driver opens the same event, so playback is serialised across
// processes as well as threads. The event has no owner thread: a holder must
// release before it acquires again.
#pragma once

#include <windows.h>

// Creates (or opens) the event at module load; false when no handle came back.
bool CreatePlaybackLock();
// Closes the handle at module unload.
void ClosePlaybackLock();

// Waits at most `milliseconds`. On failure the thread's last error holds the
// wait's result (WAIT_TIMEOUT for a time-out).
bool AcquirePlaybackLock(DWORD milliseconds);
void ReleasePlaybackLock();

// Every caller waits this long at most.
inline constexpr DWORD kPlaybackLockTimeoutMs = 100;
