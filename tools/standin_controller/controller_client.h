// User-mode side of the stand-in controllers: starting their module in the
// runtime, and the control channel (see controller_channel.h).
#pragma once

#include <windows.h>

#include "tools/standin_controller/controller_channel.h"

namespace standin {

// Registers the module file as the demand-start kernel-driver service
// kServiceName (or points the existing registration at it) and starts it.
// ERROR_SUCCESS once the control device answers, else the error that
// stopped it.
DWORD StartControllerModule(const char* modulePath);
// Stops the service; the module's controllers are gone with it.
DWORD StopControllerModule();

// A centred stick pair, hat centred, no button pressed.
InputState CentredInput();

// One handle on the control device. Every call returns false with the
// system's last error set when the module refuses it or is not running.
class ControlChannel {
  public:
    ControlChannel();
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // Plugs a controller into the slot (again, after an unplug): its path
    // appears and opens. `info` may be null.
    bool Plug(uint32_t slot, const ControllerSpec& spec, ControllerInfo* info = nullptr);
    // Takes it away: its path disappears, open handles fail every write
    // with ERROR_DEVICE_NOT_CONNECTED. Input and reports are kept.
    bool Unplug(uint32_t slot);
    // Unplugs and forgets the slot: input centred, reports cleared.
    bool Forget(uint32_t slot);
    bool SetInput(uint32_t slot, const InputState& input);
    // False with ERROR_DEVICE_NOT_CONNECTED while the slot is unplugged.
    bool GetInput(uint32_t slot, InputState* input);
    bool List(ControllerList* list);
    // Reports from sequence number `firstSequence` on, as many as fit one batch.
    bool ReadReports(uint32_t slot, uint64_t firstSequence, ReportBatch* batch);

  private:
    bool Call(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);
    HANDLE handle_;
};

// What a controller's own device handle says of itself (the stand-in HID
// module's source of preparsed data).
bool DescribeDevice(HANDLE device, DeviceDescription* description);

// The path a controller in `slot` with these ids has, as SetupAPI lists it.
void FormatControllerPath(char (&path)[kPathCapacity], uint32_t slot, const ControllerSpec& spec);

}  // namespace standin
