#include <map>
#include <vector>

#include "property_sheet/sheet_device.h"
#include "sheet_device_fixture.h"
#include "simwin/control.h"
#include "simwin/control_system.h"

namespace {

using SheetDevice = SheetDeviceTest;

// Between the cases of one test, whose Reset would hide what the last case
// left behind.
void ExpectEverythingReleased(const char* before) {
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u) << "before " << before;
    EXPECT_EQ(simwin::DirectInputReleaseErrors(), 0u) << "before " << before;
}

const std::map<DWORD, DWORD> kFourDeadZones = {{0, 500}, {4, 500}, {8, 500}, {20, 500}};

std::vector<DWORD> DeadZoneOffsetsInOrder(const simwin::DirectInputDeviceInfo& info) {
    std::vector<DWORD> offsets;
    for (const simwin::PropertyCall& call : info.propertyCalls) {
        EXPECT_EQ(call.property, 5u) << "only dead zones are set";
        EXPECT_EQ(call.header.dwSize, 20u);
        EXPECT_EQ(call.header.dwHeaderSize, 16u);
        EXPECT_EQ(call.header.dwHow, static_cast<DWORD>(DIPH_BYOFFSET));
        EXPECT_EQ(call.data, 500u);
        offsets.push_back(call.header.dwObj);
    }
    return offsets;
}

TEST_F(SheetDevice, OpensThePreparedDeviceOfTheSheetsJoystick) {
    EXPECT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DI_OK);
    ASSERT_NE(sheet_->device(), nullptr);
    ASSERT_NE(sheet_->joyConfig(), nullptr);

    const std::vector<simwin::DirectInputDeviceInfo> devices = simwin::DirectInputDevices();
    ASSERT_EQ(devices.size(), 1u);
    const simwin::DirectInputDeviceInfo& info = devices[0];
    EXPECT_TRUE(IsEqualGUID(info.instance, Instance()));
    EXPECT_EQ(info.dataFormat, &c_dfDIJoystick);
    EXPECT_EQ(info.cooperativeWindow, Owner());
    EXPECT_EQ(info.cooperativeFlags, 9u);
    EXPECT_EQ(info.deadZones, kFourDeadZones);
    EXPECT_EQ(DeadZoneOffsetsInOrder(info), (std::vector<DWORD>{0, 4, 8, 20}));
    EXPECT_FALSE(info.acquired) << "the pages' ticks acquire it";
    // The device and the joy-config object, and the DirectInput object they
    // hold; the sheet's own reference to the latter is gone.
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 3u);
    EXPECT_EQ(IDirectInputDevice2_Acquire(sheet_->device()), DI_OK);
}

TEST_F(SheetDevice, ASecondOpenFindsBothObjectsAndLeavesDirectInputAlone) {
    ASSERT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DI_OK);
    IDirectInputDevice2A* device = sheet_->device();
    IDirectInputJoyConfig* joyConfig = sheet_->joyConfig();
    // Any call to DirectInputCreateA would now fail.
    simwin::FailCall("DirectInputCreateA", 1, static_cast<DWORD>(E_OUTOFMEMORY));

    EXPECT_EQ(OpenSheetDevice(Owner(), sheet_->get()), S_FALSE);
    EXPECT_EQ(sheet_->device(), device);
    EXPECT_EQ(sheet_->joyConfig(), joyConfig);
    EXPECT_EQ(simwin::DirectInputDevices().size(), 1u);
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 3u);
    simwin::ClearFaults();
}

TEST_F(SheetDevice, ASheetWithADeviceButNoJoyConfigObjectGetsOne) {
    ASSERT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DI_OK);
    IDirectInputDevice2A* device = sheet_->device();
    IDirectInputJoyConfig_Release(sheet_->joyConfig());
    IDIGameCntrlPropSheet_SetJoyConfigObject(sheet_->get(), nullptr);

    EXPECT_EQ(OpenSheetDevice(Owner(), sheet_->get()), S_FALSE);
    EXPECT_NE(sheet_->joyConfig(), nullptr);
    EXPECT_EQ(sheet_->device(), device) << "the device is kept";
    EXPECT_EQ(simwin::DirectInputDevices().size(), 1u) << "and no other is made";
}

