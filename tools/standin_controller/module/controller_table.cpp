// The controllers' table and what happens to it: plug, unplug, input, and
// the reports written to each controller, kept in a ring per slot with the
// time they arrived.
#include "tools/standin_controller/module/controller_table.h"

#include "tools/standin_controller/controller_path.h"

namespace standin_module {
namespace {

using standin::ControllerSpec;
using standin::kPathCapacity;
using standin::kReportHistory;
using standin::kSlotCount;

// The handle tokens: a controller's generation goes up at every unplug, so a
// handle opened before it never writes again, even after a replug. The low
// bit keeps every token non-zero.
ULONG_PTR TokenOf(ULONG generation) {
    return (static_cast<ULONG_PTR>(generation) << 1) | 1;
}

struct Controller {
    PDEVICE_OBJECT device;  // created at the first plug, kept until unload
    bool present;
    bool known;
    ULONG generation;
    ControllerSpec spec;
    standin::InputState input;
    char path[kPathCapacity];
    WCHAR linkBuffer[kPathCapacity];
    UNICODE_STRING link;      // valid while present
    ULONG64 reportsReceived;  // also the sequence number of the next report
    ULONG64 writesRefused;
    ULONG openHandles;
    standin::ReceivedReport* history;  // kReportHistory entries, a ring
};

// Zero-initialised storage: no constructors run in a kernel module.
PDRIVER_OBJECT gDriver;
FAST_MUTEX gLock;
Controller gControllers[kSlotCount];

// Holds the table lock for a scope. The lock is taken with normal kernel APCs
// off rather than by raising the level, so that devices and links can be
// created under it.
class TableLock {
  public:
    TableLock() {
        KeEnterCriticalRegion();
        ExAcquireFastMutexUnsafe(&gLock);
    }
    ~TableLock() {
        ExReleaseFastMutexUnsafe(&gLock);
        KeLeaveCriticalRegion();
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
};

standin::InputState CentredInput() {
    standin::InputState input;
    RtlZeroMemory(&input, sizeof input);
    input.x = input.y = input.z = input.rz = standin::kAxisCentre;
    input.hat = standin::kHatCentred;
    return input;
}

bool SameSpec(const ControllerSpec& a, const ControllerSpec& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId &&
           a.outputReportId == b.outputReportId;
}

// The performance counter in 100 ns units, the unit user mode gets from its
// own counter in this runtime.
ULONG64 Now() {
    LARGE_INTEGER frequency;
    const LARGE_INTEGER counter = KeQueryPerformanceCounter(&frequency);
    const ULONG64 ticks = static_cast<ULONG64>(counter.QuadPart);
    const ULONG64 perSecond = static_cast<ULONG64>(frequency.QuadPart);
    if (perSecond == 0) {
        return 0;
    }
    return ticks / perSecond * 10000000ull + ticks % perSecond * 10000000ull / perSecond;
}

// "\Device\StandinController<slot>" into `buffer`.
void DeviceName(ULONG slot, WCHAR (&buffer)[40], UNICODE_STRING* name) {
    static constexpr WCHAR kPrefix[] = L"\\Device\\StandinController";
    USHORT at = 0;
    for (const WCHAR* c = kPrefix; *c != L'\0'; ++c) {
        buffer[at++] = *c;
    }
    if (slot >= 10) {
        buffer[at++] = static_cast<WCHAR>(L'0' + slot / 10);
    }
    buffer[at++] = static_cast<WCHAR>(L'0' + slot % 10);
    buffer[at] = L'\0';
    name->Buffer = buffer;
    name->Length = static_cast<USHORT>(at * sizeof(WCHAR));
    name->MaximumLength = static_cast<USHORT>(sizeof buffer);
}

// The kernel name of the controller's path: "\??\hid#...", the user-mode
// "\\?\" prefix replaced.
void LinkName(Controller& controller) {
    static constexpr WCHAR kPrefix[] = L"\\??\\";
    USHORT at = 0;
    for (const WCHAR* c = kPrefix; *c != L'\0'; ++c) {
        controller.linkBuffer[at++] = *c;
    }
    for (const char* c = controller.path + sizeof standin::kUserPathPrefix - 1;
         *c != '\0' && at + 1u < kPathCapacity; ++c) {
        controller.linkBuffer[at++] = static_cast<WCHAR>(static_cast<UCHAR>(*c));
    }
    controller.linkBuffer[at] = L'\0';
    controller.link.Buffer = controller.linkBuffer;
    controller.link.Length = static_cast<USHORT>(at * sizeof(WCHAR));
    controller.link.MaximumLength = static_cast<USHORT>(sizeof controller.linkBuffer);
}

// The controller's device and report ring, made at its first plug.
NTSTATUS CreateDevice(ULONG slot, Controller& controller) {
    if (controller.history == nullptr) {
        controller.history = static_cast<standin::ReceivedReport*>(ExAllocatePoolWithTag(
            NonPagedPool, sizeof(standin::ReceivedReport) * kReportHistory, kPoolTag));
        if (controller.history == nullptr) {
            return STATUS_INSUFFICIENT_RESOURCES;
        }
    }
    WCHAR buffer[40];
    UNICODE_STRING name;
    DeviceName(slot, buffer, &name);
    PDEVICE_OBJECT device = nullptr;
    const NTSTATUS status =
        IoCreateDevice(gDriver, sizeof(DeviceRole), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    RoleOf(device)->isController = 1;
    RoleOf(device)->slot = slot;
    device->Flags |= DO_BUFFERED_IO;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    controller.device = device;
    return STATUS_SUCCESS;
}

void FillInfo(ULONG slot, const Controller& controller, standin::ControllerInfo* info) {
    RtlZeroMemory(info, sizeof *info);
    info->slot = slot;
    info->present = controller.present ? 1 : 0;
    info->known = controller.known ? 1 : 0;
    info->spec = controller.spec;
    RtlCopyMemory(info->path, controller.path, sizeof info->path);
    info->reportsReceived = controller.reportsReceived;
    info->writesRefused = controller.writesRefused;
    info->openHandles = controller.openHandles;
}

void UnplugLocked(Controller& controller) {
    if (controller.present) {
        IoDeleteSymbolicLink(&controller.link);
        controller.present = false;
        ++controller.generation;
    }
}

}  // namespace

void InitializeTable(PDRIVER_OBJECT driver) {
    gDriver = driver;
    ExInitializeFastMutex(&gLock);
    for (Controller& controller : gControllers) {
        controller.input = CentredInput();
    }
}

void ReleaseTable() {
    TableLock lock;
    for (Controller& controller : gControllers) {
        UnplugLocked(controller);
        if (controller.device != nullptr) {
            IoDeleteDevice(controller.device);
            controller.device = nullptr;
        }
        if (controller.history != nullptr) {
            ExFreePoolWithTag(controller.history, kPoolTag);
            controller.history = nullptr;
        }
    }
}

NTSTATUS Plug(ULONG slot, const ControllerSpec& spec, standin::ControllerInfo* info) {
    if (slot >= kSlotCount) {
        return STATUS_INVALID_PARAMETER;
    }
    TableLock lock;
    Controller& controller = gControllers[slot];
    if (controller.present && !SameSpec(controller.spec, spec)) {
        return STATUS_DEVICE_ALREADY_ATTACHED;
    }
    if (!controller.present) {
        if (controller.device == nullptr) {
            const NTSTATUS status = CreateDevice(slot, controller);
            if (!NT_SUCCESS(status)) {
                return status;
            }
        }
        ControllerSpec kept = spec;
        RtlZeroMemory(kept.reserved, sizeof kept.reserved);
        standin::WriteControllerPath(controller.path, slot, kept);
        LinkName(controller);
        WCHAR buffer[40];
        UNICODE_STRING name;
        DeviceName(slot, buffer, &name);
        const NTSTATUS status = IoCreateSymbolicLink(&controller.link, &name);
        if (!NT_SUCCESS(status)) {
            return status;
        }
        controller.spec = kept;
        controller.present = true;
        controller.known = true;
    }
    if (info != nullptr) {
        FillInfo(slot, controller, info);
    }
    return STATUS_SUCCESS;
}

NTSTATUS Unplug(ULONG slot) {
    if (slot >= kSlotCount) {
        return STATUS_INVALID_PARAMETER;
    }
    TableLock lock;
    UnplugLocked(gControllers[slot]);
    return STATUS_SUCCESS;
}

NTSTATUS Forget(ULONG slot) {
    if (slot >= kSlotCount) {
        return STATUS_INVALID_PARAMETER;
    }
    TableLock lock;
    Controller& controller = gControllers[slot];
    UnplugLocked(controller);
    controller.known = false;
    RtlZeroMemory(&controller.spec, sizeof controller.spec);
    RtlZeroMemory(controller.path, sizeof controller.path);
    controller.input = CentredInput();
    controller.reportsReceived = 0;
    controller.writesRefused = 0;
    return STATUS_SUCCESS;
}

NTSTATUS SetInput(ULONG slot, const standin::InputState& input) {
    // A hat reading is a direction below a full turn, or centred.
    if (slot >= kSlotCount || (input.hat != standin::kHatCentred && input.hat >= 36000)) {
        return STATUS_INVALID_PARAMETER;
    }
    TableLock lock;
    gControllers[slot].input = input;
    return STATUS_SUCCESS;
}

NTSTATUS GetInput(ULONG slot, standin::InputState* input) {
    if (slot >= kSlotCount) {
        return STATUS_INVALID_PARAMETER;
    }
    TableLock lock;
    if (!gControllers[slot].present) {
        return STATUS_DEVICE_NOT_CONNECTED;
    }
    *input = gControllers[slot].input;
    return STATUS_SUCCESS;
}

void List(standin::ControllerList* list) {
    TableLock lock;
    for (ULONG slot = 0; slot < kSlotCount; ++slot) {
        FillInfo(slot, gControllers[slot], &list->controllers[slot]);
    }
}

NTSTATUS ReadReports(ULONG slot, ULONG64 firstSequence, standin::ReportBatch* batch, ULONG room) {
    if (slot >= kSlotCount) {
        return STATUS_INVALID_PARAMETER;
    }
    TableLock lock;
    const Controller& controller = gControllers[slot];
    const ULONG64 next = controller.reportsReceived;
    const ULONG64 firstKept = next > kReportHistory ? next - kReportHistory : 0;
    ULONG64 sequence = firstSequence < firstKept ? firstKept : firstSequence;
    if (sequence > next) {
        sequence = next;
    }
    if (room > standin::kReportsPerRead) {
        room = standin::kReportsPerRead;
    }
    ULONG count = 0;
    while (sequence < next && count < room) {
        batch->reports[count++] = controller.history[sequence % kReportHistory];
        ++sequence;
    }
    batch->nextSequence = sequence;
    batch->firstKept = firstKept;
    batch->count = count;
    batch->reserved = 0;
    return STATUS_SUCCESS;
}

ULONG_PTR OpenHandle(ULONG slot) {
    TableLock lock;
    Controller& controller = gControllers[slot];
    if (!controller.present) {
        return 0;
    }
    ++controller.openHandles;
    return TokenOf(controller.generation);
}

void CloseHandle(ULONG slot, ULONG_PTR token) {
    if (token == 0) {
        return;
    }
    TableLock lock;
    if (gControllers[slot].openHandles > 0) {
        --gControllers[slot].openHandles;
    }
}

NTSTATUS KeepReport(ULONG slot, ULONG_PTR token, const UCHAR* bytes, ULONG length) {
    const ULONG64 arrival = Now();
    TableLock lock;
    Controller& controller = gControllers[slot];
    if (!controller.present || token != TokenOf(controller.generation)) {
        ++controller.writesRefused;
        return STATUS_DEVICE_NOT_CONNECTED;
    }
    standin::ReceivedReport& report =
        controller.history[controller.reportsReceived % kReportHistory];
    RtlZeroMemory(&report, sizeof report);
    report.sequence = controller.reportsReceived;
    report.time = arrival;
    report.length = length;
    RtlCopyMemory(report.bytes, bytes,
                  length < standin::kMaxReportLength ? length : standin::kMaxReportLength);
    ++controller.reportsReceived;
    return STATUS_SUCCESS;
}

NTSTATUS Describe(ULONG slot, ULONG_PTR token, standin::DeviceDescription* description) {
    TableLock lock;
    const Controller& controller = gControllers[slot];
    if (!controller.present || token != TokenOf(controller.generation)) {
        return STATUS_DEVICE_NOT_CONNECTED;
    }
    RtlZeroMemory(description, sizeof *description);
    description->slot = slot;
    description->spec = controller.spec;
    return STATUS_SUCCESS;
}

}  // namespace standin_module
