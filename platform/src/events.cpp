// Events and waits. An event is a small shared state (signalled flag, reset
// mode, waiter bookkeeping) guarded by a process-shared robust mutex with a
// condition variable on the monotonic clock.
//  - Unnamed events keep that state in this process's memory.
//  - Named events keep it in a POSIX shared-memory object whose name is
//    derived from the event namespace and the event name, so every process
//    of the machine that opens the same name shares one event. The object
//    counts the handles open on it per process; the last CloseHandle of a
//    living process unlinks it (handles of processes that died no longer
//    count), so a later CreateEventA of that name starts a fresh event.
//    A process that dies while holding the mutex does not wedge the others:
//    the mutex is robust and the state stays usable.
//
// Semantics kept:
//  - CreateEventA of an existing name returns a handle to that event, sets
//    ERROR_ALREADY_EXISTS and ignores its own reset mode and initial state;
//    a fresh event clears the last error.
//  - Auto-reset: each SetEvent releases exactly one waiter (a waiter already
//    blocked is handed the release at SetEvent time, so two quick SetEvents
//    release two blocked waiters); with nobody waiting the event stays
//    signalled until one wait consumes it.
//  - Manual-reset: SetEvent releases every thread waiting at that moment,
//    even if ResetEvent follows at once.
//  - Wait time-outs run on real time, whatever the simulated clock does.
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>

#include "faults.h"
#include "handle_table.h"
#include "mutexes_internal.h"
#include "process_handle_counts.h"
#include "simwin/control.h"
#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

constexpr uint32_t kReadyMagic = 0x45564E54;  // set once a named state is initialised

struct EventState {
    uint32_t ready;  // kReadyMagic when usable; read and written atomically
    pthread_mutex_t mutex;
    pthread_cond_t cond;
    uint32_t manual_reset;
    uint32_t signalled;
    ProcessHandleCounts handles;  // named: handles open, per process
    uint32_t dead;                // named: the last handle closed, the name is unlinked
    uint32_t waiters;             // auto-reset: threads blocked in a wait
    uint32_t releases;            // auto-reset: SetEvents handed to blocked waiters
    uint64_t generation;          // manual-reset: counts SetEvents
};

void InitState(EventState* state, bool manual_reset, bool initial_state) {
    pthread_mutexattr_t mutex_attr;
    pthread_mutexattr_init(&mutex_attr);
    pthread_mutexattr_setpshared(&mutex_attr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&mutex_attr, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&state->mutex, &mutex_attr);
    pthread_mutexattr_destroy(&mutex_attr);

    pthread_condattr_t cond_attr;
    pthread_condattr_init(&cond_attr);
    pthread_condattr_setpshared(&cond_attr, PTHREAD_PROCESS_SHARED);
    pthread_condattr_setclock(&cond_attr, CLOCK_MONOTONIC);
    pthread_cond_init(&state->cond, &cond_attr);
    pthread_condattr_destroy(&cond_attr);

    state->manual_reset = manual_reset ? 1 : 0;
    state->signalled = initial_state ? 1 : 0;
    state->handles.Clear();
    state->handles.Add();
    state->dead = 0;
    state->waiters = 0;
    state->releases = 0;
    state->generation = 0;
}

// The state's fields are plain values that stay consistent at every unlock,
// so a previous owner's death needs no repair beyond marking it consistent.
void LockState(EventState* state) {
    if (pthread_mutex_lock(&state->mutex) == EOWNERDEAD) {
        pthread_mutex_consistent(&state->mutex);
    }
}

void UnlockState(EventState* state) {
    pthread_mutex_unlock(&state->mutex);
}

class Event : public KernelObject {
  public:
    // Process-local event.
    Event(bool manual_reset, bool initial_state)
        : KernelObject(ObjectKind::Event), state_(new EventState{}) {
        InitState(state_, manual_reset, initial_state);
    }
    // Named event whose state is mapped from `shm_name`.
    Event(EventState* mapped, std::string shm_name)
        : KernelObject(ObjectKind::Event), state_(mapped), shm_name_(std::move(shm_name)) {}

    ~Event() override {
        if (shm_name_.empty()) {
            pthread_cond_destroy(&state_->cond);
            pthread_mutex_destroy(&state_->mutex);
            delete state_;
            return;
        }
        LockState(state_);
        state_->handles.Remove();
        if (!state_->handles.AnyAlive()) {
            // Unlinking under the lock: a process that opened the old object
            // just before sees `dead` and creates a fresh one instead.
            state_->dead = 1;
            shm_unlink(shm_name_.c_str());
        }
        UnlockState(state_);
        munmap(state_, sizeof(EventState));
    }

