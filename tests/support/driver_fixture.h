// A driver object made the way its factory makes it, on a fresh simulated
// machine with the effect registrations installed, and controllers of this
// build's model that tests plug in at joystick ids.
#pragma once

#include <gtest/gtest.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>

#include <string>

#include "effect_driver/effect_driver.h"

namespace test_support {

// A controller of the build's model as the fixture plugs it in.
struct TestController {
    simwin::ControllerId id;
    std::string path;
    GUID instance;
};

class DriverFixture : public ::testing::Test {
  public:
    void SetUp() override;
    void TearDown() override;

    // Plugs in a controller of the model and lists it in DirectInput's
    // joystick table at `joystickId`.
    TestController PlugController(UINT joystickId, BYTE outputReportId = 0,
                                  bool hasOutputValue = true);
    HRESULT Bind(DWORD joystickId, DWORD directInputVersion = 0x0700);
    // Binds and checks it worked.
    TestController PlugAndBind(UINT joystickId, BYTE outputReportId = 0);

    // Releases the driver now (the fixture does it otherwise at the end).
    void ReleaseDriver();

    IDirectInputEffectDriver* iface() { return &driver_->iface; }
    DeviceEntry& entry(DWORD index) { return driver_->devices[index]; }

    EffectDriver* driver_ = nullptr;

  private:
    int nextController_ = 0;
};

}  // namespace test_support
