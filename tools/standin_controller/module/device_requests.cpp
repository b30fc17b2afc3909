// The channel's IOCTLs, decoded and checked: every request record must have
// exactly its size and every answer must fit the caller's buffer before the
// table is touched. The buffers are METHOD_BUFFERED, so a request is copied
// out before its answer overwrites the shared system buffer.
#include "tools/standin_controller/module/device_requests.h"

#include <stddef.h>

#include "tools/standin_controller/module/controller_table.h"

namespace standin_module {
namespace {

// The shared buffer of a request whose input is `inSize` bytes and whose
// answer needs `outSize`; the status refusing it otherwise.
NTSTATUS CheckSizes(PIO_STACK_LOCATION stack, ULONG inSize, ULONG outSize) {
    if (stack->Parameters.DeviceIoControl.InputBufferLength != inSize) {
        return STATUS_INVALID_PARAMETER;
    }
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < outSize) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    return STATUS_SUCCESS;
}

template <typename Request>
Request RequestOf(PIRP irp) {
    Request request;
    RtlCopyMemory(&request, irp->AssociatedIrp.SystemBuffer, sizeof request);
    return request;
}

NTSTATUS PlugRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    // The answer is optional: a caller that gives no room gets none.
    const ULONG room = stack->Parameters.DeviceIoControl.OutputBufferLength;
    const ULONG answer = room == 0 ? 0 : sizeof(standin::ControllerInfo);
    NTSTATUS status = CheckSizes(stack, sizeof(standin::PlugRequest), answer);
    if (!NT_SUCCESS(status)) {
        return Complete(irp, status);
    }
    const auto request = RequestOf<standin::PlugRequest>(irp);
    standin::ControllerInfo info;
    status = Plug(request.slot, request.spec, &info);
    if (NT_SUCCESS(status) && answer != 0) {
        RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, &info, sizeof info);
    }
    return Complete(irp, status, NT_SUCCESS(status) ? answer : 0);
}

// Unplug and Forget: a slot in, nothing out.
NTSTATUS SlotRequest(PIRP irp, PIO_STACK_LOCATION stack, NTSTATUS (*action)(ULONG)) {
    NTSTATUS status = CheckSizes(stack, sizeof(standin::SlotRequest), 0);
    if (NT_SUCCESS(status)) {
        status = action(RequestOf<standin::SlotRequest>(irp).slot);
    }
    return Complete(irp, status);
}

NTSTATUS SetInputRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    NTSTATUS status = CheckSizes(stack, sizeof(standin::InputRequest), 0);
    if (NT_SUCCESS(status)) {
        const auto request = RequestOf<standin::InputRequest>(irp);
        status = SetInput(request.slot, request.input);
    }
    return Complete(irp, status);
}

NTSTATUS GetInputRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    NTSTATUS status = CheckSizes(stack, sizeof(standin::SlotRequest), sizeof(standin::InputState));
    if (!NT_SUCCESS(status)) {
        return Complete(irp, status);
    }
    standin::InputState input;
    status = GetInput(RequestOf<standin::SlotRequest>(irp).slot, &input);
    if (!NT_SUCCESS(status)) {
        return Complete(irp, status);
    }
    RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, &input, sizeof input);
    return Complete(irp, STATUS_SUCCESS, sizeof input);
}

NTSTATUS ListRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    const NTSTATUS status = CheckSizes(stack, 0, sizeof(standin::ControllerList));
    if (!NT_SUCCESS(status)) {
        return Complete(irp, status);
    }
    List(static_cast<standin::ControllerList*>(irp->AssociatedIrp.SystemBuffer));
    return Complete(irp, STATUS_SUCCESS, sizeof(standin::ControllerList));
}

NTSTATUS ReadReportsRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    // A smaller buffer than a whole batch takes as many reports as fit.
    constexpr ULONG kHeader = offsetof(standin::ReportBatch, reports);
    NTSTATUS status = CheckSizes(stack, sizeof(standin::ReportRequest), kHeader);
    if (!NT_SUCCESS(status)) {
        return Complete(irp, status);
    }
    const auto request = RequestOf<standin::ReportRequest>(irp);
    const ULONG room = (stack->Parameters.DeviceIoControl.OutputBufferLength - kHeader) /
                       sizeof(standin::ReceivedReport);
    auto* batch = static_cast<standin::ReportBatch*>(irp->AssociatedIrp.SystemBuffer);
    status = ReadReports(request.slot, request.firstSequence, batch, room);
    if (!NT_SUCCESS(status)) {
        return Complete(irp, status);
    }
    return Complete(irp, STATUS_SUCCESS, kHeader + batch->count * sizeof(standin::ReceivedReport));
}

}  // namespace

NTSTATUS ControlRequest(PIRP irp, PIO_STACK_LOCATION stack) {
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
        case standin::kIoctlPlug:
            return PlugRequest(irp, stack);
        case standin::kIoctlUnplug:
            return SlotRequest(irp, stack, Unplug);
        case standin::kIoctlForget:
            return SlotRequest(irp, stack, Forget);
        case standin::kIoctlSetInput:
            return SetInputRequest(irp, stack);
        case standin::kIoctlGetInput:
            return GetInputRequest(irp, stack);
        case standin::kIoctlList:
            return ListRequest(irp, stack);
        case standin::kIoctlReadReports:
            return ReadReportsRequest(irp, stack);
        default:
            return Complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    }
}

NTSTATUS ControllerRequest(ULONG slot, ULONG_PTR token, PIRP irp, PIO_STACK_LOCATION stack) {
    if (stack->Parameters.DeviceIoControl.IoControlCode != standin::kIoctlDescribe) {
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    }
    NTSTATUS status = CheckSizes(stack, 0, sizeof(standin::DeviceDescription));
    if (!NT_SUCCESS(status)) {
        return Complete(irp, status);
    }
    standin::DeviceDescription description;
    status = Describe(slot, token, &description);
    if (!NT_SUCCESS(status)) {
        return Complete(irp, status);
    }
    RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, &description, sizeof description);
    return Complete(irp, STATUS_SUCCESS, sizeof description);
}

}  // namespace standin_module