    void Set() {
        LockState(state_);
        if (state_->manual_reset) {
            state_->signalled = 1;
            ++state_->generation;
        } else if (state_->waiters > state_->releases) {
            ++state_->releases;
        } else {
            state_->signalled = 1;
        }
        pthread_cond_broadcast(&state_->cond);
        UnlockState(state_);
    }

    void Reset() {
        LockState(state_);
        state_->signalled = 0;
        UnlockState(state_);
    }

    DWORD Wait(DWORD milliseconds) {
        timespec deadline{};
        if (milliseconds != INFINITE) {
            clock_gettime(CLOCK_MONOTONIC, &deadline);
            deadline.tv_sec += milliseconds / 1000;
            deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
            if (deadline.tv_nsec >= 1000000000L) {
                deadline.tv_nsec -= 1000000000L;
                ++deadline.tv_sec;
            }
        }
        EventState* s = state_;
        LockState(s);
        const bool manual = s->manual_reset != 0;
        // Fast path. A release left over for a waiter that has gone (its
        // process died) is taken here too, so it is never lost.
        if (s->signalled || (!manual && s->releases > 0)) {
            if (!manual) {
                if (s->signalled) {
                    s->signalled = 0;
                } else {
                    --s->releases;
                }
            }
            UnlockState(s);
            return WAIT_OBJECT_0;
        }
        if (milliseconds == 0) {
            UnlockState(s);
            return WAIT_TIMEOUT;
        }
        const uint64_t generation = s->generation;
        if (!manual) {
            ++s->waiters;
        }
        DWORD result = WAIT_TIMEOUT;
        for (;;) {
            if (manual ? (s->signalled || s->generation != generation) : s->releases > 0) {
                if (!manual) {
                    --s->releases;
                }
                result = WAIT_OBJECT_0;
                break;
            }
            if (!manual && s->signalled) {
                // Set while nobody was counted as waiting for it.
                s->signalled = 0;
                result = WAIT_OBJECT_0;
                break;
            }
            int rc = milliseconds == INFINITE
                         ? pthread_cond_wait(&s->cond, &s->mutex)
                         : pthread_cond_timedwait(&s->cond, &s->mutex, &deadline);
            if (rc == EOWNERDEAD) {
                pthread_mutex_consistent(&s->mutex);
            } else if (rc == ETIMEDOUT) {
                // A release that arrived together with the time-out counts.
                if (manual ? (s->signalled || s->generation != generation) : s->releases > 0) {
                    continue;
                }
                break;
            }
        }
        if (!manual) {
            --s->waiters;
        }
        UnlockState(s);
        return result;
    }

  private:
    EventState* state_;
    std::string shm_name_;  // empty for a process-local event
};

// --- Namespace and shared-memory names -------------------------------------

std::mutex g_namespace_mutex;
std::string* g_namespace = nullptr;  // lazily set; never destroyed

std::string CurrentNamespace() {
    std::lock_guard<std::mutex> lock(g_namespace_mutex);
    if (g_namespace == nullptr) {
        const char* inherited = std::getenv("SIMWIN_NAMESPACE");
        g_namespace = new std::string(inherited != nullptr && inherited[0] != '\0'
                                          ? inherited
                                          : "simwin-" + std::to_string(getuid()));
    }
    return *g_namespace;
}

