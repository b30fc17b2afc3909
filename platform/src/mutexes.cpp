// Mutexes. A mutex belongs to the thread that acquired it, counts that
// thread's nested acquisitions, and is abandoned when its owner thread (or
// the owner's whole process) ends without releasing it: the next wait then
// owns it and says so with WAIT_ABANDONED.
//
// The mutex itself is a process-shared, robust, recursive pthread mutex:
// the robust mutex's owner-death notice (EOWNERDEAD) is exactly the
// abandonment, delivered by the host when a thread or process ends.
//  - Unnamed mutexes keep it in this process's memory.
//  - Named mutexes keep it in a POSIX shared-memory object named after the
//    event namespace and the mutex name (apart from the events' names), so
//    every process that opens the same name shares one mutex. The object
//    counts the handles open on it per process; the last CloseHandle of a
//    living process unlinks it.
// Wait time-outs run on real time, whatever the simulated clock does.
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#if defined(__SANITIZE_THREAD__)
#define SIMWIN_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SIMWIN_THREAD_SANITIZER 1
#endif
#endif

#include "faults.h"
#include "handle_table.h"
#include "process_handle_counts.h"
#include "mutexes_internal.h"
#include "simwin/control.h"
#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

constexpr uint32_t kReadyMagic = 0x4D555458;  // set once a named state is initialised

struct MutexState {
    uint32_t ready;               // kReadyMagic when usable; read and written atomically
    pthread_mutex_t guard;        // guards handles and dead
    pthread_mutex_t owner;        // the mutex that threads own
    int32_t owner_thread;         // host thread id of the owner, 0 when free; atomic
    uint32_t depth;               // the owner's nested acquisitions; the owner's alone
    ProcessHandleCounts handles;  // named: handles open, per process
    uint32_t dead;                // named: the last handle closed, the name is unlinked
};

void InitRobust(pthread_mutex_t* mutex, int type) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
    pthread_mutexattr_settype(&attr, type);
    pthread_mutex_init(mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

void InitState(MutexState* state) {
    InitRobust(&state->guard, PTHREAD_MUTEX_NORMAL);
    InitRobust(&state->owner, PTHREAD_MUTEX_RECURSIVE);
    state->owner_thread = 0;
    state->depth = 0;
    state->handles.Clear();
    state->handles.Add();
    state->dead = 0;
}

// The guard only protects counters that are consistent at every unlock.
void LockGuard(MutexState* state) {
    if (pthread_mutex_lock(&state->guard) == EOWNERDEAD) {
        pthread_mutex_consistent(&state->guard);
    }
}

class Mutex : public KernelObject {
  public:
    Mutex() : KernelObject(ObjectKind::Mutex), state_(new MutexState{}) { InitState(state_); }
    Mutex(MutexState* mapped, std::string shm_name)
        : KernelObject(ObjectKind::Mutex), state_(mapped), shm_name_(std::move(shm_name)) {}

    ~Mutex() override {
        if (shm_name_.empty()) {
            pthread_mutex_destroy(&state_->owner);
            pthread_mutex_destroy(&state_->guard);
            delete state_;
            return;
        }
        LockGuard(state_);
        state_->handles.Remove();
        if (!state_->handles.AnyAlive()) {
            state_->dead = 1;
            shm_unlink(shm_name_.c_str());
        }
        pthread_mutex_unlock(&state_->guard);
        munmap(state_, sizeof(MutexState));
    }

    DWORD Wait(DWORD milliseconds) {
        int rc;
        if (milliseconds == 0) {
            rc = pthread_mutex_trylock(&state_->owner);
        } else if (milliseconds == INFINITE) {
            rc = pthread_mutex_lock(&state_->owner);
        } else {
            rc = TimedLock(milliseconds);
        }
        if (rc == 0) {
            if (__atomic_load_n(&state_->owner_thread, __ATOMIC_RELAXED) == Self()) {
                ++state_->depth;
            } else {
                TakeOwnership();
            }
            return WAIT_OBJECT_0;
        }
        if (rc == EOWNERDEAD) {
            // The owner ended while it held the mutex: this thread owns it now.
            pthread_mutex_consistent(&state_->owner);
            TakeOwnership();
            return WAIT_ABANDONED;
        }
        if (rc == EBUSY || rc == ETIMEDOUT) {
            return WAIT_TIMEOUT;
        }
        SetLastError(ERROR_GEN_FAILURE);
        return WAIT_FAILED;
    }

    // Only the owner may release; another thread's attempt changes nothing.
    bool Release() {
        if (__atomic_load_n(&state_->owner_thread, __ATOMIC_RELAXED) != Self()) {
            return false;
        }
        if (--state_->depth == 0) {
            __atomic_store_n(&state_->owner_thread, 0, __ATOMIC_RELAXED);
        }
        return pthread_mutex_unlock(&state_->owner) == 0;
    }

  private:
    int TimedLock(DWORD milliseconds) {
        timespec deadline{};
        clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_sec += milliseconds / 1000;
        deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_nsec -= 1000000000L;
            ++deadline.tv_sec;
        }
#ifndef SIMWIN_THREAD_SANITIZER
        return pthread_mutex_timedlock(&state_->owner, &deadline);
#else
        // ThreadSanitizer takes an owner-dead result of a timed lock for a
        // lock not taken (only its blocking and try forms see it), and then
        // reports the new owner's release. Under it, a timed wait polls.
        for (;;) {
            int rc = pthread_mutex_trylock(&state_->owner);
            if (rc != EBUSY) {
                return rc;
            }
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            if (now.tv_sec > deadline.tv_sec ||
                (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec)) {
                return ETIMEDOUT;
            }
            timespec pause{0, 50000};
            nanosleep(&pause, nullptr);
        }
#endif
    }

    // Thread ids are unique across the machine's processes.
    static int32_t Self() {
        return static_cast<int32_t>(gettid());
    }

    void TakeOwnership() {
        state_->depth = 1;
        __atomic_store_n(&state_->owner_thread, Self(), __ATOMIC_RELAXED);
    }

    MutexState* state_;
    std::string shm_name_;  // empty for a process-local mutex
};

