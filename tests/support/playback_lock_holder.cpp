// Another process of the same model that holds the playback lock through the
// driver's own lock code, as a second program's driver does in the middle of
// a pass. The tests kill it while it holds the lock, or let it dawdle.
//
// Usage: playback_lock_holder <held event> <release event> <longest hold ms>
//
// Takes the lock, signals the manual-reset "held" event and keeps the lock
// until the manual-reset "release" event is signalled or the longest hold
// has passed; then frees it. Whichever side comes first creates the events.
// Exit codes: 0 released on request, 4 released after the longest hold,
// 2 bad arguments, 3 the lock or the handshake events could not be had.
#include <windows.h>

#include <cstdlib>

#include "effect_driver/playback_lock.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        return 2;
    }
    const DWORD longestHoldMs = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, argv[1]);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
    if (held == nullptr || release == nullptr || !CreatePlaybackLock()) {
        return 3;
    }
    bool holding = false;
    for (int attempt = 0; attempt < 50 && !holding; ++attempt) {
        holding = AcquirePlaybackLock(kPlaybackLockTimeoutMs);
    }
    if (!holding) {
        return 3;
    }
    SetEvent(held);
    const bool asked = WaitForSingleObject(release, longestHoldMs) == WAIT_OBJECT_0;
    ReleasePlaybackLock();
    ClosePlaybackLock();
    CloseHandle(release);
    CloseHandle(held);
    return asked ? 0 : 4;
}
