// The module's controllers: one slot each, plugged and unplugged by the
// control device, written to through their own devices. One lock guards the
// whole table; every function here takes it itself.
#pragma once

#include "tools/standin_controller/module/kernel.h"

namespace standin_module {

// Called once from DriverEntry / DriverUnload.
void InitializeTable(PDRIVER_OBJECT driver);
// Removes every link and controller device and frees what the table holds.
void ReleaseTable();

// Plugs the controller in (again): creates its device on first use, then the
// link named after its path. A slot already plugged with the same ids stays
// as it is; with other ids it is refused. `info`, if given, receives the
// slot's state afterwards.
NTSTATUS Plug(ULONG slot, const standin::ControllerSpec& spec, standin::ControllerInfo* info);
// Removes the link; handles opened before fail from now on.
NTSTATUS Unplug(ULONG slot);
// Unplugs, centres the input and drops the reports and counts.
NTSTATUS Forget(ULONG slot);
NTSTATUS SetInput(ULONG slot, const standin::InputState& input);
NTSTATUS GetInput(ULONG slot, standin::InputState* input);
void List(standin::ControllerList* list);
// Fills `batch` with up to `room` reports (at most kReportsPerRead) from
// `firstSequence` on, the batch's header always.
NTSTATUS ReadReports(ULONG slot, ULONG64 firstSequence, standin::ReportBatch* batch, ULONG room);

// A handle being opened on the controller's device: the token it carries
// until it is closed (non-zero), or 0 when the controller is unplugged.
ULONG_PTR OpenHandle(ULONG slot);
void CloseHandle(ULONG slot, ULONG_PTR token);
// A report written through a handle with `token`: kept with its arrival time,
// or refused (and counted) when the controller was unplugged since the handle
// was opened.
NTSTATUS KeepReport(ULONG slot, ULONG_PTR token, const UCHAR* bytes, ULONG length);
// What the controller behind a handle with `token` says of itself.
NTSTATUS Describe(ULONG slot, ULONG_PTR token, standin::DeviceDescription* description);

}  // namespace standin_module
