// The control panel of the simulated machine's game controllers: HID
// controllers that tests plug in, unplug and watch, and the joystick table
// of DirectInput that says which controller is which joystick id.
#pragma once

#include <string>
#include <vector>

#include "guid.h"

namespace simwin {

struct HidControllerSpec {
    WORD vendorId = 0;
    WORD productId = 0;
    // The device-interface path SetupAPI reports and CreateFileA opens.
    std::string interfacePath;
    // The instance GUID DirectInput gives the device (FindDevice answers it
    // for the path).
    GUID directInputInstance = {};
    // Whether the report descriptor declares an output value, and the report
    // id of that value.
    bool hasOutputValue = true;
    BYTE outputReportId = 0;
};

// The usage page and usage of a controller's output value, as the HID class
// driver reports them.
constexpr USHORT kOutputValueUsagePage = 0x0001;
constexpr USHORT kOutputValueUsage = 0x0001;

typedef int ControllerId;

// Plugs a controller in; it is present from now on.
ControllerId AddHidController(const HidControllerSpec& spec);
// Unplugged: absent from enumeration, opens fail, and writes through handles
// opened before fail with ERROR_DEVICE_NOT_CONNECTED. Replugged: present
// again; old handles stay dead, new opens work.
void UnplugController(ControllerId controller);
void ReplugController(ControllerId controller);

// Another program holds the device without sharing: opens fail with
// ERROR_SHARING_VIOLATION.
void SetHeldExclusivelyElsewhere(ControllerId controller, bool held);

struct WrittenReport {
    std::vector<BYTE> bytes;
    DWORD time;  // GetTickCount when the write began
};
// Every report that went out in full or in part, in order.
std::vector<WrittenReport> WrittenReports(ControllerId controller);
void ClearWrittenReports(ControllerId controller);

// The next `count` writes to the controller transfer only `bytesWritten`
// bytes and fail with `error`.
void FailNextWrites(ControllerId controller, unsigned count, DWORD error, DWORD bytesWritten = 0);
// Every write to the controller blocks this long (real time) before it
// completes; 0 ends the stall.
void StallWrites(ControllerId controller, DWORD milliseconds);

struct OpenRecord {
    DWORD access;
    DWORD shareMode;
    DWORD disposition;
    DWORD flags;
};
// Arguments of every successful open of the controller, in order.
std::vector<OpenRecord> Opens(ControllerId controller);
// Handles to the controller that are open now.
size_t OpenHandleCount(ControllerId controller);

// DirectInput's joystick table: the instance GUID GetConfig reports for a
// joystick id. An id without an entry answers DIERR_NOMOREITEMS.
void SetJoystick(UINT joystickId, const GUID& instance);
void RemoveJoystick(UINT joystickId);
// The dwSize of every joystick configuration record GetConfig was handed
// since Reset, in order.
std::vector<DWORD> JoyConfigRecordSizes();
// DirectInput objects and HID preparsed data not yet released.
size_t LiveDirectInputObjects();
size_t LivePreparsedData();
// SetupAPI device information sets not yet destroyed.
size_t LiveDeviceInfoSets();

}  // namespace simwin
