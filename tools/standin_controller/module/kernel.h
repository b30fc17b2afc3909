// The kernel headers the module is written against, and the names it gives
// its devices. Everything in the module includes this first.
#pragma once

// The kernel headers define two bit-test helpers again that the compiler's
// intrinsics already declare, which C++ refuses: the intrinsics come first
// and keep their names, the kernel headers' copies are renamed away (the
// module uses neither).
#include <intrin.h>
#define InterlockedBitTestAndSet KernelHeaderBitTestAndSet
#define InterlockedBitTestAndReset KernelHeaderBitTestAndReset
#include <ntddk.h>
#undef InterlockedBitTestAndSet
#undef InterlockedBitTestAndReset

#include "tools/standin_controller/controller_channel.h"

namespace standin_module {

// The pool tag of every allocation of the module: "Stnd" in memory order.
inline constexpr ULONG kPoolTag = 'S' | ('t' << 8) | ('n' << 16) | (static_cast<ULONG>('d') << 24);

// What a device object of the module is; kept in its device extension.
struct DeviceRole {
    ULONG isController;  // 0: the control device
    ULONG slot;          // the controller's slot
};

inline DeviceRole* RoleOf(PDEVICE_OBJECT device) {
    return static_cast<DeviceRole*>(device->DeviceExtension);
}

// Completes the request with `status`, `information` bytes handed back.
inline NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information = 0) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

}  // namespace standin_module
