#include "tools/standin_controller/dinput/controller_roster.h"

#include <windows.h>

#include <cstring>

#include "tools/standin_controller/controller_client.h"

namespace standin_dinput {

bool ListControllers(standin::ControllerList* list) {
    standin::ControlChannel channel;
    return channel.IsOpen() && channel.List(list);
}

bool FindPresentController(uint32_t slot, standin::ControllerInfo* info) {
    if (slot >= standin::kSlotCount) {
        return false;
    }
    standin::ControllerList list;
    if (!ListControllers(&list)) {
        return false;
    }
    const standin::ControllerInfo& entry = list.controllers[slot];
    if (!entry.present) {
        return false;
    }
    *info = entry;
    return true;
}

bool FindControllerByPath(const char* path, standin::ControllerInfo* info) {
    standin::ControllerList list;
    if (path == nullptr || !ListControllers(&list)) {
        return false;
    }
    for (const standin::ControllerInfo& entry : list.controllers) {
        // A path that fills its whole buffer has lost its end: it names
        // nothing.
        if (entry.present && strnlen(entry.path, sizeof entry.path) < sizeof entry.path &&
            lstrcmpiA(entry.path, path) == 0) {
            *info = entry;
            return true;
        }
    }
    return false;
}

}  // namespace standin_dinput
