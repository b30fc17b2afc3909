// The kernel handle table: maps HANDLE values to kernel objects (events,
// mutexes and files opened on devices). Objects are shared: a wait in progress keeps its
// object alive even if another thread closes the handle meanwhile. Closing
// the last reference runs the object's destructor, which does the
// kind-specific teardown.
#pragma once

#include <memory>

#include "simwin/types.h"

namespace simwin::detail {

enum class ObjectKind { Event, Mutex, DeviceFile };

class KernelObject {
  public:
    explicit KernelObject(ObjectKind kind) : kind_(kind) {}
    virtual ~KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    ObjectKind kind() const { return kind_; }

  private:
    ObjectKind kind_;
};

// Adds an object and returns its new handle (never NULL or
// INVALID_HANDLE_VALUE, never reused within the process).
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind `handle` if it is open and of `kind`, else null.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle, ObjectKind kind);

template <typename T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle, ObjectKind kind) {
    return std::static_pointer_cast<T>(LookupHandle(handle, kind));
}

}  // namespace simwin::detail
