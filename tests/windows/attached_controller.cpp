#include "attached_controller.h"

#include <memory>

#include "profiles/selected_model.h"
#include "tools/standin_controller/model_controllers.h"

namespace windows_test {
namespace {

// How long a wait sleeps between two looks when it has nothing else to do.
constexpr DWORD kLookIntervalMs = 2;

ReceivedOutput ToOutput(const standin::ReceivedReport& report) {
    ReceivedOutput output;
    output.sequence = report.sequence;
    // The module stamps arrivals in 100 ns units.
    output.timeMs = static_cast<double>(report.time) / 10000.0;
    const uint32_t kept =
        report.length < standin::kMaxReportLength ? report.length : standin::kMaxReportLength;
    output.bytes.assign(report.bytes, report.bytes + kept);
    return output;
}

void Idle(const std::function<void()>& idle) {
    if (idle) {
        idle();
    } else {
        Sleep(kLookIntervalMs);
    }
}

}  // namespace

standin::ControllerSpec ModelControllerSpec() {
    return kModelProfile.model == DeviceModel::S ? standin::ModelSController()
                                                 : standin::ModelTController();
}

double ModuleClockMs() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

AttachedController::AttachedController(uint32_t slot) : slot_(slot) {
    if (!channel_.IsOpen()) {
        error_ = GetLastError();
        return;
    }
    channel_.Forget(slot_);
    plugged_ = channel_.Plug(slot_, ModelControllerSpec());
    if (!plugged_) {
        error_ = GetLastError();
        return;
    }
    SkipReceived();
}

AttachedController::~AttachedController() {
    if (channel_.IsOpen()) {
        channel_.Forget(slot_);
    }
}

bool AttachedController::Unplug() {
    return channel_.Unplug(slot_);
}

bool AttachedController::Replug() {
    return channel_.Plug(slot_, ModelControllerSpec());
}

bool AttachedController::SetInput(const standin::InputState& input) {
    return channel_.SetInput(slot_, input);
}

std::optional<standin::ControllerInfo> AttachedController::Info() {
    auto list = std::make_unique<standin::ControllerList>();
    if (!channel_.List(list.get())) {
        return std::nullopt;
    }
    for (const standin::ControllerInfo& info : list->controllers) {
        if (info.slot == slot_) {
            return info;
        }
    }
    return std::nullopt;
}

std::vector<ReceivedOutput> AttachedController::NewReports() {
    std::vector<ReceivedOutput> reports;
    // A batch is large; it lives on the heap.
    auto batch = std::make_unique<standin::ReportBatch>();
    for (;;) {
        if (!channel_.ReadReports(slot_, nextSequence_, batch.get())) {
            break;
        }
        for (uint32_t i = 0; i < batch->count && i < standin::kReportsPerRead; ++i) {
            reports.push_back(ToOutput(batch->reports[i]));
        }
        const bool more = batch->nextSequence > nextSequence_ && batch->count > 0;
        nextSequence_ = batch->nextSequence;
        if (!more || batch->count < standin::kReportsPerRead) {
            break;
        }
    }
    return reports;
}

void AttachedController::SkipReceived() {
    while (!NewReports().empty()) {
    }
}

std::optional<ReceivedOutput> AttachedController::WaitForReport(
    const std::function<bool(const ReceivedOutput&)>& wanted, DWORD timeoutMs,
    const std::function<void()>& idle, std::vector<ReceivedOutput>* seen) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        for (ReceivedOutput& report : NewReports()) {
            if (seen != nullptr) {
                seen->push_back(report);
            }
            if (wanted(report)) {
                // What came after the match stays unread for the next look.
                nextSequence_ = report.sequence + 1;
                return report;
            }
        }
        if (GetTickCount64() >= deadline) {
            return std::nullopt;
        }
        Idle(idle);
    }
}

std::vector<ReceivedOutput> AttachedController::CollectFor(DWORD milliseconds,
                                                           const std::function<void()>& idle) {
    std::vector<ReceivedOutput> collected;
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (GetTickCount64() < deadline) {
        Idle(idle);
        for (ReceivedOutput& report : NewReports()) {
            collected.push_back(std::move(report));
        }
    }
    return collected;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs,
               const std::function<void()>& idle) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Idle(idle);
    }
}

}  // namespace windows_test
