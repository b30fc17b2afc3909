// DeviceID: binding a device entry to the controller DirectInput knows under
// a joystick id.
#include <dinput.h>
#include <dinputd.h>
extern "C" {
#include <hidsdi.h>
}

#include <cstring>

#include "effect_driver/controller_search.h"
#include "effect_driver/device_connection.h"
#include "effect_driver/driver_methods.h"
#include "effect_driver/effect_driver.h"
#include "effect_driver/playback_timer.h"

namespace {

constexpr DWORD kMinimumDirectInputVersion = 0x0700;

// The report id of the device's first output value, 0 when it declares none.
BYTE OutputReportId(HANDLE device) {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(device, &preparsed)) {
        return 0;
    }
    HIDP_VALUE_CAPS caps[4];
    std::memset(caps, 0, sizeof caps);
    USHORT count = 4;
    HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &count, preparsed);
    HidD_FreePreparsedData(preparsed);
    return caps[0].ReportID;
}

}  // namespace

HRESULT STDMETHODCALLTYPE DriverDeviceID(IDirectInputEffectDriver* This, DWORD directInputVersion,
                                         DWORD externalId, DWORD, DWORD, LPVOID) {
    if (externalId >= kDeviceCount) {
        return E_INVALIDARG;
    }
    if (directInputVersion < kMinimumDirectInputVersion) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    EffectDriver* driver = DriverFromInterface(This);
    DeviceEntry& entry = driver->devices[externalId];

    char path[kDevicePathCapacity];
    FindControllerPath(path, externalId);
    HANDLE device = OpenDevicePath(path);
    if (!IsOpenHandle(device)) {
        ReplaceConnection(entry, path, device);
        // DirectInput takes the bare error number as the binding's result.
        return ERROR_DEVICE_NOT_CONNECTED;
    }
    ReplaceConnection(entry, path, device, OutputReportId(device));
    StartPlaybackTimer(driver);
    entry.joystickId = static_cast<LONG>(externalId);
    entry.bound = 1;
    return S_OK;
}
