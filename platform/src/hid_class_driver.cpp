// The HID class driver's calls: the HID interface class, a controller's
// preparsed report descriptor and its output value.
//
// Every simulated controller's descriptor declares at most one value, an
// output value in the top-level collection: usage page kOutputValueUsagePage,
// usage kOutputValueUsage, 8 bits, one per report, logical range 0..255, in
// the report with the controller's output report id. Input and feature
// reports declare no values.
//
// Preparsed data is an opaque token the caller must free. Tokens are known by
// address in a set of live ones, so a token never handed out or already freed
// is refused (FALSE, or HIDP_STATUS_INVALID_PREPARSED_DATA) without ever being
// read. A token keeps a copy of what it describes, so it stays readable after
// its device is unplugged or the machine is reset; HidD_GetPreparsedData
// itself needs a handle that still reaches its device.
#include <mutex>
#include <unordered_set>

#include "device_files.h"
#include "faults.h"
#include "simwin/hid.h"
#include "simwin/kernel.h"

struct _HIDP_PREPARSED_DATA {
    bool hasOutputValue;
    BYTE outputReportId;
};

namespace simwin::detail {
namespace {

std::mutex g_mutex;  // guards g_live
// Never destroyed: tokens may be freed from threads that outlive static
// destruction.
auto* g_live = new std::unordered_set<const _HIDP_PREPARSED_DATA*>;

// Copies the token's description out if the token is live.
bool ReadToken(PHIDP_PREPARSED_DATA token, _HIDP_PREPARSED_DATA* description) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_live->count(token) == 0) {
        return false;
    }
    *description = *token;
    return true;
}

}  // namespace
}  // namespace simwin::detail

size_t simwin::LivePreparsedData() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    return detail::g_live->size();
}

extern "C" {

void WINAPI HidD_GetHidGuid(LPGUID HidGuid) {
    if (HidGuid != nullptr) {
        *HidGuid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    }
}

BOOLEAN WINAPI HidD_GetPreparsedData(HANDLE HidDeviceObject, PHIDP_PREPARSED_DATA* PreparsedData) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("HidD_GetPreparsedData", &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (PreparsedData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<simwin::detail::Controller> controller;
    unsigned connection = 0;
    if (!simwin::detail::DeviceFileTarget(HidDeviceObject, &controller, &connection)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!simwin::detail::IsConnected(*controller, connection)) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    auto* token =
        new _HIDP_PREPARSED_DATA{controller->spec.hasOutputValue, controller->spec.outputReportId};
    {
        std::lock_guard<std::mutex> lock(simwin::detail::g_mutex);
        simwin::detail::g_live->insert(token);
    }
    *PreparsedData = token;
    return TRUE;
}

BOOLEAN WINAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA PreparsedData) {
    {
        std::lock_guard<std::mutex> lock(simwin::detail::g_mutex);
        if (simwin::detail::g_live->erase(PreparsedData) == 0) {
            return FALSE;
        }
    }
    delete PreparsedData;
    return TRUE;
}

NTSTATUS WINAPI HidP_GetSpecificValueCaps(HIDP_REPORT_TYPE ReportType, USAGE UsagePage,
                                          USHORT LinkCollection, USAGE Usage,
                                          PHIDP_VALUE_CAPS ValueCaps, PUSHORT ValueCapsLength,
                                          PHIDP_PREPARSED_DATA PreparsedData) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("HidP_GetSpecificValueCaps", &error)) {
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    }
    _HIDP_PREPARSED_DATA description{};
    if (!simwin::detail::ReadToken(PreparsedData, &description)) {
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    }
    if (ValueCapsLength == nullptr) {
        return HIDP_STATUS_BUFFER_TOO_SMALL;  // nowhere to say how many there are
    }
    // A zero usage page, link collection or usage matches any.
    const bool matches = ReportType == HidP_Output && description.hasOutputValue &&
                         (UsagePage == 0 || UsagePage == simwin::kOutputValueUsagePage) &&
                         LinkCollection == 0 && (Usage == 0 || Usage == simwin::kOutputValueUsage);
    if (!matches) {
        *ValueCapsLength = 0;
        return HIDP_STATUS_USAGE_NOT_FOUND;
    }
    if (*ValueCapsLength < 1 || ValueCaps == nullptr) {
        *ValueCapsLength = 1;
        return HIDP_STATUS_BUFFER_TOO_SMALL;
    }
    HIDP_VALUE_CAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.UsagePage = simwin::kOutputValueUsagePage;
    caps.ReportID = description.outputReportId;
    caps.BitField = 0x02;  // data, variable, absolute
    caps.IsAbsolute = TRUE;
    caps.BitSize = 8;
    caps.ReportCount = 1;
    caps.LogicalMin = 0;
    caps.LogicalMax = 255;
    caps.NotRange.Usage = simwin::kOutputValueUsage;
    ValueCaps[0] = caps;
    *ValueCapsLength = 1;
    return HIDP_STATUS_SUCCESS;
}

}  // extern "C"
