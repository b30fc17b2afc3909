// The kernel handle table and CloseHandle. Handle values count up in steps
// of 4 from 0x100 and are never reused, so a stale handle fails with
// ERROR_INVALID_HANDLE rather than reaching a newer object. The table's mutex
// is never held while an object is destroyed.
#include "handle_table.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

std::mutex g_mutex;
uintptr_t g_next_value = 0x100;
// Never destroyed: handles may be closed from atexit handlers and threads
// that outlive static destruction.
auto* g_objects = new std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>>;

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const uintptr_t value = g_next_value;
    g_next_value += 4;
    g_objects->emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle, ObjectKind kind) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_objects->find(reinterpret_cast<uintptr_t>(handle));
    if (it == g_objects->end() || it->second->kind() != kind) {
        return nullptr;
    }
    return it->second;
}

}  // namespace simwin::detail

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
    std::shared_ptr<simwin::detail::KernelObject> object;
    {
        std::lock_guard<std::mutex> lock(simwin::detail::g_mutex);
        auto it = simwin::detail::g_objects->find(reinterpret_cast<uintptr_t>(hObject));
        if (it == simwin::detail::g_objects->end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        object = std::move(it->second);
        simwin::detail::g_objects->erase(it);
    }
    object.reset();  // teardown outside the table's lock
    return TRUE;
}