// Shared-memory names allow one leading '/' and no other; event names may
// hold any character ('&', '\', ...). Letters, digits and '-' stay; every
// other byte becomes "_XX", so distinct names stay distinct and '.' is free
// to separate the namespace from the event name.
std::string Escape(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '_';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

std::string SharedMemoryName(const std::string& event_name) {
    std::string name = "/" + Escape(CurrentNamespace()) + "." + Escape(event_name);
    constexpr size_t kMaxLength = 240;  // below the host's NAME_MAX
    if (name.size() > kMaxLength) {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a of the full name
        for (unsigned char c : name) {
            hash = (hash ^ c) * 1099511628211ull;
        }
        char suffix[24];
        std::snprintf(suffix, sizeof(suffix), "~%016llx", static_cast<unsigned long long>(hash));
        name = name.substr(0, kMaxLength - 17) + suffix;
    }
    return name;
}

DWORD ErrorFromErrno(int error) {
    return error == EACCES || error == EPERM ? ERROR_ACCESS_DENIED : ERROR_GEN_FAILURE;
}

EventState* MapState(int fd) {
    void* mapping = mmap(nullptr, sizeof(EventState), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return mapping == MAP_FAILED ? nullptr : static_cast<EventState*>(mapping);
}

// Opens or creates the named event's shared state. On success `*existed`
// tells whether another handle (in any process) already had it open.
std::shared_ptr<Event> OpenNamed(const std::string& event_name, bool manual_reset,
                                 bool initial_state, bool* existed, DWORD* error) {
    const std::string shm_name = SharedMemoryName(event_name);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int fd = shm_open(shm_name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            EventState* state = nullptr;
            if (ftruncate(fd, sizeof(EventState)) == 0) {
                state = MapState(fd);
            }
            const int saved = errno;
            close(fd);
            if (state == nullptr) {
                shm_unlink(shm_name.c_str());
                *error = ErrorFromErrno(saved);
                return nullptr;
            }
            InitState(state, manual_reset, initial_state);
            __atomic_store_n(&state->ready, kReadyMagic, __ATOMIC_RELEASE);
            *existed = false;
            return std::make_shared<Event>(state, shm_name);
        }
        if (errno != EEXIST) {
            *error = ErrorFromErrno(errno);
            return nullptr;
        }
        fd = shm_open(shm_name.c_str(), O_RDWR, 0);
        if (fd < 0) {
            if (errno == ENOENT) {
                continue;  // the last holder closed it meanwhile
            }
            *error = ErrorFromErrno(errno);
            return nullptr;
        }
        // The creator may not have sized and initialised it yet.
        EventState* state = nullptr;
        for (int spin = 0; spin < 2000 && state == nullptr; ++spin) {
            struct stat info {};
            if (fstat(fd, &info) == 0 && static_cast<size_t>(info.st_size) >= sizeof(EventState)) {
                state = MapState(fd);
                break;
            }
            usleep(500);
        }
        close(fd);
        if (state == nullptr) {
            *error = ERROR_GEN_FAILURE;
            return nullptr;
        }
        bool ready = false;
        for (int spin = 0; spin < 2000 && !ready; ++spin) {
            ready = __atomic_load_n(&state->ready, __ATOMIC_ACQUIRE) == kReadyMagic;
            if (!ready) {
                usleep(500);
            }
        }
        if (!ready) {
            munmap(state, sizeof(EventState));
            *error = ERROR_GEN_FAILURE;
            return nullptr;
        }
        LockState(state);
        bool dead = state->dead != 0;
        if (!dead && !state->handles.AnyAlive()) {
            // Every holder died without closing it: the system would have
            // closed their handles, so the event is gone and a fresh one
            // takes the name.
            state->dead = 1;
            shm_unlink(shm_name.c_str());
            dead = true;
        }
        if (!dead && !state->handles.Add()) {
            UnlockState(state);
            munmap(state, sizeof(EventState));
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return nullptr;
        }
        UnlockState(state);
        if (dead) {
            munmap(state, sizeof(EventState));
            continue;
        }
        *existed = true;
        return std::make_shared<Event>(state, shm_name);
    }
    *error = ERROR_GEN_FAILURE;
    return nullptr;
}

}  // namespace
}  // namespace simwin::detail

using simwin::detail::Event;
using simwin::detail::LookupHandleAs;
using simwin::detail::ObjectKind;

extern "C" {

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                           BOOL bInitialState, LPCSTR lpName) {
    (void)lpEventAttributes;
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("CreateEventA", &error)) {
        SetLastError(error);
        return nullptr;
    }
    std::shared_ptr<Event> event;
    bool existed = false;
    if (lpName == nullptr || lpName[0] == '\0') {
        event = std::make_shared<Event>(bManualReset != FALSE, bInitialState != FALSE);
    } else {
        event = simwin::detail::OpenNamed(lpName, bManualReset != FALSE, bInitialState != FALSE,
                                          &existed, &error);
        if (event == nullptr) {
            SetLastError(error);
            return nullptr;
        }
    }
    HANDLE handle = simwin::detail::InsertHandle(std::move(event));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
    auto event = LookupHandleAs<Event>(hEvent, ObjectKind::Event);
    if (event == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->Set();
    return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
    auto event = LookupHandleAs<Event>(hEvent, ObjectKind::Event);
    if (event == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->Reset();
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("WaitForSingleObject", &error)) {
        SetLastError(error);
        return WAIT_FAILED;
    }
    auto event = LookupHandleAs<Event>(hHandle, ObjectKind::Event);
    if (event == nullptr) {
        DWORD result = WAIT_FAILED;
        if (simwin::detail::WaitForMutex(hHandle, dwMilliseconds, &result)) {
            return result;
        }
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return event->Wait(dwMilliseconds);
}

}  // extern "C"

namespace simwin {

void SetEventNamespace(const std::string& name) {
    std::lock_guard<std::mutex> lock(detail::g_namespace_mutex);
    if (detail::g_namespace == nullptr) {
        detail::g_namespace = new std::string(name);
    } else {
        *detail::g_namespace = name;
    }
    // Children started from now on share this namespace.
    setenv("SIMWIN_NAMESPACE", name.c_str(), 1);
}

std::string GetEventNamespace() {
    return detail::CurrentNamespace();
}

}  // namespace simwin
