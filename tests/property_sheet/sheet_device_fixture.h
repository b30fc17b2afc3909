// A fresh machine with one joystick in the table, the SheetLock alive and
// a sheet whose objects are released before the fixture checks that
// every DirectInput object was released exactly once.
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

#include <memory>

#include "test_sheet.h"
#include "platform/simwin_fixture.h"
#include "property_sheet/module_state.h"
#include "simwin/control_devices.h"
#include "simwin/control_directinput.h"

class SheetDeviceTest : public SimwinTest {
  protected:
    static constexpr UINT kJoystick = 3;
    static GUID Instance() { return {0x6A000001u, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}}; }
    static HWND Owner() { return reinterpret_cast<HWND>(0x7A10); }

    void SetUp() override {
        SimwinTest::SetUp();
        InitializeSheetLock();
        simwin::SetJoystick(kJoystick, Instance());
        sheet_ = std::make_unique<TestSheet>();
        sheet_->SetID(kJoystick);
    }

    void TearDown() override {
        sheet_.reset();
        DeleteSheetLock();
        EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u) << "an object was not released";
        EXPECT_EQ(simwin::DirectInputReleaseErrors(), 0u) << "an object was used after release";
        SimwinTest::TearDown();
    }

    std::unique_ptr<TestSheet> sheet_;
};
