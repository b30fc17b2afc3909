// Critical sections. Each initialised section owns a host recursive mutex,
// kept behind the record's LockSemaphore; OwningThread and RecursionCount
// are maintained by the owner as on the platform, so a section can be
// inspected. Semantics kept and choices:
//  - Enter is recursive; each Enter needs its Leave.
//  - Leave by a thread that does not own the section would corrupt it on
//    the platform; here it is ignored.
//  - Delete of a section the calling thread still holds releases it first;
//    a section held by another thread is left allocated (freeing it would
//    pull the lock from under its owner) and the record is cleared.
//  - Using a section that was never initialised, or after Delete, is a
//    programming error: the process stops with a message rather than
//    touching random memory.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "simwin/control_system.h"
#include "simwin/critical_sections.h"

namespace simwin::detail {
namespace {

std::atomic<size_t> g_live{0};
std::atomic<uintptr_t> g_next_thread_id{1};
thread_local uintptr_t t_thread_id = 0;

HANDLE CurrentThreadTag() {
    if (t_thread_id == 0) {
        t_thread_id = g_next_thread_id.fetch_add(1);
    }
    return reinterpret_cast<HANDLE>(t_thread_id);
}

std::recursive_mutex* LockOf(LPCRITICAL_SECTION section, const char* function) {
    if (section == nullptr || section->LockSemaphore == nullptr) {
        std::fprintf(stderr, "simwin: %s on a critical section that is not initialised\n",
                     function);
        std::abort();
    }
    return static_cast<std::recursive_mutex*>(section->LockSemaphore);
}

// OwningThread is read by threads that do not hold the section (to learn
// that they do not own it), so it is accessed atomically; RecursionCount is
// touched only by the owner.
HANDLE OwnerOf(LPCRITICAL_SECTION section) {
    return __atomic_load_n(&section->OwningThread, __ATOMIC_RELAXED);
}

void SetOwner(LPCRITICAL_SECTION section, HANDLE owner) {
    __atomic_store_n(&section->OwningThread, owner, __ATOMIC_RELAXED);
}

void Acquired(LPCRITICAL_SECTION section) {
    SetOwner(section, CurrentThreadTag());
    ++section->RecursionCount;
}

}  // namespace
}  // namespace simwin::detail

extern "C" {

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    *lpCriticalSection = {};
    lpCriticalSection->LockCount = -1;
    lpCriticalSection->LockSemaphore = new std::recursive_mutex;
    ++simwin::detail::g_live;
}

BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection,
                                                  DWORD dwSpinCount) {
    InitializeCriticalSection(lpCriticalSection);
    lpCriticalSection->SpinCount = dwSpinCount;
    return TRUE;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    simwin::detail::LockOf(lpCriticalSection, "EnterCriticalSection")->lock();
    simwin::detail::Acquired(lpCriticalSection);
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (!simwin::detail::LockOf(lpCriticalSection, "TryEnterCriticalSection")->try_lock()) {
        return FALSE;
    }
    simwin::detail::Acquired(lpCriticalSection);
    return TRUE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    std::recursive_mutex* lock = simwin::detail::LockOf(lpCriticalSection, "LeaveCriticalSection");
    if (simwin::detail::OwnerOf(lpCriticalSection) != simwin::detail::CurrentThreadTag()) {
        return;
    }
    if (--lpCriticalSection->RecursionCount == 0) {
        simwin::detail::SetOwner(lpCriticalSection, nullptr);
    }
    lock->unlock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    std::recursive_mutex* lock = simwin::detail::LockOf(lpCriticalSection, "DeleteCriticalSection");
    if (simwin::detail::OwnerOf(lpCriticalSection) == simwin::detail::CurrentThreadTag()) {
        while (lpCriticalSection->RecursionCount > 0) {
            --lpCriticalSection->RecursionCount;
            lock->unlock();
        }
        simwin::detail::SetOwner(lpCriticalSection, nullptr);
    }
    if (simwin::detail::OwnerOf(lpCriticalSection) == nullptr) {
        delete lock;
    }
    *lpCriticalSection = {};
    --simwin::detail::g_live;
}

}  // extern "C"

size_t simwin::LiveCriticalSections() {
    return detail::g_live.load();
}