// Letters, digits and '-' stay; every other byte becomes "_XX", so the
// '.'-separated parts below cannot run into each other or into the events'
// names.
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

std::string SharedMemoryName(const std::string& mutex_name) {
    std::string name = "/" + Escape(simwin::GetEventNamespace()) + ".mutex." + Escape(mutex_name);
    constexpr size_t kMaxLength = 240;  // below the host's NAME_MAX
    if (name.size() > kMaxLength) {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a of the full name
        for (unsigned char c : name) {
            hash = (hash ^ c) * 1099511628211ull;
        }
        static const char kHex[] = "0123456789abcdef";
        std::string suffix = "~";
        for (int shift = 60; shift >= 0; shift -= 4) {
            suffix += kHex[(hash >> shift) & 0xF];
        }
        name = name.substr(0, kMaxLength - suffix.size()) + suffix;
    }
    return name;
}

MutexState* MapState(int fd) {
    void* mapping = mmap(nullptr, sizeof(MutexState), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return mapping == MAP_FAILED ? nullptr : static_cast<MutexState*>(mapping);
}

// Opens or creates the named mutex's shared state; `*existed` tells whether
// another handle (in any process) already had it open.
std::shared_ptr<Mutex> OpenNamed(const std::string& mutex_name, bool* existed, DWORD* error) {
    const std::string shm_name = SharedMemoryName(mutex_name);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int fd = shm_open(shm_name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            MutexState* state = ftruncate(fd, sizeof(MutexState)) == 0 ? MapState(fd) : nullptr;
            close(fd);
            if (state == nullptr) {
                shm_unlink(shm_name.c_str());
                *error = ERROR_GEN_FAILURE;
                return nullptr;
            }
            InitState(state);
            __atomic_store_n(&state->ready, kReadyMagic, __ATOMIC_RELEASE);
            *existed = false;
            return std::make_shared<Mutex>(state, shm_name);
        }
        if (errno != EEXIST) {
            *error = errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_GEN_FAILURE;
            return nullptr;
        }
        fd = shm_open(shm_name.c_str(), O_RDWR, 0);
        if (fd < 0) {
            if (errno == ENOENT) {
                continue;  // the last holder closed it meanwhile
            }
            *error = ERROR_GEN_FAILURE;
            return nullptr;
        }
        // The creator may not have sized and initialised it yet.
        MutexState* state = nullptr;
        for (int spin = 0; spin < 2000 && state == nullptr; ++spin) {
            struct stat info {};
            if (fstat(fd, &info) == 0 && static_cast<size_t>(info.st_size) >= sizeof(MutexState)) {
                state = MapState(fd);
                break;
            }
            usleep(500);
        }
        close(fd);
        bool ready = false;
        for (int spin = 0; state != nullptr && spin < 2000 && !ready; ++spin) {
            ready = __atomic_load_n(&state->ready, __ATOMIC_ACQUIRE) == kReadyMagic;
            if (!ready) {
                usleep(500);
            }
        }
        if (!ready) {
            if (state != nullptr) {
                munmap(state, sizeof(MutexState));
            }
            *error = ERROR_GEN_FAILURE;
            return nullptr;
        }
        LockGuard(state);
        bool dead = state->dead != 0;
        if (!dead && !state->handles.AnyAlive()) {
            // Every holder died without closing it: the mutex is gone and a
            // fresh one takes the name.
            state->dead = 1;
            shm_unlink(shm_name.c_str());
            dead = true;
        }
        if (!dead && !state->handles.Add()) {
            pthread_mutex_unlock(&state->guard);
            munmap(state, sizeof(MutexState));
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return nullptr;
        }
        pthread_mutex_unlock(&state->guard);
        if (dead) {
            munmap(state, sizeof(MutexState));
            continue;
        }
        *existed = true;
        return std::make_shared<Mutex>(state, shm_name);
    }
    *error = ERROR_GEN_FAILURE;
    return nullptr;
}

}  // namespace

bool WaitForMutex(HANDLE handle, DWORD milliseconds, DWORD* result) {
    auto mutex = LookupHandleAs<Mutex>(handle, ObjectKind::Mutex);
    if (mutex == nullptr) {
        return false;
    }
    *result = mutex->Wait(milliseconds);
    return true;
}

}  // namespace simwin::detail

using simwin::detail::LookupHandleAs;
using simwin::detail::Mutex;
using simwin::detail::ObjectKind;

extern "C" {

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                           LPCSTR lpName) {
    (void)lpMutexAttributes;
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("CreateMutexA", &error)) {
        SetLastError(error);
        return nullptr;
    }
    std::shared_ptr<Mutex> mutex;
    bool existed = false;
    if (lpName == nullptr || lpName[0] == '\0') {
        mutex = std::make_shared<Mutex>();
    } else {
        mutex = simwin::detail::OpenNamed(lpName, &existed, &error);
        if (mutex == nullptr) {
            SetLastError(error);
            return nullptr;
        }
    }
    // Asked-for initial ownership goes only to the creator of a new mutex.
    if (bInitialOwner && !existed) {
        mutex->Wait(0);
    }
    HANDLE handle = simwin::detail::InsertHandle(std::move(mutex));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
    auto mutex = LookupHandleAs<Mutex>(hMutex, ObjectKind::Mutex);
    if (mutex == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->Release()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
