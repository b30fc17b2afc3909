// The process heap. Blocks come from the host allocator and are always
// zero-filled (HEAP_ZERO_MEMORY or not). The heap remembers which blocks are
// live, so that tests can check for leaks (LiveAllocations) and so that
// freeing a block twice or a pointer it never handed out fails cleanly
// (FALSE, ERROR_INVALID_PARAMETER) instead of corrupting memory.
// FailAllocation makes a chosen HeapAlloc return NULL.
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "faults.h"
#include "simwin/control.h"
#include "simwin/kernel.h"

namespace {

// Any distinct non-null value: callers only pass it back.
int g_process_heap_tag;
HANDLE const kProcessHeap = &g_process_heap_tag;

std::mutex g_mutex;
std::unordered_set<void*>* g_live = new std::unordered_set<void*>;  // never destroyed: used at exit

}  // namespace

extern "C" {

HANDLE WINAPI GetProcessHeap(void) {
    return kProcessHeap;
}

LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
    (void)dwFlags;
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("HeapAlloc", &error)) {
        SetLastError(error);
        return nullptr;
    }
    if (hHeap != kProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // A zero-byte request still yields a distinct, freeable block.
    void* block = std::calloc(1, dwBytes == 0 ? 1 : dwBytes);
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_live->insert(block);
    return block;
}

BOOL WINAPI HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem) {
    (void)dwFlags;
    if (hHeap != kProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpMem == nullptr) {
        return TRUE;
    }
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_live->erase(lpMem) == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    std::free(lpMem);
    return TRUE;
}

}  // extern "C"

size_t simwin::LiveAllocations() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_live->size();
}
