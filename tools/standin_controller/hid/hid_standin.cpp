// hid.dll as the programs beside it see it when their runtime overrides the
// platform's: the HID functions the deliverables use, answering for the
// stand-in controllers. A controller's preparsed data is what its own device
// handle describes: its USB ids and one output value whose report id is the
// controller's.
#include <windows.h>

#include <cstring>

// The HID headers declare C functions without saying so.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include "tools/standin_controller/controller_client.h"
#include "tools/standin_controller/live_objects.h"

namespace {

// HIDP_VALUE_CAPS of the output value: a vendor-defined byte.
constexpr USAGE kVendorUsagePage = 0xFF00;
constexpr USAGE kMotorUsage = 0x0001;
// The top-level collection: a joystick on the generic desktop page.
constexpr USAGE kGenericDesktopPage = 0x01;
constexpr USAGE kJoystickUsage = 0x04;
constexpr USHORT kVersionNumber = 0x0100;

struct PreparsedData {
    standin::LiveLink link;  // first: the object is found by its address
    standin::DeviceDescription description;
};

standin::LiveObjects gPreparsed;

// The preparsed data behind a caller's pointer, or null when this module did
// not hand it out (or has taken it back).
const PreparsedData* Find(PHIDP_PREPARSED_DATA data) {
    return gPreparsed.Contains(data) ? reinterpret_cast<const PreparsedData*>(data) : nullptr;
}

HIDP_VALUE_CAPS OutputValueCaps(const PreparsedData& data) {
    HIDP_VALUE_CAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.UsagePage = kVendorUsagePage;
    caps.ReportID = data.description.spec.outputReportId;
    caps.LinkUsage = kJoystickUsage;
    caps.LinkUsagePage = kGenericDesktopPage;
    caps.IsAbsolute = TRUE;
    caps.BitSize = 8;
    caps.ReportCount = 1;
    caps.LogicalMin = 0;
    caps.LogicalMax = 255;
    caps.NotRange.Usage = kMotorUsage;
    return caps;
}

}  // namespace

extern "C" {

void NTAPI HidD_GetHidGuid(LPGUID hidGuid) {
    // The HID device-interface class.
    static const GUID kHidInterfaceClass = {
        0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    *hidGuid = kHidInterfaceClass;
}

BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* preparsedData) {
    if (preparsedData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    standin::DeviceDescription description;
    // A handle that is not a controller's fails here with its own error.
    if (!standin::DescribeDevice(device, &description)) {
        return FALSE;
    }
    auto* data = static_cast<PreparsedData*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PreparsedData)));
    if (data == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    data->description = description;
    gPreparsed.Add(&data->link);
    *preparsedData = reinterpret_cast<PHIDP_PREPARSED_DATA>(data);
    return TRUE;
}

BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA preparsedData) {
    if (!gPreparsed.Remove(preparsedData)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HeapFree(GetProcessHeap(), 0, preparsedData);
    return TRUE;
}

BOOLEAN NTAPI HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) {
    if (attributes == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    standin::DeviceDescription description;
    if (!standin::DescribeDevice(device, &description)) {
        return FALSE;
    }
    attributes->Size = sizeof *attributes;
    attributes->VendorID = description.spec.vendorId;
    attributes->ProductID = description.spec.productId;
    attributes->VersionNumber = kVersionNumber;
    return TRUE;
}

NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA preparsedData, PHIDP_CAPS capabilities) {
    if (Find(preparsedData) == nullptr) {
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    }
    std::memset(capabilities, 0, sizeof *capabilities);
    capabilities->UsagePage = kGenericDesktopPage;
    capabilities->Usage = kJoystickUsage;
    capabilities->NumberLinkCollectionNodes = 1;
    capabilities->NumberOutputValueCaps = 1;
    capabilities->NumberOutputDataIndices = 1;
    return HIDP_STATUS_SUCCESS;
}

// The controller declares one output value and no input or feature values;
// a zero usage page, link collection or usage matches any.
NTSTATUS NTAPI HidP_GetSpecificValueCaps(HIDP_REPORT_TYPE reportType, USAGE usagePage,
                                         USHORT linkCollection, USAGE usage,
                                         PHIDP_VALUE_CAPS valueCaps, PUSHORT valueCapsLength,
                                         PHIDP_PREPARSED_DATA preparsedData) {
    const PreparsedData* data = Find(preparsedData);
    if (data == nullptr) {
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    }
    if (reportType != HidP_Input && reportType != HidP_Output && reportType != HidP_Feature) {
        return HIDP_STATUS_INVALID_REPORT_TYPE;
    }
    if (valueCapsLength == nullptr) {
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    }
    const HIDP_VALUE_CAPS caps = OutputValueCaps(*data);
    const bool matches = reportType == HidP_Output &&
                         (usagePage == 0 || usagePage == caps.UsagePage) &&
                         (linkCollection == 0 || linkCollection == caps.LinkCollection) &&
                         (usage == 0 || usage == caps.NotRange.Usage);
    if (!matches) {
        *valueCapsLength = 0;
        return HIDP_STATUS_USAGE_NOT_FOUND;
    }
    if (*valueCapsLength < 1 || valueCaps == nullptr) {
        *valueCapsLength = 1;
        return HIDP_STATUS_BUFFER_TOO_SMALL;
    }
    valueCaps[0] = caps;
    *valueCapsLength = 1;
    return HIDP_STATUS_SUCCESS;
}

}  // extern "C"