TEST_F(SheetDevice, ReopenReplacesBothObjectsWithAFreshlyPreparedDevice) {
    ASSERT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DI_OK);
    IDirectInputDevice2A* old = sheet_->device();
    IDirectInputJoyConfig* oldJoyConfig = sheet_->joyConfig();
    ASSERT_EQ(IDirectInputDevice2_Acquire(old), DI_OK);

    EXPECT_EQ(ReopenSheetDevice(Owner(), sheet_->get()), DI_OK);
    ASSERT_NE(sheet_->device(), nullptr);
    EXPECT_NE(sheet_->device(), old);
    EXPECT_NE(sheet_->joyConfig(), oldJoyConfig);

    const std::vector<simwin::DirectInputDeviceInfo> devices = simwin::DirectInputDevices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_TRUE(devices[0].released);
    EXPECT_EQ(devices[0].unacquireCalls, 1u) << "unacquired before its release";
    EXPECT_FALSE(devices[1].released);
    EXPECT_EQ(devices[1].deadZones, kFourDeadZones);
    EXPECT_EQ(DeadZoneOffsetsInOrder(devices[1]), (std::vector<DWORD>{0, 4, 8, 20}));
    EXPECT_EQ(devices[1].cooperativeFlags, 9u);
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 3u);
    // The old device let go of the joystick, so the new one gets it.
    EXPECT_EQ(IDirectInputDevice2_Acquire(sheet_->device()), DI_OK);
}

TEST_F(SheetDevice, ReopenOfASheetWithNothingOpensBoth) {
    EXPECT_EQ(ReopenSheetDevice(Owner(), sheet_->get()), DI_OK);
    EXPECT_NE(sheet_->device(), nullptr);
    EXPECT_NE(sheet_->joyConfig(), nullptr);
}

// Each step of the opening can fail; its code comes back unchanged, the
// sheet holds only what was handed to it before the failure, and every
// object made on the way is released (checked at TearDown).
TEST_F(SheetDevice, OpenPassesEachFailingStepsCodeThrough) {
    struct Case {
        const char* step;
        HRESULT error;
        bool joyConfigKept;
        size_t devicesMade;
    };
    const Case cases[] = {
        {"DirectInputCreateA", DIERR_OUTOFMEMORY, false, 0},
        {"IDirectInput_QueryInterface", E_NOINTERFACE, false, 0},
        {"GetConfig", DIERR_NOTFOUND, true, 0},
        {"CreateDevice", DIERR_DEVICENOTREG, true, 0},
        {"IDirectInputDevice_QueryInterface", E_NOINTERFACE, true, 1},
        {"SetDataFormat", DIERR_ACQUIRED, true, 1},
        {"SetCooperativeLevel", DIERR_INVALIDPARAM, true, 1},
    };
    for (const Case& c : cases) {
        ExpectEverythingReleased(c.step);
        simwin::Reset();
        simwin::SetJoystick(kJoystick, Instance());
        TestSheet sheet;
        sheet.SetID(kJoystick);
        simwin::FailCall(c.step, 1, static_cast<DWORD>(c.error));

        EXPECT_EQ(OpenSheetDevice(Owner(), sheet.get()), c.error) << c.step;
        EXPECT_EQ(sheet.device(), nullptr) << c.step;
        EXPECT_EQ(sheet.joyConfig() != nullptr, c.joyConfigKept) << c.step;
        const std::vector<simwin::DirectInputDeviceInfo> devices = simwin::DirectInputDevices();
        ASSERT_EQ(devices.size(), c.devicesMade) << c.step;
        if (!devices.empty()) {
            EXPECT_TRUE(devices[0].released) << c.step;
        }
        // The joy-config object and the DirectInput object it holds.
        EXPECT_EQ(simwin::LiveDirectInputObjects(), c.joyConfigKept ? 2u : 0u) << c.step;

        // The next open, with the fault gone, completes the sheet.
        EXPECT_EQ(OpenSheetDevice(Owner(), sheet.get()), DI_OK) << c.step;
        EXPECT_NE(sheet.device(), nullptr) << c.step;
    }
}

