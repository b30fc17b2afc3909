// A stand-in controller of the model under test, plugged into one slot of the
// runtime's controller module for as long as the object lives, and the
// reports the drivers wrote to it. The module itself is started by the test
// run before the programs that use it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "tools/standin_controller/controller_client.h"

namespace windows_test {

using ReportBytes = std::vector<BYTE>;

// One output report as the controller received it.
struct ReceivedOutput {
    uint64_t sequence = 0;
    double timeMs = 0;  // arrival, on the module's clock
    ReportBytes bytes;
};

// How a controller of the model this program is built for presents itself.
standin::ControllerSpec ModelControllerSpec();

// Milliseconds on the clock the module stamps reports with.
double ModuleClockMs();

class AttachedController {
  public:
    // Forgets whatever an earlier program left in the slot and plugs a
    // controller of the model there.
    explicit AttachedController(uint32_t slot);
    // Forgets the slot: the controller is gone for later programs.
    ~AttachedController();
    AttachedController(const AttachedController&) = delete;
    AttachedController& operator=(const AttachedController&) = delete;

    // False when the control device did not answer or refused the plug;
    // error() then holds the system's error.
    bool plugged() const { return plugged_; }
    DWORD error() const { return error_; }
    uint32_t slot() const { return slot_; }

    bool Unplug();
    bool Replug();
    bool SetInput(const standin::InputState& input);
    // What the module says of the slot now; nothing when it does not answer.
    std::optional<standin::ControllerInfo> Info();

    // Reports that arrived since the last call (or since plugging), oldest
    // first.
    std::vector<ReceivedOutput> NewReports();
    // Every report received from here on is new; the ones before are
    // dropped.
    void SkipReceived();

    // Collects new reports until one satisfies `wanted` or `timeoutMs`
    // passes, calling `idle` (or sleeping briefly) between looks. Every
    // report collected, the matching one last, goes to `seen` when given.
    std::optional<ReceivedOutput> WaitForReport(
        const std::function<bool(const ReceivedOutput&)>& wanted, DWORD timeoutMs,
        const std::function<void()>& idle = {}, std::vector<ReceivedOutput>* seen = nullptr);
    // Collects new reports for `milliseconds`, calling `idle` between looks.
    std::vector<ReceivedOutput> CollectFor(DWORD milliseconds,
                                           const std::function<void()>& idle = {});

  private:
    standin::ControlChannel channel_;
    uint32_t slot_;
    bool plugged_ = false;
    DWORD error_ = ERROR_SUCCESS;
    uint64_t nextSequence_ = 0;
};

// Waits until `condition` holds or `timeoutMs` passes, calling `idle` (or
// sleeping briefly) between looks. True when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs,
               const std::function<void()>& idle = {});

}  // namespace windows_test
