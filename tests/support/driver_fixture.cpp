#include "support/driver_fixture.h"

#include <unistd.h>

#include "effect_driver/motor_reports.h"
#include "effect_driver/playback_lock.h"
#include "profiles/selected_model.h"
#include "support/effect_registrations_fixture.h"

namespace test_support {

void DriverFixture::SetUp() {
    simwin::Reset();
    simwin::SetEventNamespace("rumbix-driver-test-" + std::to_string(getpid()));
    ASSERT_TRUE(CreatePlaybackLock());
    ResetMotorsRunning();
    InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
    driver_ = CreateEffectDriver();
    ASSERT_NE(nullptr, driver_);
    ASSERT_EQ(S_OK, InitializeDriver(driver_));
}

void DriverFixture::TearDown() {
    ReleaseDriver();
    ClosePlaybackLock();
}

void DriverFixture::ReleaseDriver() {
    if (driver_ != nullptr) {
        EXPECT_EQ(0u, IDirectInputEffectDriver_Release(&driver_->iface));
        driver_ = nullptr;
    }
}

TestController DriverFixture::PlugController(UINT joystickId, BYTE outputReportId,
                                             bool hasOutputValue) {
    int n = nextController_++;
    GUID instance = {0x6A000000u + static_cast<DWORD>(n), 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
    char path[160];
    std::snprintf(path, sizeof path,
                  "\\\\?\\hid#vid_%04x&pid_%04x#7&%d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  kModelProfile.vendorId, kModelProfile.productId, n);
    simwin::HidControllerSpec spec;
    spec.vendorId = kModelProfile.vendorId;
    spec.productId = kModelProfile.productId;
    spec.interfacePath = path;
    spec.directInputInstance = instance;
    spec.hasOutputValue = hasOutputValue;
    spec.outputReportId = outputReportId;
    simwin::ControllerId id = simwin::AddHidController(spec);
    simwin::SetJoystick(joystickId, instance);
    return {id, path, instance};
}

HRESULT DriverFixture::Bind(DWORD joystickId, DWORD directInputVersion) {
    return IDirectInputEffectDriver_DeviceID(&driver_->iface, directInputVersion, joystickId, 1, 0,
                                             nullptr);
}

TestController DriverFixture::PlugAndBind(UINT joystickId, BYTE outputReportId) {
    TestController controller = PlugController(joystickId, outputReportId);
    EXPECT_EQ(S_OK, Bind(joystickId));
    return controller;
}

}  // namespace test_support
