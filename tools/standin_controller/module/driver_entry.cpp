// standin_controllers.sys: stand-in USB rumble controllers for the Windows
// runtime of our test runs. The control device plugs and unplugs them; each
// plugged controller is a device behind a HID-style interface path that
// takes output reports through WriteFile.
#include "tools/standin_controller/module/controller_table.h"
#include "tools/standin_controller/module/device_requests.h"
#include "tools/standin_controller/module/kernel.h"

namespace standin_module {
namespace {

PDEVICE_OBJECT gControlDevice;

// The plug token a request's handle carries; 0 (never valid) without one.
ULONG_PTR TokenOf(PIO_STACK_LOCATION stack) {
    return stack->FileObject != nullptr ? reinterpret_cast<ULONG_PTR>(stack->FileObject->FsContext)
                                        : 0;
}
UNICODE_STRING gControlLink;

// Handles on a controller carry the token of the plug they were opened in
// (FsContext of their file object); the runtime's object manager may hand
// out a handle even when the open is refused, and such a handle carries
// none.
NTSTATUS WINAPI OnCreate(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const DeviceRole* role = RoleOf(device);
    if (role->isController == 0) {
        return Complete(irp, STATUS_SUCCESS);
    }
    if (stack->FileObject == nullptr) {
        return Complete(irp, STATUS_INVALID_PARAMETER);
    }
    const ULONG_PTR token = OpenHandle(role->slot);
    stack->FileObject->FsContext = reinterpret_cast<PVOID>(token);
    return Complete(irp, token != 0 ? STATUS_SUCCESS : STATUS_NO_SUCH_DEVICE);
}

NTSTATUS WINAPI OnClose(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const DeviceRole* role = RoleOf(device);
    if (role->isController != 0 && stack->FileObject != nullptr) {
        CloseHandle(role->slot, TokenOf(stack));
        stack->FileObject->FsContext = nullptr;
    }
    return Complete(irp, STATUS_SUCCESS);
}

NTSTATUS WINAPI OnCleanup(PDEVICE_OBJECT, PIRP irp) {
    return Complete(irp, STATUS_SUCCESS);
}

// A HID output report: at least the report id byte.
NTSTATUS WINAPI OnWrite(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const DeviceRole* role = RoleOf(device);
    if (role->isController == 0) {
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    }
    const ULONG length = stack->Parameters.Write.Length;
    if (length == 0 || irp->AssociatedIrp.SystemBuffer == nullptr) {
        return Complete(irp, STATUS_INVALID_PARAMETER);
    }
    const NTSTATUS status =
        KeepReport(role->slot, TokenOf(stack),
                   static_cast<const UCHAR*>(irp->AssociatedIrp.SystemBuffer), length);
    return Complete(irp, status, NT_SUCCESS(status) ? length : 0);
}

NTSTATUS WINAPI OnDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const DeviceRole* role = RoleOf(device);
    if (role->isController == 0) {
        return ControlRequest(irp, stack);
    }
    return ControllerRequest(role->slot, TokenOf(stack), irp, stack);
}

void WINAPI OnUnload(PDRIVER_OBJECT) {
    ReleaseTable();
    IoDeleteSymbolicLink(&gControlLink);
    IoDeleteDevice(gControlDevice);
}

}  // namespace
}  // namespace standin_module

extern "C" NTSTATUS WINAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
    using namespace standin_module;
    InitializeTable(driver);
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, STANDIN_CONTROL_DEVICE_NAME);
    RtlInitUnicodeString(&gControlLink, STANDIN_CONTROL_LINK_NAME);
    NTSTATUS status = IoCreateDevice(driver, sizeof(DeviceRole), &name, FILE_DEVICE_UNKNOWN, 0,
                                     FALSE, &gControlDevice);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    RoleOf(gControlDevice)->isController = 0;
    RoleOf(gControlDevice)->slot = 0;
    gControlDevice->Flags |= DO_BUFFERED_IO;
    status = IoCreateSymbolicLink(&gControlLink, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(gControlDevice);
        return status;
    }
    gControlDevice->Flags &= ~DO_DEVICE_INITIALIZING;
    driver->MajorFunction[IRP_MJ_CREATE] = OnCreate;
    driver->MajorFunction[IRP_MJ_CLOSE] = OnClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = OnCleanup;
    driver->MajorFunction[IRP_MJ_WRITE] = OnWrite;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = OnDeviceControl;
    driver->DriverUnload = OnUnload;
    return STATUS_SUCCESS;
}
