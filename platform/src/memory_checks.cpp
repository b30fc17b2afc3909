// IsBadReadPtr and IsBadWritePtr. The host cannot probe memory safely, so
// the answer comes from what is known to be bad: NULL and the first 64 KiB
// (never mapped on the platform), ranges whose end wraps past the top of
// the address space, and ranges tests declare. Unreadable memory cannot be
// written either. A size of 0 is good whatever the address, as on the
// platform. The declared ranges are guarded by one mutex: the checks may
// run on any thread.
#include <mutex>
#include <vector>

#include "kernel_extras_internal.h"
#include "simwin/control_system.h"
#include "simwin/memory_checks.h"

namespace simwin::detail {
namespace {

constexpr uintptr_t kReservedLow = 0x10000;

struct BadRange {
    uintptr_t start;
    uintptr_t end;  // exclusive
    bool readable;
};

std::mutex g_mutex;
auto* g_ranges = new std::vector<BadRange>;  // never destroyed: checks may run at exit

bool IsBad(const void* address, UINT_PTR bytes, bool forWriting) {
    if (bytes == 0) {
        return false;
    }
    const uintptr_t start = reinterpret_cast<uintptr_t>(address);
    if (start < kReservedLow) {
        return true;
    }
    uintptr_t end = 0;
    if (__builtin_add_overflow(start, bytes, &end)) {
        return true;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const BadRange& range : *g_ranges) {
        if (start < range.end && range.start < end && (forWriting || !range.readable)) {
            return true;
        }
    }
    return false;
}

void Declare(const void* start, size_t bytes, bool readable) {
    if (bytes == 0) {
        return;
    }
    const uintptr_t begin = reinterpret_cast<uintptr_t>(start);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_ranges->push_back({begin, begin + bytes, readable});
}

}  // namespace

void ResetDeclaredMemory() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_ranges->clear();
}

}  // namespace simwin::detail

extern "C" {

BOOL WINAPI IsBadReadPtr(const void* lp, UINT_PTR ucb) {
    return simwin::detail::IsBad(lp, ucb, false) ? TRUE : FALSE;
}

BOOL WINAPI IsBadWritePtr(LPVOID lp, UINT_PTR ucb) {
    return simwin::detail::IsBad(lp, ucb, true) ? TRUE : FALSE;
}

}  // extern "C"

namespace simwin {

void DeclareUnreadable(const void* start, size_t bytes) {
    detail::Declare(start, bytes, false);
}

void DeclareUnwritable(const void* start, size_t bytes) {
    detail::Declare(start, bytes, true);
}

void ClearDeclaredMemory() {
    detail::ResetDeclaredMemory();
}

}  // namespace simwin
