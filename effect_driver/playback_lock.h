// The PlaybackLock: the one lock of the driver, held by DownloadEffect,
// DestroyEffect and the playback tick around their work on the effect slots.
//
// It is a named auto-reset event that starts signalled: acquiring is a wait
// that ends the signalled state, releasing signals it again. Because it is
// named after the model's vendor/product key, every process that loads the
// same model's driver opens the same event, so playback is serialised across
// processes as well as threads. The event has no owner thread: a holder must
// release before it acquires again.
//
// An event cannot tell that its holder has died: a process killed in the
// middle of a pass would leave it unsignalled, and every process of the
// model would then fail every download and destroy and skip every tick for
// as long as the event exists. So a holder also owns a companion named
// mutex, "<key>.owner", which it takes before the event and gives back after
// it. A mutex belongs to a thread, and when that thread or its process ends
// without letting go, the next waiter is told (WAIT_ABANDONED) and owns it.
// That waiter then takes the event as the dead holder left it: if the event
// is still unsignalled after a full wait, nobody is left to signal it, and
// the waiter holds it in the dead holder's stead.
//  - The event keeps its name and role, so a driver that knows only the
//    event still excludes this one and is excluded by it.
//  - A holder that is only slow is alive and keeps its mutex: waiters time
//    out as they always did, and nobody takes the lock from it.
//  - The mutex is taken and given back on the same thread, as every holder
//    (a driver call or one pass of the tick) already does.
#pragma once

#include <windows.h>

// Creates (or opens) the event and its owner mutex at module load; false
// when either handle did not come back.
bool CreatePlaybackLock();
// Closes the handles at module unload.
void ClosePlaybackLock();

// Waits at most `milliseconds` for the owner mutex and at most as long again
// for the event (after an owner's death, at least kPlaybackLockTimeoutMs for
// the event). On failure the thread's last error holds the wait's result
// (WAIT_TIMEOUT for a time-out).
// Every caller waits this long at most.
inline constexpr DWORD kPlaybackLockTimeoutMs = 100;

bool AcquirePlaybackLock(DWORD milliseconds);
void ReleasePlaybackLock();
