// The channel between the stand-in controllers and everything that talks to
// them in the Windows runtime of our test runs.
//
// The controllers live in a kernel-mode module (standin_controllers.sys)
// that the runtime's device host loads as a demand-start kernel driver. Each
// plugged controller is a device whose HID-style interface path CreateFileA
// opens; WriteFile on it hands the module one output report, which it keeps
// with the time it arrived. An unplugged controller's path is gone, and a
// handle opened before the unplug fails every write with
// ERROR_DEVICE_NOT_CONNECTED, as a USB device taken away does.
//
// The control device (kControlDevicePath) answers the IOCTLs below with
// METHOD_BUFFERED records: plug and unplug, the input state (sticks,
// buttons, hat), the list of controllers, and the reports received. The
// stand-in DirectInput, SetupAPI and HID modules, the tests and the viewer
// use it through controller_client.h.
//
// This header is shared by the kernel module and user mode: fixed-width
// types only, no constructors.
#pragma once

#include <stdint.h>

#ifndef CTL_CODE
#include <winioctl.h>
#endif

namespace standin {

// User-mode path of the control device, and its kernel names.
inline constexpr char kControlDevicePath[] = "\\\\.\\StandinControllers";
#define STANDIN_CONTROL_DEVICE_NAME L"\\Device\\StandinControllers"
#define STANDIN_CONTROL_LINK_NAME L"\\??\\StandinControllers"
// The service name the module is registered and started under.
inline constexpr char kServiceName[] = "StandinControllers";

// Slots, one per controller; the stand-in DirectInput gives the controller
// in slot n the joystick id n.
inline constexpr uint32_t kSlotCount = 16;
// Axis readings as the device reports them: 8 bits, centre 128.
inline constexpr uint8_t kAxisCentre = 128;
inline constexpr uint32_t kButtonCount = 12;
// The hat's reading when it is not pressed in any direction.
inline constexpr uint32_t kHatCentred = 0xFFFFFFFFu;
// Longest output report the module keeps whole.
inline constexpr uint32_t kMaxReportLength = 16;
// Reports kept per controller; older ones are dropped first.
inline constexpr uint32_t kReportHistory = 4096;
// Reports handed back by one read.
inline constexpr uint32_t kReportsPerRead = 256;
// Room for a device-interface path, terminator included.
inline constexpr uint32_t kPathCapacity = 128;

// What a controller looks like to the system: its USB ids and the report
// id of its output report (the first byte of every report written).
struct ControllerSpec {
    uint16_t vendorId;
    uint16_t productId;
    uint8_t outputReportId;
    uint8_t reserved[3];
};

// The controller's input state, as a person holds it.
struct InputState {
    uint8_t x, y, z, rz;            // left stick X/Y, right stick (Z, Rz); 0..255
    uint32_t hat;                   // hundredths of a degree clockwise from up, or kHatCentred
    uint8_t buttons[kButtonCount];  // non-zero: pressed
};

struct SlotRequest {
    uint32_t slot;
};

struct PlugRequest {
    uint32_t slot;
    ControllerSpec spec;
};

struct InputRequest {
    uint32_t slot;
    InputState input;
};

struct ControllerInfo {
    uint32_t slot;
    uint32_t present;  // plugged in now
    uint32_t known;    // plugged in at least once since the module started
    ControllerSpec spec;
    char path[kPathCapacity];  // "\\?\hid#vid_...": what SetupAPI reports
    uint64_t reportsReceived;
    uint64_t writesRefused;  // writes that came while unplugged
    uint32_t openHandles;    // handles open on the controller's device
};

struct ControllerList {
    ControllerInfo controllers[kSlotCount];
};

struct ReportRequest {
    uint32_t slot;
    uint32_t reserved;
    uint64_t firstSequence;  // the sequence number of the first report wanted
};

struct ReceivedReport {
    uint64_t sequence;  // 0 for the first report the controller ever received
    uint64_t time;      // when it arrived, in 100 ns units of the performance counter
    uint32_t length;    // bytes written; only the first kMaxReportLength are kept
    uint8_t bytes[kMaxReportLength];
};

struct ReportBatch {
    uint64_t nextSequence;  // the sequence number the next read should ask for
    uint64_t firstKept;     // the oldest sequence number still kept
    uint32_t count;
    uint32_t reserved;
    ReceivedReport reports[kReportsPerRead];
};

// What the stand-in HID module asks a controller's own device handle.
struct DeviceDescription {
    uint32_t slot;
    ControllerSpec spec;
};

#define STANDIN_IOCTL(n) \
    CTL_CODE(FILE_DEVICE_UNKNOWN, 0x900 + (n), METHOD_BUFFERED, FILE_ANY_ACCESS)
// Control device.
inline constexpr uint32_t kIoctlPlug = STANDIN_IOCTL(1);         // PlugRequest -> ControllerInfo
inline constexpr uint32_t kIoctlUnplug = STANDIN_IOCTL(2);       // SlotRequest
inline constexpr uint32_t kIoctlSetInput = STANDIN_IOCTL(3);     // InputRequest
inline constexpr uint32_t kIoctlGetInput = STANDIN_IOCTL(4);     // SlotRequest -> InputState
inline constexpr uint32_t kIoctlList = STANDIN_IOCTL(5);         // -> ControllerList
inline constexpr uint32_t kIoctlReadReports = STANDIN_IOCTL(6);  // ReportRequest -> ReportBatch
inline constexpr uint32_t kIoctlForget = STANDIN_IOCTL(7);       // SlotRequest: unplug, clear
// A controller's device.
inline constexpr uint32_t kIoctlDescribe = STANDIN_IOCTL(20);  // -> DeviceDescription
#undef STANDIN_IOCTL

}  // namespace standin
