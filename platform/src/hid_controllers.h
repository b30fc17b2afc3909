// Internal: the machine's table of HID controllers, shared by the device
// files, the HID class driver, SetupAPI and DirectInput. The table and every
// controller's changing state are guarded by one mutex owned by
// hid_controllers.cpp; nothing outside that file touches the guarded fields,
// and the mutex is never held while a write stalls or while another part of
// the machine (handle table, clock, faults) is called.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simwin/control_devices.h"

namespace simwin::detail {

struct Controller {
    Controller(ControllerId controller_id, const HidControllerSpec& controller_spec)
        : id(controller_id), spec(controller_spec) {}

    // Fixed from plug-in on: readable without the lock.
    const ControllerId id;
    const HidControllerSpec spec;

    // Guarded by the table's mutex.
    bool present = true;
    bool removed = false;     // dropped from the table by Reset
    unsigned connection = 0;  // counts unplugs; a handle works only in its own connection
    bool heldElsewhere = false;
    size_t openHandles = 0;
    std::vector<OpenRecord> opens;
    std::vector<WrittenReport> reports;
    unsigned failuresLeft = 0;
    DWORD failError = ERROR_SUCCESS;
    DWORD failBytes = 0;
    DWORD stallMs = 0;
};

// CreateFileA's part: finds the present controller whose interface path is
// `path` (compared without case) and, if the open is allowed, counts a new
// handle on it and records the open. ERROR_SUCCESS, or the error the open
// fails with.
DWORD OpenController(const char* path, const OpenRecord& record,
                     std::shared_ptr<Controller>* controller, unsigned* connection);
// A handle on the controller is gone.
void NoteHandleClosed(Controller& controller);
// Whether a handle opened in `connection` still reaches the device.
bool IsConnected(Controller& controller, unsigned connection);

struct WritePlan {
    DWORD error;        // ERROR_SUCCESS, or what the write fails with
    DWORD transferred;  // bytes that go out (and are recorded)
    DWORD stallMs;      // real time to block before completing
};
// Decides how a write of `count` bytes through a handle of `connection`
// goes, using up one armed failure if there is one.
WritePlan PlanWrite(Controller& controller, unsigned connection, DWORD count);
void RecordReport(Controller& controller, const BYTE* bytes, DWORD count, DWORD time);

// The interface paths of the controllers, in plug order; only the present
// ones with `presentOnly`.
struct ControllerInterface {
    ControllerId id;
    std::string path;
};
std::vector<ControllerInterface> ControllerInterfaces(bool presentOnly);
// DirectInput's instance GUID of the present controller with that path.
bool DirectInputInstanceForPath(const char* path, GUID* instance);
// Whether a controller with that DirectInput instance GUID is plugged in
// now, unplugged, or was never plugged in (or was dropped by Reset). With
// several such controllers a present one wins.
enum class InstancePresence { NoController, Present, Unplugged };
InstancePresence DirectInputInstancePresence(const GUID& instance);

// Removes every controller; handles still open on them stay dead.
void ResetHidControllers();

}  // namespace simwin::detail