TEST_F(SheetDevice, ReopenPassesEachFailingStepsCodeThrough) {
    struct Case {
        const char* step;
        HRESULT error;
        bool oldDeviceKept;
        bool joyConfigHeld;
    };
    const Case cases[] = {
        // Nothing is released before DirectInput answers.
        {"DirectInputCreateA", DIERR_OUTOFMEMORY, true, true},
        {"IDirectInput_QueryInterface", E_NOINTERFACE, true, false},
        {"GetConfig", DIERR_NOTFOUND, false, true},
        {"CreateDevice", DIERR_DEVICENOTREG, false, true},
        {"IDirectInputDevice_QueryInterface", E_NOINTERFACE, false, true},
        {"SetDataFormat", DIERR_ACQUIRED, false, true},
        {"SetCooperativeLevel", DIERR_INVALIDPARAM, false, true},
    };
    for (const Case& c : cases) {
        ExpectEverythingReleased(c.step);
        simwin::Reset();
        simwin::SetJoystick(kJoystick, Instance());
        TestSheet sheet;
        sheet.SetID(kJoystick);
        ASSERT_EQ(OpenSheetDevice(Owner(), sheet.get()), DI_OK) << c.step;
        IDirectInputDevice2A* old = sheet.device();
        IDirectInputJoyConfig* oldJoyConfig = sheet.joyConfig();
        simwin::FailCall(c.step, 1, static_cast<DWORD>(c.error));

        EXPECT_EQ(ReopenSheetDevice(Owner(), sheet.get()), c.error) << c.step;
        EXPECT_EQ(sheet.device(), c.oldDeviceKept ? old : nullptr) << c.step;
        EXPECT_EQ(sheet.joyConfig() != nullptr, c.joyConfigHeld) << c.step;
        if (c.oldDeviceKept && c.joyConfigHeld) {
            EXPECT_EQ(sheet.joyConfig(), oldJoyConfig) << c.step;
        }
        const std::vector<simwin::DirectInputDeviceInfo> devices = simwin::DirectInputDevices();
        EXPECT_EQ(devices[0].released, !c.oldDeviceKept) << c.step;
        for (size_t i = 1; i < devices.size(); ++i) {
            EXPECT_TRUE(devices[i].released) << c.step << ": a half-made device was kept";
        }
    }
}

TEST_F(SheetDevice, AnUnsetIdAsksForJoystickMinusOne) {
    sheet_->SetID(0xFFFF);
    EXPECT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DIERR_NOMOREITEMS);
    EXPECT_EQ(sheet_->device(), nullptr);
    EXPECT_TRUE(simwin::DirectInputDevices().empty());

    // Joystick -1 is what was asked for: once it exists, the same sheet opens.
    simwin::SetJoystick(static_cast<UINT>(-1), Instance());
    EXPECT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DI_OK);
    EXPECT_NE(sheet_->device(), nullptr);
}

TEST_F(SheetDevice, ABadSheetPointerIsRefusedBeforeDirectInputIsAsked) {
    const UINT_PTR size = ControllerSheetObjectSize();
    TestSheet unreadable;
    TestSheet unwritable;
    TestSheet lastByteUnwritable;
    simwin::DeclareUnreadable(unreadable.get(), size);
    simwin::DeclareUnwritable(unwritable.get(), size);
    simwin::DeclareUnwritable(reinterpret_cast<BYTE*>(lastByteUnwritable.get()) + size - 1, 1);
    for (IDIGameCntrlPropSheet* sheet :
         {static_cast<IDIGameCntrlPropSheet*>(nullptr), unreadable.get(), unwritable.get(),
          lastByteUnwritable.get()}) {
        EXPECT_EQ(OpenSheetDevice(Owner(), sheet), E_POINTER);
        EXPECT_EQ(ReopenSheetDevice(Owner(), sheet), E_POINTER);
    }
    simwin::ClearDeclaredMemory();
    EXPECT_EQ(unwritable.device(), nullptr);
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u);

    // The lock was left on every path: the good sheet still opens.
    EXPECT_EQ(OpenSheetDevice(Owner(), sheet_->get()), DI_OK);
}

TEST_F(SheetDevice, CreateJoystickDeviceChecksItsPointers) {
    IDirectInputA* directInput = nullptr;
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &directInput, nullptr), DI_OK);
    IDirectInputJoyConfig* joyConfig = nullptr;
    ASSERT_EQ(IDirectInput_QueryInterface(directInput, IID_IDirectInputJoyConfig,
                                          reinterpret_cast<void**>(&joyConfig)),
              S_OK);
    IDirectInputDevice2A* device = nullptr;
    EXPECT_EQ(CreateJoystickDevice(kJoystick, Owner(), nullptr, joyConfig, &device), E_POINTER);
    EXPECT_EQ(CreateJoystickDevice(kJoystick, Owner(), directInput, nullptr, &device), E_POINTER);
    EXPECT_EQ(CreateJoystickDevice(kJoystick, Owner(), directInput, joyConfig, nullptr), E_POINTER);
    EXPECT_TRUE(simwin::DirectInputDevices().empty());

    ASSERT_EQ(CreateJoystickDevice(kJoystick, Owner(), directInput, joyConfig, &device), DI_OK);
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(simwin::DirectInputDevices()[0].propertyCalls.empty())
        << "dead zones are the sheet's business";
    IDirectInputDevice2_Release(device);
    IDirectInputJoyConfig_Release(joyConfig);
    IDirectInput_Release(directInput);
}

}  // namespace
