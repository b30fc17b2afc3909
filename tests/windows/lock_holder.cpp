// Another Windows process that takes a model's playback lock by its name and
// holds it, as a second program using the same controller model would.
//
// Usage: lock_holder <lock name> <held event> <release event> <longest hold ms>
//
// Opens the lock the way the driver does (auto-reset, initially free), takes
// it, signals the "held" event and keeps the lock until the "release" event
// is signalled or the longest hold has passed; then frees it. Both handshake
// events are manual-reset and created by whichever side comes first.
// Exit codes: 0 released on request, 4 released after the longest hold,
// 2 bad arguments, 3 the lock or the handshake events could not be had.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 5) {
        return 2;
    }
    const DWORD longestHoldMs = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10));
    HANDLE lock = CreateEventA(nullptr, FALSE, TRUE, argv[1]);
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, argv[3]);
    if (lock == nullptr || held == nullptr || release == nullptr) {
        return 3;
    }
    if (WaitForSingleObject(lock, 5000) != WAIT_OBJECT_0) {
        return 3;
    }
    SetEvent(held);
    const bool asked = WaitForSingleObject(release, longestHoldMs) == WAIT_OBJECT_0;
    SetEvent(lock);
    CloseHandle(release);
    CloseHandle(held);
    CloseHandle(lock);
    return asked ? 0 : 4;
}
