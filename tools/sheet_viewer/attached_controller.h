// The stand-in controller the viewer plugs in for the sheet: the controller
// module started in the viewer's runtime, one controller of the viewed model
// in the slot of the sheet's joystick id, the way it is held, and the motor
// strengths decoded from the output reports the module received from the
// effect driver.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "profiles/device_model_profile.h"
#include "tools/sheet_viewer/controller_reading.h"
#include "tools/standin_controller/controller_client.h"

namespace sheet_viewer {

// Where the motors stand after the last report that set them.
struct MotorStrengths {
    BYTE left = 0;
    BYTE right = 0;
    double leftPercent = 0;
    double rightPercent = 0;
};

class AttachedController {
  public:
    explicit AttachedController(const DeviceModelProfile& profile);
    // Forgets the slot.
    ~AttachedController();
    AttachedController(const AttachedController&) = delete;
    AttachedController& operator=(const AttachedController&) = delete;

    // Starts the module at `modulePath` (when it is not running yet), plugs a
    // controller of the model into `slot` and holds it as `reading`. False
    // with `failure` naming the step and its error.
    bool Attach(const std::string& modulePath, uint32_t slot, const ControllerReading& reading,
                std::string& failure);
    // Unplugs the controller and forgets its slot; nothing after that.
    void Detach();

    bool attached() const { return channel_ != nullptr; }
    bool plugged() const { return plugged_; }
    uint32_t slot() const { return slot_; }
    const DeviceModelProfile& profile() const { return profile_; }

    // Holds the controller a new way; the module has it at once, or as soon
    // as the controller is plugged in again.
    bool Hold(const ControllerReading& reading);
    const ControllerReading& reading() const { return reading_; }

    // Takes the controller away, or plugs it in again as it was held.
    bool SetPlugged(bool plugged);

    // Decodes the reports received since the last call. True when the motor
    // strengths changed.
    bool PollReports();
    // Still while unplugged: a controller taken away runs no motors.
    const MotorStrengths& motors() const { return motors_; }
    uint64_t reportsRead() const { return reportsRead_; }

  private:
    void SetMotors(BYTE left, BYTE right);

    const DeviceModelProfile& profile_;
    std::unique_ptr<standin::ControlChannel> channel_;
    uint32_t slot_ = 0;
    bool plugged_ = false;
    ControllerReading reading_;
    uint64_t nextSequence_ = 0;
    uint64_t reportsRead_ = 0;
    MotorStrengths motors_;
    // One batch is large; it is read into the same place every time.
    std::unique_ptr<standin::ReportBatch> batch_;
};

}  // namespace sheet_viewer
