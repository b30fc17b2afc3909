#include "effect_driver/playback_lock.h"

#include "effect_driver/vendor_key.h"
#include "profiles/selected_model.h"

namespace {
HANDLE g_playbackLock = nullptr;
}  // namespace

bool CreatePlaybackLock() {
    char name[18];
    FormatVendorProductKey(name, kModelProfile.vendorId, kModelProfile.productId);
    g_playbackLock = CreateEventA(nullptr, FALSE, TRUE, name);
    return g_playbackLock != nullptr;
}

void ClosePlaybackLock() {
    if (g_playbackLock != nullptr) {
        CloseHandle(g_playbackLock);
        g_playbackLock = nullptr;
    }
}

bool AcquirePlaybackLock(DWORD milliseconds) {
    DWORD result = WaitForSingleObject(g_playbackLock, milliseconds);
    if (result == WAIT_OBJECT_0) {
        return true;
    }
    SetLastError(result);
    return false;
}

void ReleasePlaybackLock() {
    SetEvent(g_playbackLock);
}
