// A fresh machine whose DirectInput objects must all be released, each
// exactly once, by the end of the test; plus helpers that open a joystick
// device the way an application does.
#pragma once

#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

#include "controller_fixture.h"
#include "simwin/control_directinput.h"

class DirectInputDeviceTest : public ControllerTest {
  protected:
    void TearDown() override {
        EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u) << "an object was not released";
        EXPECT_EQ(simwin::DirectInputReleaseErrors(), 0u) << "an object was used after release";
        ControllerTest::TearDown();
    }

    static HWND__* Window() { return reinterpret_cast<HWND__*>(0x5150); }

    static IDirectInputA* CreateDirectInput() {
        IDirectInputA* object = nullptr;
        EXPECT_EQ(DirectInputCreateA(nullptr, 0x0500, &object, nullptr), DI_OK);
        return object;
    }

    // A device of the joystick with that instance, in its second interface,
    // with nothing set; the DirectInput object is released again.
    static IDirectInputDevice2A* CreateDevice(const GUID& instance) {
        IDirectInputA* object = CreateDirectInput();
        IDirectInputDeviceA* first = nullptr;
        EXPECT_EQ(IDirectInput_CreateDevice(object, instance, &first, nullptr), DI_OK);
        IDirectInputDevice2A* device = nullptr;
        if (first != nullptr) {
            EXPECT_EQ(IDirectInputDevice_QueryInterface(first, IID_IDirectInputDevice2A,
                                                        reinterpret_cast<void**>(&device)),
                      S_OK);
            IDirectInputDevice_Release(first);
        }
        IDirectInput_Release(object);
        return device;
    }

    // As CreateDevice, with the joystick format and exclusive background
    // access set, ready to acquire.
    static IDirectInputDevice2A* OpenDevice(const GUID& instance) {
        IDirectInputDevice2A* device = CreateDevice(instance);
        if (device != nullptr) {
            EXPECT_EQ(IDirectInputDevice2_SetDataFormat(device, &c_dfDIJoystick), DI_OK);
            EXPECT_EQ(IDirectInputDevice2_SetCooperativeLevel(device, Window(),
                                                              DISCL_EXCLUSIVE | DISCL_BACKGROUND),
                      DI_OK);
        }
        return device;
    }

    static DIJOYSTATE Filled(BYTE fill) {
        DIJOYSTATE state;
        std::memset(&state, fill, sizeof state);
        return state;
    }
};
