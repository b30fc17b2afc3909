// The HID controllers plugged into the machine and their control panel.
//
// Locking: one mutex guards the table and every controller's changing state
// (presence, connection count, open handles, recorded opens and reports,
// armed write failures and stalls). It is held only for short bookkeeping:
// never while a write stalls, and never while the handle table, the clock
// or the fault list is called, so there is no lock order to keep.
//
// Semantics kept:
//  - Controllers are listed in plug order (their ids count up and are never
//    reused, not even after Reset, so a stale id never reaches a newer
//    controller). Replugging keeps a controller's place.
//  - An open matches the interface path without case. Two present
//    controllers with one path: the first plugged wins.
//  - Unplugging starts a new connection: handles opened before stay open
//    (and counted by OpenHandleCount until closed) but never reach the
//    device again, even after a replug.
//  - Ids the table does not know (never plugged, or removed by Reset) are
//    ignored by the setters and read as empty by the getters.
#include "hid_controllers.h"

#include <strings.h>

#include <map>
#include <mutex>

#include "simwin/files.h"

namespace simwin::detail {
namespace {

// The helpers below expect g_mutex to be held by their caller.
std::mutex g_mutex;
ControllerId g_next_id = 1;
// Never destroyed: handles may be closed from threads that outlive static
// destruction.
auto* g_controllers = new std::map<ControllerId, std::shared_ptr<Controller>>;

Controller* FindLocked(ControllerId id) {
    auto it = g_controllers->find(id);
    return it == g_controllers->end() ? nullptr : it->second.get();
}

std::shared_ptr<Controller> FindPresentByPathLocked(const char* path) {
    for (const auto& [id, controller] : *g_controllers) {
        if (controller->present && strcasecmp(controller->spec.interfacePath.c_str(), path) == 0) {
            return controller;
        }
    }
    return nullptr;
}

}  // namespace

DWORD OpenController(const char* path, const OpenRecord& record,
                     std::shared_ptr<Controller>* controller, unsigned* connection) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Controller> found = FindPresentByPathLocked(path);
    if (found == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    // The system keeps every HID device open for reading and writing, so an
    // open that does not share both is refused just like one that meets
    // another program's exclusive hold.
    const DWORD shareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (found->heldElsewhere || (record.shareMode & shareBoth) != shareBoth) {
        return ERROR_SHARING_VIOLATION;
    }
    ++found->openHandles;
    found->opens.push_back(record);
    *connection = found->connection;
    *controller = std::move(found);
    return ERROR_SUCCESS;
}

void NoteHandleClosed(Controller& controller) {
    std::lock_guard<std::mutex> lock(g_mutex);
    --controller.openHandles;
}

bool IsConnected(Controller& controller, unsigned connection) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return controller.present && !controller.removed && controller.connection == connection;
}

WritePlan PlanWrite(Controller& controller, unsigned connection, DWORD count) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!controller.present || controller.removed || controller.connection != connection) {
        return {ERROR_DEVICE_NOT_CONNECTED, 0, 0};
    }
    WritePlan plan{ERROR_SUCCESS, count, controller.stallMs};
    if (controller.failuresLeft > 0) {
        --controller.failuresLeft;
        plan.error = controller.failError;
        plan.transferred = controller.failBytes < count ? controller.failBytes : count;
    }
    return plan;
}

void RecordReport(Controller& controller, const BYTE* bytes, DWORD count, DWORD time) {
    WrittenReport report{std::vector<BYTE>(bytes, bytes + count), time};
    std::lock_guard<std::mutex> lock(g_mutex);
    controller.reports.push_back(std::move(report));
}

std::vector<ControllerInterface> ControllerInterfaces(bool presentOnly) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<ControllerInterface> interfaces;
    for (const auto& [id, controller] : *g_controllers) {
        if (controller->present || !presentOnly) {
            interfaces.push_back({id, controller->spec.interfacePath});
        }
    }
    return interfaces;
}

bool DirectInputInstanceForPath(const char* path, GUID* instance) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Controller> found = FindPresentByPathLocked(path);
    if (found == nullptr) {
        return false;
    }
    *instance = found->spec.directInputInstance;
    return true;
}

InstancePresence DirectInputInstancePresence(const GUID& instance) {
    std::lock_guard<std::mutex> lock(g_mutex);
    InstancePresence presence = InstancePresence::NoController;
    for (const auto& [id, controller] : *g_controllers) {
        if (IsEqualGUID(controller->spec.directInputInstance, instance)) {
            if (controller->present) {
                return InstancePresence::Present;
            }
            presence = InstancePresence::Unplugged;
        }
    }
    return presence;
}

void ResetHidControllers() {
    std::map<ControllerId, std::shared_ptr<Controller>> dropped;  // released outside the lock
    std::lock_guard<std::mutex> lock(g_mutex);
    for (auto& [id, controller] : *g_controllers) {
        controller->removed = true;
        controller->present = false;
    }
    dropped.swap(*g_controllers);
}

}  // namespace simwin::detail

namespace simwin {

using detail::g_mutex;

ControllerId AddHidController(const HidControllerSpec& spec) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const ControllerId id = detail::g_next_id++;
    detail::g_controllers->emplace(id, std::make_shared<detail::Controller>(id, spec));
    return id;
}

void UnplugController(ControllerId controller) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    if (c != nullptr && c->present) {
        c->present = false;
        ++c->connection;
    }
}

void ReplugController(ControllerId controller) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    if (c != nullptr) {
        c->present = true;
    }
}

void SetHeldExclusivelyElsewhere(ControllerId controller, bool held) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    if (c != nullptr) {
        c->heldElsewhere = held;
    }
}

std::vector<WrittenReport> WrittenReports(ControllerId controller) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    return c == nullptr ? std::vector<WrittenReport>{} : c->reports;
}

void ClearWrittenReports(ControllerId controller) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    if (c != nullptr) {
        c->reports.clear();
    }
}

void FailNextWrites(ControllerId controller, unsigned count, DWORD error, DWORD bytesWritten) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    if (c != nullptr) {
        c->failuresLeft = count;
        c->failError = error;
        c->failBytes = bytesWritten;
    }
}

void StallWrites(ControllerId controller, DWORD milliseconds) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    if (c != nullptr) {
        c->stallMs = milliseconds;
    }
}

std::vector<OpenRecord> Opens(ControllerId controller) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    return c == nullptr ? std::vector<OpenRecord>{} : c->opens;
}

size_t OpenHandleCount(ControllerId controller) {
    std::lock_guard<std::mutex> lock(g_mutex);
    detail::Controller* c = detail::FindLocked(controller);
    return c == nullptr ? 0 : c->openHandles;
}

}  // namespace simwin
