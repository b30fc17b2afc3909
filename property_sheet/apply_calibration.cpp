#include "property_sheet/apply_calibration.h"

#include <cstring>

#include "property_sheet/calibration_store.h"
#include "property_sheet/joystick_polling.h"

bool ApplyCalibration(const DIJOYCONFIG_DX5& record, IDIGameCntrlPropSheet* sheet) {
    if (sheet == nullptr || !SheetJoystickAnswers(sheet)) {
        return false;
    }
    IDirectInputJoyConfig* joyConfig = nullptr;
    IDIGameCntrlPropSheet_GetJoyConfigObject(sheet, &joyConfig);
    if (joyConfig == nullptr) {
        return true;
    }
    // The store finds the calibration keys by the controller's instance
    // identifier, which only the joystick configuration knows.
    DIJOYCONFIG_DX5 identity;
    std::memset(&identity, 0, sizeof identity);
    identity.dwSize = sizeof identity;
    const USHORT joystickId = IDIGameCntrlPropSheet_GetID(sheet);
    const auto joystick = static_cast<UINT>(static_cast<INT>(static_cast<SHORT>(joystickId)));
    if (FAILED(IDirectInputJoyConfig_GetConfig(
            joyConfig, joystick, reinterpret_cast<LPDIJOYCONFIG>(&identity), DIJC_GUIDINSTANCE))) {
        return true;
    }
    // Write failures are not the user's to act on; the reopen happens anyway.
    StoreCalibration(record, kStoreAxisValues, identity.guidInstance, joystickId);
    return true;
}
