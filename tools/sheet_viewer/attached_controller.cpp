#include "tools/sheet_viewer/attached_controller.h"

#include <vector>

#include "tools/lab/report_decoding.h"
#include "tools/standin_controller/model_controllers.h"

namespace sheet_viewer {

namespace {

// Enough batches to catch up with the module's whole history in one poll.
constexpr int kBatchesPerPoll = standin::kReportHistory / standin::kReportsPerRead;

// The model's controller: its profile's USB ids and the output report id
// the effect driver reads back through the HID caps.
standin::ControllerSpec ModelController(const DeviceModelProfile& profile) {
    standin::ControllerSpec controller = {};
    controller.vendorId = profile.vendorId;
    controller.productId = profile.productId;
    controller.outputReportId = standin::kModelOutputReportId;
    return controller;
}

std::string StepFailure(const char* step, DWORD error) {
    return std::string(step) + " failed with error " + std::to_string(error);
}

standin::InputState ToInputState(const ControllerReading& reading) {
    standin::InputState input = standin::CentredInput();
    input.x = reading.x;
    input.y = reading.y;
    input.z = reading.z;
    input.rz = reading.rz;
    input.hat = reading.hat;
    for (unsigned button = 1; button <= standin::kButtonCount; ++button) {
        input.buttons[button - 1] = reading.pressed(button) ? 1 : 0;
    }
    return input;
}

}  // namespace

static_assert(ControllerReading::kButtonCount == standin::kButtonCount,
              "the reading names every button of the controller");
static_assert(ControllerReading::kHatCentred == standin::kHatCentred,
              "a centred hat reads the same on both sides");

AttachedController::AttachedController(const DeviceModelProfile& profile) : profile_(profile) {}

AttachedController::~AttachedController() {
    Detach();
}

bool AttachedController::Attach(const std::string& modulePath, uint32_t slot,
                                const ControllerReading& reading, std::string& failure) {
    Detach();
    if (slot >= standin::kSlotCount) {
        failure = "slot " + std::to_string(slot) + " is beyond the controller module's slots";
        return false;
    }
    const DWORD started = standin::StartControllerModule(modulePath.c_str());
    if (started != ERROR_SUCCESS) {
        failure = StepFailure("starting the controller module", started);
        return false;
    }
    auto channel = std::make_unique<standin::ControlChannel>();
    if (!channel->IsOpen()) {
        failure = StepFailure("opening the controller module's control device", GetLastError());
        return false;
    }
    // Whatever an earlier run left in the slot (reports, input) is not ours.
    channel->Forget(slot);
    if (!channel->Plug(slot, ModelController(profile_))) {
        failure = StepFailure("plugging in the controller", GetLastError());
        return false;
    }
    if (!channel->SetInput(slot, ToInputState(reading))) {
        failure = StepFailure("holding the controller", GetLastError());
        channel->Forget(slot);
        return false;
    }
    channel_ = std::move(channel);
    batch_ = std::make_unique<standin::ReportBatch>();
    slot_ = slot;
    plugged_ = true;
    reading_ = reading;
    nextSequence_ = 0;
    reportsRead_ = 0;
    motors_ = MotorStrengths{};
    return true;
}

void AttachedController::Detach() {
    if (channel_ != nullptr) {
        channel_->Forget(slot_);
    }
    channel_.reset();
    plugged_ = false;
    motors_ = MotorStrengths{};
}

bool AttachedController::Hold(const ControllerReading& reading) {
    reading_ = reading;
    if (channel_ == nullptr) {
        return false;
    }
    // The module keeps an unplugged controller's input; it is sent again on
    // replugging all the same, so a refusal now loses nothing.
    return channel_->SetInput(slot_, ToInputState(reading_)) || !plugged_;
}

bool AttachedController::SetPlugged(bool plugged) {
    if (channel_ == nullptr || plugged == plugged_) {
        return channel_ != nullptr;
    }
    if (!plugged) {
        if (!channel_->Unplug(slot_)) {
            return false;
        }
        plugged_ = false;
        SetMotors(0, 0);
        return true;
    }
    if (!channel_->Plug(slot_, ModelController(profile_))) {
        return false;
    }
    plugged_ = true;
    channel_->SetInput(slot_, ToInputState(reading_));
    return true;
}

void AttachedController::SetMotors(BYTE left, BYTE right) {
    motors_.left = left;
    motors_.right = right;
    motors_.leftPercent = lab::MotorPercent(profile_, left);
    motors_.rightPercent = lab::MotorPercent(profile_, right);
}

bool AttachedController::PollReports() {
    if (channel_ == nullptr) {
        return false;
    }
    const MotorStrengths before = motors_;
    for (int i = 0; i < kBatchesPerPoll; ++i) {
        if (!channel_->ReadReports(slot_, nextSequence_, batch_.get())) {
            break;
        }
        for (uint32_t n = 0; n < batch_->count && n < standin::kReportsPerRead; ++n) {
            const standin::ReceivedReport& report = batch_->reports[n];
            // A report longer than the module keeps whole is no report of the
            // model's; it moves no motor.
            if (report.length <= standin::kMaxReportLength) {
                const std::vector<BYTE> bytes(report.bytes, report.bytes + report.length);
                const lab::DecodedReport decoded = lab::DecodeReport(profile_, bytes);
                if (decoded.setsMotors && plugged_) {
                    SetMotors(decoded.left, decoded.right);
                }
            }
            ++reportsRead_;
        }
        nextSequence_ = batch_->nextSequence;
        if (batch_->count < standin::kReportsPerRead) {
            break;
        }
    }
    return motors_.left != before.left || motors_.right != before.right;
}

}  // namespace sheet_viewer
