#include "effect_driver/playback_lock.h"

#include <cstring>

#include "effect_driver/vendor_key.h"
#include "profiles/selected_model.h"

namespace {

HANDLE g_playbackLock = nullptr;  // the event: the lock itself
HANDLE g_lockOwner = nullptr;     // the mutex its holder owns alongside

constexpr char kOwnerSuffix[] = ".owner";

}  // namespace

bool CreatePlaybackLock() {
    char name[18];
    FormatVendorProductKey(name, kModelProfile.vendorId, kModelProfile.productId);
    char ownerName[sizeof name + sizeof kOwnerSuffix];
    std::memcpy(ownerName, name, sizeof name);
    std::strcat(ownerName, kOwnerSuffix);
    g_playbackLock = CreateEventA(nullptr, FALSE, TRUE, name);
    if (g_playbackLock == nullptr) {
        return false;
    }
    g_lockOwner = CreateMutexA(nullptr, FALSE, ownerName);
    if (g_lockOwner == nullptr) {
        CloseHandle(g_playbackLock);
        g_playbackLock = nullptr;
        return false;
    }
    return true;
}

void ClosePlaybackLock() {
    if (g_lockOwner != nullptr) {
        CloseHandle(g_lockOwner);
        g_lockOwner = nullptr;
    }
    if (g_playbackLock != nullptr) {
        CloseHandle(g_playbackLock);
        g_playbackLock = nullptr;
    }
}

bool AcquirePlaybackLock(DWORD milliseconds) {
    const DWORD owner = WaitForSingleObject(g_lockOwner, milliseconds);
    if (owner != WAIT_OBJECT_0 && owner != WAIT_ABANDONED) {
        SetLastError(owner);
        return false;
    }
    const bool ownerDied = owner == WAIT_ABANDONED;
    // After a death the event gets at least a full pass's wait, so that a
    // driver that knows only the event and holds it right now can finish.
    const DWORD eventWait =
        ownerDied && milliseconds < kPlaybackLockTimeoutMs ? kPlaybackLockTimeoutMs : milliseconds;
    const DWORD event = WaitForSingleObject(g_playbackLock, eventWait);
    if (event == WAIT_OBJECT_0) {
        return true;
    }
    if (ownerDied && event == WAIT_TIMEOUT) {
        // The dead owner held the event: nobody is left to signal it, so this
        // thread holds it now, as it stands.
        return true;
    }
    ReleaseMutex(g_lockOwner);
    SetLastError(event);
    return false;
}

void ReleasePlaybackLock() {
    // The event first: dying between the two leaves a free event behind an
    // abandoned mutex, which the next waiter takes as usual.
    SetEvent(g_playbackLock);
    ReleaseMutex(g_lockOwner);
}
