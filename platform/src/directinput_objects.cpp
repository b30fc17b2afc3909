// Accounting shared by every simulated DirectInput object: the count of live
// objects, retired objects and calls made on them, fault injection and the
// filler of unimplemented table slots.
//
// A retired object's memory is never freed: a stale pointer must still
// reach a reference count that says "released" so that the call can be
// counted. The retired list is only appended to (under its own mutex); the
// counters are atomic.
#include <atomic>
#include <mutex>
#include <vector>

#include "directinput_internal.h"
#include "faults.h"
#include "simwin/control_devices.h"
#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

std::atomic<size_t> g_live_objects{0};
std::atomic<size_t> g_release_errors{0};

std::mutex g_retired_mutex;
// Never destroyed: objects may be released from threads that outlive static
// destruction, and the list keeps retired objects reachable.
auto* g_retired = new std::vector<const void*>;

// Callers pass their slot's own arguments; the platform's calling
// convention lets the callee ignore them.
HRESULT STDMETHODCALLTYPE NotImplemented() {
    return E_NOTIMPL;
}

}  // namespace

void* const kNotImplemented = reinterpret_cast<void*>(&NotImplemented);

void NoteObjectCreated() {
    ++g_live_objects;
}

void RetireObject(const void* object) {
    {
        std::lock_guard<std::mutex> lock(g_retired_mutex);
        g_retired->push_back(object);
    }
    --g_live_objects;
}

void NoteReleaseError() {
    ++g_release_errors;
}

void ResetReleaseErrors() {
    g_release_errors = 0;
}

ULONG AddReference(LONG* refs) {
    // A retired object stays at zero: only a live count may grow.
    LONG seen = InterlockedCompareExchange(refs, 0, 0);
    while (seen > 0) {
        const LONG before = InterlockedCompareExchange(refs, seen + 1, seen);
        if (before == seen) {
            return static_cast<ULONG>(seen + 1);
        }
        seen = before;
    }
    NoteReleaseError();
    return 0;
}

ULONG DropReference(LONG* refs, bool* last) {
    *last = false;
    LONG seen = InterlockedCompareExchange(refs, 0, 0);
    while (seen > 0) {
        const LONG before = InterlockedCompareExchange(refs, seen - 1, seen);
        if (before == seen) {
            *last = seen == 1;
            return static_cast<ULONG>(seen - 1);
        }
        seen = before;
    }
    NoteReleaseError();
    return 0;
}

bool IsRetired(LONG* refs) {
    if (InterlockedCompareExchange(refs, 0, 0) > 0) {
        return false;
    }
    NoteReleaseError();
    return true;
}

HRESULT InjectedFailure(const char* function) {
    DWORD error = ERROR_SUCCESS;
    if (!ShouldFail(function, &error)) {
        return S_OK;
    }
    const auto result = static_cast<HRESULT>(error);
    return result < 0 ? result : E_FAIL;
}

}  // namespace simwin::detail

namespace simwin {

size_t LiveDirectInputObjects() {
    return detail::g_live_objects.load();
}

size_t DirectInputReleaseErrors() {
    return detail::g_release_errors.load();
}

}  // namespace simwin
