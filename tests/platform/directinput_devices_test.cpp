#include <vector>

#include "directinput_fixture.h"

namespace {

using DirectInputDevices = DirectInputDeviceTest;

const DWORD kExclusiveBackground = DISCL_EXCLUSIVE | DISCL_BACKGROUND;

TEST_F(DirectInputDevices, IdentifiersAndTheJoystickFormat) {
    struct Case {
        const GUID* guid;
        GUID expected;
    };
    const Case cases[] = {
        {&IID_IDirectInputA,
         {0x89521360, 0xAA8A, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}}},
        {&IID_IDirectInputDeviceA,
         {0x5944E680, 0xC92E, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}}},
        {&IID_IDirectInputDevice2A,
         {0x5944E682, 0xC92E, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}}},
        {&IID_IDirectInputEffect,
         {0xE7E1F7C0, 0x88D2, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}}},
        {&GUID_ConstantForce,
         {0x13541C20, 0x8E33, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}}},
        {&GUID_XAxis,
         {0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}}},
        {&GUID_RzAxis,
         {0xA36D02E3, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(IsEqualGUID(*c.guid, c.expected)) << std::hex << c.expected.Data1;
    }

    EXPECT_EQ(c_dfDIJoystick.dwSize, sizeof(void*) == 8 ? 32u : 24u);
    EXPECT_EQ(c_dfDIJoystick.dwObjSize, sizeof(DIOBJECTDATAFORMAT));
    EXPECT_EQ(c_dfDIJoystick.dwFlags, static_cast<DWORD>(DIDF_ABSAXIS));
    EXPECT_EQ(c_dfDIJoystick.dwDataSize, 80u);
    ASSERT_EQ(c_dfDIJoystick.dwNumObjs, 44u);
    // Axes and sliders, points of view, then one byte per button.
    std::vector<DWORD> offsets;
    for (DWORD i = 0; i < c_dfDIJoystick.dwNumObjs; ++i) {
        offsets.push_back(c_dfDIJoystick.rgodf[i].dwOfs);
    }
    std::vector<DWORD> expected = {0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44};
    for (DWORD button = 0; button < 32; ++button) {
        expected.push_back(48 + button);
    }
    EXPECT_EQ(offsets, expected);
    EXPECT_EQ(c_dfDIJoystick.rgodf[5].pguid, &GUID_RzAxis);
    EXPECT_EQ(c_dfDIJoystick.rgodf[8].dwType & DIDFT_POV, static_cast<DWORD>(DIDFT_POV));
    EXPECT_EQ(c_dfDIJoystick.rgodf[43].dwType & DIDFT_BUTTON, static_cast<DWORD>(DIDFT_BUTTON));
}

TEST_F(DirectInputDevices, CreateResults) {
    IUnknown outer = {};
    struct Case {
        const char* what;
        DWORD version;
        IUnknown* outer;
        DWORD injected;  // 0: none
        HRESULT result;
    };
    const Case cases[] = {
        {"version 5", 0x0500, nullptr, 0, DI_OK},
        {"version 3", 0x0300, nullptr, 0, DI_OK},
        {"version 7", 0x0700, nullptr, 0, DI_OK},
        {"before version 3", 0x0200, nullptr, 0, DIERR_OLDDIRECTINPUTVERSION},
        {"aggregated", 0x0500, &outer, 0, CLASS_E_NOAGGREGATION},
        {"injected error number", 0x0500, nullptr, ERROR_GEN_FAILURE, E_FAIL},
        {"injected HRESULT", 0x0500, nullptr, static_cast<DWORD>(E_OUTOFMEMORY), E_OUTOFMEMORY},
    };
    for (const Case& c : cases) {
        if (c.injected != 0) {
            simwin::FailCall("DirectInputCreateA", 1, c.injected);
        }
        IDirectInputA* out = reinterpret_cast<IDirectInputA*>(0x1234);
        EXPECT_EQ(DirectInputCreateA(nullptr, c.version, &out, c.outer), c.result) << c.what;
        if (SUCCEEDED(c.result)) {
            ASSERT_NE(out, nullptr) << c.what;
            EXPECT_EQ(simwin::LiveDirectInputObjects(), 1u) << c.what;
            EXPECT_EQ(IDirectInput_Release(out), 0u) << c.what;
        } else {
            EXPECT_EQ(out, nullptr) << c.what;
        }
        EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u) << c.what;
    }
    EXPECT_EQ(DirectInputCreateA(nullptr, 0x0500, nullptr, nullptr), E_POINTER);
}

// The way a property sheet opens its joystick: configuration, device,
// second interface, format, access, dead zones; then it lets go of the
// DirectInput object and keeps the other two.
TEST_F(DirectInputDevices, OpenAJoystickThroughItsConfiguration) {
    const GUID instance = InstanceOf(1);
    simwin::SetJoystick(2, instance);
    IDirectInputA* object = CreateDirectInput();
    IDirectInputJoyConfig* config = nullptr;
    ASSERT_EQ(IDirectInput_QueryInterface(object, IID_IDirectInputJoyConfig,
                                          reinterpret_cast<void**>(&config)),
              S_OK);

    DIJOYCONFIG_DX5 record;
    std::memset(&record, 0, sizeof record);
    record.dwSize = sizeof record;
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(config, static_cast<UINT>(-1),
                                              reinterpret_cast<LPDIJOYCONFIG>(&record),
                                              DIJC_GUIDINSTANCE),
              DIERR_NOMOREITEMS)
        << "no joystick -1";
    ASSERT_EQ(IDirectInputJoyConfig_GetConfig(config, 2, reinterpret_cast<LPDIJOYCONFIG>(&record),
                                              DIJC_GUIDINSTANCE),
              DI_OK);

    IDirectInputDeviceA* first = nullptr;
    ASSERT_EQ(IDirectInput_CreateDevice(object, record.guidInstance, &first, nullptr), DI_OK);
    IDirectInputDevice2A* device = nullptr;
    ASSERT_EQ(IDirectInputDevice_QueryInterface(first, IID_IDirectInputDevice2A,
                                                reinterpret_cast<void**>(&device)),
              S_OK);
    EXPECT_EQ(static_cast<void*>(device), static_cast<void*>(first));
    EXPECT_EQ(IDirectInputDevice_Release(first), 1u);
    EXPECT_EQ(IDirectInputDevice2_SetDataFormat(device, &c_dfDIJoystick), DI_OK);
    EXPECT_EQ(IDirectInputDevice2_SetCooperativeLevel(device, Window(), kExclusiveBackground),
              DI_OK);
    for (DWORD offset : {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ}) {
        DIPROPDWORD deadZone;
        deadZone.diph.dwSize = sizeof deadZone;
        deadZone.diph.dwHeaderSize = sizeof deadZone.diph;
        deadZone.diph.dwObj = offset;
        deadZone.diph.dwHow = DIPH_BYOFFSET;
        deadZone.dwData = 500;
        EXPECT_EQ(IDirectInputDevice2_SetProperty(device, DIPROP_DEADZONE, &deadZone.diph), DI_OK);
    }
    EXPECT_EQ(IDirectInput_Release(object), 2u) << "held by the configuration and the device";
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 3u);

    const std::vector<simwin::DirectInputDeviceInfo> devices = simwin::DirectInputDevices();
    ASSERT_EQ(devices.size(), 1u);
    const simwin::DirectInputDeviceInfo& info = devices[0];
    EXPECT_TRUE(IsEqualGUID(info.instance, instance));
    EXPECT_FALSE(info.released);
    EXPECT_EQ(info.dataFormat, &c_dfDIJoystick);
    EXPECT_TRUE(info.cooperativeLevelSet);
    EXPECT_EQ(info.cooperativeWindow, Window());
    EXPECT_EQ(info.cooperativeFlags, 9u);
    EXPECT_EQ(info.deadZones, (std::map<DWORD, DWORD>{{0, 500}, {4, 500}, {8, 500}, {20, 500}}));
    std::vector<DWORD> order;
    for (const simwin::PropertyCall& call : info.propertyCalls) {
        EXPECT_EQ(call.property, 5u);
        EXPECT_EQ(call.header.dwSize, 20u);
        EXPECT_EQ(call.header.dwHeaderSize, 16u);
        EXPECT_EQ(call.header.dwHow, static_cast<DWORD>(DIPH_BYOFFSET));
        order.push_back(call.header.dwObj);
    }
    EXPECT_EQ(order, (std::vector<DWORD>{0, 4, 8, 20}));
    EXPECT_FALSE(info.acquired);
    EXPECT_EQ(info.acquireCalls + info.getDeviceStateCalls + info.pollCalls, 0u);

    EXPECT_EQ(IDirectInputDevice2_Unacquire(device), DI_NOEFFECT);
    EXPECT_EQ(IDirectInputDevice2_Release(device), 0u);
    EXPECT_TRUE(simwin::DirectInputDevices()[0].released);
    EXPECT_EQ(IDirectInputJoyConfig_Unacquire(config), DI_OK);
    EXPECT_EQ(IDirectInputJoyConfig_Release(config), 0u);
}

TEST_F(DirectInputDevices, CreateDeviceKnowsTheJoysticksAndThePresentControllers) {
    simwin::SetJoystick(0, InstanceOf(1));
    Plug(2);  // present, in no joystick slot
    simwin::UnplugController(Plug(3));
    IUnknown outer = {};
    struct Case {
        const char* what;
        GUID instance;
        IUnknown* outer;
        DWORD injected;
        HRESULT result;
    };
    const Case cases[] = {
        {"joystick", InstanceOf(1), nullptr, 0, DI_OK},
        {"present controller", InstanceOf(2), nullptr, 0, DI_OK},
        {"unplugged controller", InstanceOf(3), nullptr, 0, DIERR_DEVICENOTREG},
        {"unknown", InstanceOf(4), nullptr, 0, DIERR_DEVICENOTREG},
        {"aggregated", InstanceOf(1), &outer, 0, CLASS_E_NOAGGREGATION},
        {"injected", InstanceOf(1), nullptr, static_cast<DWORD>(DIERR_OUTOFMEMORY),
         DIERR_OUTOFMEMORY},
    };
    IDirectInputA* object = CreateDirectInput();
    for (const Case& c : cases) {
        if (c.injected != 0) {
            simwin::FailCall("CreateDevice", 1, c.injected);
        }
        IDirectInputDeviceA* device = reinterpret_cast<IDirectInputDeviceA*>(0x1234);
        EXPECT_EQ(IDirectInput_CreateDevice(object, c.instance, &device, c.outer), c.result)
            << c.what;
        if (SUCCEEDED(c.result)) {
            ASSERT_NE(device, nullptr) << c.what;
            EXPECT_EQ(IDirectInputDevice_Release(device), 0u) << c.what;
        } else {
            EXPECT_EQ(device, nullptr) << c.what;
        }
    }
    EXPECT_EQ(IDirectInput_CreateDevice(object, InstanceOf(1), nullptr, nullptr), E_POINTER);
    EXPECT_EQ(simwin::DirectInputDevices().size(), 2u);

    // The interfaces a device and the DirectInput object answer.
    IDirectInputDevice2A* device = CreateDevice(InstanceOf(1));
    ASSERT_NE(device, nullptr);
    for (const IID* iid : {&IID_IUnknown, &IID_IDirectInputDeviceA, &IID_IDirectInputDevice2A}) {
        void* same = nullptr;
        EXPECT_EQ(IDirectInputDevice2_QueryInterface(device, *iid, &same), S_OK);
        EXPECT_EQ(same, device);
        IDirectInputDevice2_Release(device);
    }
    void* none = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(IDirectInputDevice2_QueryInterface(device, IID_IDirectInputEffect, &none),
              E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    simwin::FailCall("IDirectInputDevice_QueryInterface", 1, static_cast<DWORD>(E_NOINTERFACE));
    EXPECT_EQ(IDirectInputDevice2_QueryInterface(device, IID_IDirectInputDevice2A, &none),
              E_NOINTERFACE);
    EXPECT_EQ(IDirectInputDevice2_Release(device), 0u);

    void* same = nullptr;
    EXPECT_EQ(IDirectInput_QueryInterface(object, IID_IDirectInputA, &same), S_OK);
    EXPECT_EQ(same, object);
    EXPECT_EQ(IDirectInput_QueryInterface(object, IID_IDirectInput7A, &none), E_NOINTERFACE);
    simwin::FailCall("IDirectInput_QueryInterface", 1, static_cast<DWORD>(E_OUTOFMEMORY));
    EXPECT_EQ(IDirectInput_QueryInterface(object, IID_IDirectInputJoyConfig, &none), E_OUTOFMEMORY);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(IDirectInput_Release(object), 1u);
    EXPECT_EQ(IDirectInput_Release(object), 0u);
}

TEST_F(DirectInputDevices, FormatAccessAndPropertiesAreChecked) {
    simwin::SetJoystick(0, InstanceOf(1));
    IDirectInputDevice2A* device = CreateDevice(InstanceOf(1));
    ASSERT_NE(device, nullptr);

    DIPROPDWORD early = {{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 1};
    EXPECT_EQ(IDirectInputDevice2_SetProperty(device, DIPROP_DEADZONE, &early.diph),
              DIERR_INVALIDPARAM)
        << "offsets mean nothing before a format";
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), DIERR_INVALIDPARAM) << "no format yet";

    DIDATAFORMAT otherSize = c_dfDIJoystick;
    otherSize.dwDataSize = 272;
    DIDATAFORMAT otherHeader = c_dfDIJoystick;
    otherHeader.dwSize = 20;
    EXPECT_EQ(IDirectInputDevice2_SetDataFormat(device, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(IDirectInputDevice2_SetDataFormat(device, &otherSize), DIERR_INVALIDPARAM);
    EXPECT_EQ(IDirectInputDevice2_SetDataFormat(device, &otherHeader), DIERR_INVALIDPARAM);
    EXPECT_EQ(simwin::DirectInputDevices()[0].dataFormat, nullptr);
    EXPECT_EQ(IDirectInputDevice2_SetDataFormat(device, &c_dfDIJoystick), DI_OK);

    const DWORD levels[] = {0, DISCL_EXCLUSIVE, DISCL_BACKGROUND,
                            DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND,
                            DISCL_EXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND};
    for (DWORD level : levels) {
        EXPECT_EQ(IDirectInputDevice2_SetCooperativeLevel(device, Window(), level),
                  DIERR_INVALIDPARAM)
            << level;
    }
    EXPECT_FALSE(simwin::DirectInputDevices()[0].cooperativeLevelSet);
    EXPECT_EQ(IDirectInputDevice2_SetCooperativeLevel(device, Window(), kExclusiveBackground),
              DI_OK);

    struct Case {
        const char* what;
        const GUID* property;
        DIPROPDWORD record;
        HRESULT result;
    };
    const DIPROPHEADER byOffset = {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_BYOFFSET};
    auto with = [](DIPROPHEADER header, DWORD obj, DWORD value) {
        header.dwObj = obj;
        return DIPROPDWORD{header, value};
    };
    DIPROPHEADER shortRecord = byOffset;
    shortRecord.dwSize = sizeof(DIPROPHEADER);
    DIPROPHEADER otherHeader2 = byOffset;
    otherHeader2.dwHeaderSize = 20;
    DIPROPHEADER byId = byOffset;
    byId.dwHow = DIPH_BYID;
    const Case cases[] = {
        {"lRz", &DIPROP_DEADZONE, with(byOffset, DIJOFS_RZ, 500), DI_OK},
        {"full range", &DIPROP_DEADZONE, with(byOffset, DIJOFS_X, 10000), DI_OK},
        {"over the range", &DIPROP_DEADZONE, with(byOffset, DIJOFS_Y, 10001), DIERR_INVALIDPARAM},
        {"a button", &DIPROP_DEADZONE, with(byOffset, DIJOFS_BUTTON(0), 500), DIERR_OBJECTNOTFOUND},
        {"inside an axis", &DIPROP_DEADZONE, with(byOffset, 2, 500), DIERR_OBJECTNOTFOUND},
        {"record without data", &DIPROP_DEADZONE, with(shortRecord, DIJOFS_Y, 500),
         DIERR_INVALIDPARAM},
        {"other header size", &DIPROP_DEADZONE, with(otherHeader2, DIJOFS_Y, 500),
         DIERR_INVALIDPARAM},
        {"by id", &DIPROP_DEADZONE, with(byId, DIJOFS_Y, 500), DIERR_INVALIDPARAM},
        {"range", &DIPROP_RANGE, with(byOffset, DIJOFS_Y, 500), DIERR_UNSUPPORTED},
        {"a GUID of its own", &GUID_XAxis, with(byOffset, DIJOFS_Y, 500), DIERR_UNSUPPORTED},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IDirectInputDevice2_SetProperty(device, *c.property, &c.record.diph), c.result)
            << c.what;
    }
    EXPECT_EQ(IDirectInputDevice2_SetProperty(device, DIPROP_DEADZONE, nullptr),
              DIERR_INVALIDPARAM);
    simwin::DirectInputDeviceInfo info = simwin::DirectInputDevices()[0];
    EXPECT_EQ(info.deadZones, (std::map<DWORD, DWORD>{{0, 10000}, {20, 500}}));
    ASSERT_EQ(info.propertyCalls.size(), 1 + std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(info.propertyCalls[i + 1].result, cases[i].result) << cases[i].what;
    }
    EXPECT_EQ(info.propertyCalls.back().property, 0u) << "not a predefined property";

    // The whole device: every axis of the format.
    DIPROPDWORD whole = {{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 700};
    EXPECT_EQ(IDirectInputDevice2_SetProperty(device, DIPROP_DEADZONE, &whole.diph), DI_OK);
    info = simwin::DirectInputDevices()[0];
    EXPECT_EQ(info.deadZones.size(), 8u);
    EXPECT_EQ(info.deadZones[DIJOFS_SLIDER(1)], 700u);

    // The format stays while the device is acquired.
    ASSERT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);
    EXPECT_EQ(IDirectInputDevice2_SetDataFormat(device, &c_dfDIJoystick), DIERR_ACQUIRED);
    simwin::FailCall("SetDataFormat", 1, static_cast<DWORD>(DIERR_NOTINITIALIZED));
    EXPECT_EQ(IDirectInputDevice2_SetDataFormat(device, &c_dfDIJoystick), DIERR_NOTINITIALIZED);
    simwin::FailCall("SetCooperativeLevel", 1, static_cast<DWORD>(DIERR_NOTINITIALIZED));
    EXPECT_EQ(IDirectInputDevice2_SetCooperativeLevel(device, Window(), kExclusiveBackground),
              DIERR_NOTINITIALIZED);
    EXPECT_EQ(IDirectInputDevice2_Release(device), 0u);
}

TEST_F(DirectInputDevices, AcquireAnswersAsScriptedOrAsTheControllerIs) {
    const GUID instance = InstanceOf(1);
    const simwin::ControllerId controller = Plug(1);
    simwin::SetJoystick(0, instance);
    IDirectInputDevice2A* device = OpenDevice(instance);
    ASSERT_NE(device, nullptr);
    auto acquired = [] { return simwin::DirectInputDevices()[0].acquired; };

    EXPECT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), S_FALSE) << "already acquired";
    EXPECT_EQ(IDirectInputDevice2_Unacquire(device), DI_OK);
    EXPECT_EQ(IDirectInputDevice2_Unacquire(device), DI_NOEFFECT);

    // Queued results serve one call each, in order, then the controller
    // answers again.
    for (HRESULT result : {DIERR_INPUTLOST, DIERR_NOTACQUIRED, E_FAIL, S_FALSE}) {
        simwin::ScriptAcquire(instance, result);
    }
    for (HRESULT result : {DIERR_INPUTLOST, DIERR_NOTACQUIRED, E_FAIL}) {
        EXPECT_EQ(IDirectInputDevice2_Acquire(device), result);
        EXPECT_FALSE(acquired());
    }
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), S_FALSE);
    EXPECT_TRUE(acquired()) << "a scripted success acquires";
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), S_FALSE);

    // A lasting result, behind any queued one, until cleared.
    simwin::ScriptAcquire(instance, E_FAIL, simwin::ScriptScope::EveryCall);
    simwin::ScriptAcquire(instance, DI_OK);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), E_FAIL);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), E_FAIL);
    simwin::ClearJoystickScripts(instance);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);

    // An unplugged controller cannot be acquired; replugged it can.
    simwin::UnplugController(controller);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), DIERR_UNPLUGGED);
    EXPECT_FALSE(acquired());
    simwin::ReplugController(controller);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);

    // A second device of the same joystick waits for the first to let go;
    // the first lets go at the latest at its last Release.
    IDirectInputDevice2A* second = OpenDevice(instance);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(IDirectInputDevice2_Acquire(second), DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(IDirectInputDevice2_Release(device), 0u);
    EXPECT_EQ(IDirectInputDevice2_Acquire(second), DI_OK);
    EXPECT_EQ(simwin::DirectInputDevices()[0].acquireCalls, 13u);
    EXPECT_EQ(IDirectInputDevice2_Release(second), 0u);
}

TEST_F(DirectInputDevices, GetDeviceStateReadsTheScriptedState) {
    const GUID instance = InstanceOf(1);
    const simwin::ControllerId controller = Plug(1);
    simwin::SetJoystick(0, instance);
    IDirectInputDevice2A* device = OpenDevice(instance);
    ASSERT_NE(device, nullptr);

    DIJOYSTATE state = Filled(0xAB);
    const DIJOYSTATE untouched = state;
    EXPECT_EQ(IDirectInputDevice2_GetDeviceState(device, sizeof state, &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(std::memcmp(&state, &untouched, sizeof state), 0);
    EXPECT_EQ(IDirectInputDevice2_Poll(device), DIERR_NOTACQUIRED);
    ASSERT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);

    // Until scripted: centred.
    ASSERT_EQ(IDirectInputDevice2_GetDeviceState(device, sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 32767);
    EXPECT_EQ(state.lRz, 32767);
    EXPECT_EQ(state.rglSlider[0], 0);
    EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu);
    EXPECT_EQ(state.rgbButtons[0], 0);

    DIJOYSTATE scripted = Filled(0);
    scripted.lX = 0;
    scripted.lY = 65535;
    scripted.lRz = 1234;
    scripted.rgdwPOV[0] = 9000;
    scripted.rgbButtons[11] = 0x80;
    simwin::SetJoystickState(instance, scripted);
    ASSERT_EQ(IDirectInputDevice2_GetDeviceState(device, sizeof state, &state), DI_OK);
    EXPECT_EQ(std::memcmp(&state, &scripted, sizeof state), 0);

    struct Case {
        const char* what;
        DWORD size;
        HRESULT scripted;  // S_OK: none
        HRESULT result;
        bool fills;
        bool staysAcquired;
    };
    const Case cases[] = {
        {"one byte short", 79, S_OK, DIERR_INVALIDPARAM, false, true},
        {"one byte over", 81, S_OK, DIERR_INVALIDPARAM, false, true},
        {"scripted failure", 80, E_FAIL, E_FAIL, false, true},
        {"scripted not acquired", 80, DIERR_NOTACQUIRED, DIERR_NOTACQUIRED, false, true},
        {"scripted success code", 80, DI_POLLEDDEVICE, DI_POLLEDDEVICE, true, true},
        {"input lost", 80, DIERR_INPUTLOST, DIERR_INPUTLOST, false, false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(IDirectInputDevice2_Acquire(device),
                  simwin::DirectInputDevices()[0].acquired ? S_FALSE : DI_OK);
        if (c.scripted != S_OK) {
            simwin::ScriptGetDeviceState(instance, c.scripted);
        }
        std::vector<BYTE> buffer(c.size, 0xAB);
        EXPECT_EQ(IDirectInputDevice2_GetDeviceState(device, c.size, buffer.data()), c.result)
            << c.what;
        EXPECT_EQ(std::memcmp(buffer.data(),
                              c.fills ? reinterpret_cast<const void*>(&scripted)
                                      : reinterpret_cast<const void*>(&untouched),
                              std::min<size_t>(c.size, sizeof state)),
                  0)
            << c.what;
        EXPECT_EQ(simwin::DirectInputDevices()[0].acquired, c.staysAcquired) << c.what;
    }
    EXPECT_EQ(IDirectInputDevice2_GetDeviceState(device, sizeof state, nullptr),
              DIERR_INVALIDPARAM);

    // Lasting failure, and the controller pulled out while acquired.
    ASSERT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);
    simwin::ScriptGetDeviceState(instance, E_FAIL, simwin::ScriptScope::EveryCall);
    EXPECT_EQ(IDirectInputDevice2_GetDeviceState(device, sizeof state, &state), E_FAIL);
    EXPECT_EQ(IDirectInputDevice2_GetDeviceState(device, sizeof state, &state), E_FAIL);
    simwin::ClearJoystickScripts(instance);
    simwin::UnplugController(controller);
    EXPECT_EQ(IDirectInputDevice2_GetDeviceState(device, sizeof state, &state), DIERR_INPUTLOST);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), DIERR_UNPLUGGED);

    simwin::ReplugController(controller);
    ASSERT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);
    EXPECT_EQ(IDirectInputDevice2_Poll(device), DI_NOEFFECT);
    const simwin::DirectInputDeviceInfo info = simwin::DirectInputDevices()[0];
    EXPECT_EQ(info.pollCalls, 2u);
    EXPECT_EQ(info.getDeviceStateCalls, 13u);
    EXPECT_EQ(IDirectInputDevice2_Release(device), 0u);
}

TEST_F(DirectInputDevices, CallsAfterTheLastReleaseAreCountedNotFollowed) {
    simwin::SetJoystick(0, InstanceOf(1));
    IDirectInputDevice2A* device = OpenDevice(InstanceOf(1));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(IDirectInputDevice2_Release(device), 0u);
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u);
    EXPECT_EQ(simwin::DirectInputReleaseErrors(), 0u);

    EXPECT_EQ(IDirectInputDevice2_Release(device), 0u);
    EXPECT_EQ(IDirectInputDevice2_AddRef(device), 0u);
    EXPECT_EQ(IDirectInputDevice2_Acquire(device), E_FAIL);
    EXPECT_EQ(simwin::DirectInputReleaseErrors(), 3u);

    IDirectInputA* object = CreateDirectInput();
    IDirectInputJoyConfig* config = nullptr;
    IDirectInput_QueryInterface(object, IID_IDirectInputJoyConfig,
                                reinterpret_cast<void**>(&config));
    IDirectInput_Release(object);
    EXPECT_EQ(IDirectInputJoyConfig_Release(config), 0u);
    EXPECT_EQ(IDirectInputJoyConfig_Release(config), 0u);
    EXPECT_EQ(IDirectInput_Release(object), 0u);
    EXPECT_EQ(simwin::DirectInputReleaseErrors(), 5u);
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u) << "no count went below zero";

    simwin::Reset();
    EXPECT_EQ(simwin::DirectInputReleaseErrors(), 0u);
}

TEST_F(DirectInputDevices, ResetForgetsScriptsAndRecordsButNotLiveObjects) {
    const GUID instance = InstanceOf(1);
    simwin::SetJoystick(0, instance);
    IDirectInputDevice2A* device = OpenDevice(instance);
    ASSERT_NE(device, nullptr);
    simwin::SetJoystickState(instance, Filled(0));
    simwin::ScriptAcquire(instance, E_FAIL, simwin::ScriptScope::EveryCall);
    simwin::ScriptGetDeviceState(instance, E_FAIL);

    simwin::Reset();
    EXPECT_TRUE(simwin::DirectInputDevices().empty());
    EXPECT_TRUE(simwin::DirectInputEffects().empty());
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 2u) << "the device and its DirectInput object";
    ASSERT_EQ(IDirectInputDevice2_Acquire(device), DI_OK);
    DIJOYSTATE state = Filled(0);
    ASSERT_EQ(IDirectInputDevice2_GetDeviceState(device, sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 32767);

    IDirectInputA* object = CreateDirectInput();
    IDirectInputDeviceA* fresh = nullptr;
    EXPECT_EQ(IDirectInput_CreateDevice(object, instance, &fresh, nullptr), DIERR_DEVICENOTREG)
        << "the joystick table is empty";
    IDirectInput_Release(object);
    EXPECT_EQ(IDirectInputDevice2_Release(device), 0u);
}

TEST_F(DirectInputDevices, SlotsNobodyImplementsAnswerNotImplemented) {
    simwin::SetJoystick(0, InstanceOf(1));
    IDirectInputA* object = CreateDirectInput();
    IDirectInputDevice2A* device = CreateDevice(InstanceOf(1));
    ASSERT_NE(device, nullptr);
    typedef HRESULT(STDMETHODCALLTYPE * Bare)();
    const std::vector<void*> slots = {
        object->lpVtbl->EnumDevices,
        object->lpVtbl->GetDeviceStatus,
        object->lpVtbl->RunControlPanel,
        object->lpVtbl->Initialize,
        device->lpVtbl->GetCapabilities,
        device->lpVtbl->EnumObjects,
        device->lpVtbl->GetProperty,
        device->lpVtbl->GetDeviceData,
        device->lpVtbl->SetEventNotification,
        device->lpVtbl->GetObjectInfo,
        device->lpVtbl->GetDeviceInfo,
        device->lpVtbl->RunControlPanel,
        device->lpVtbl->Initialize,
        device->lpVtbl->EnumEffects,
        device->lpVtbl->GetEffectInfo,
        device->lpVtbl->GetForceFeedbackState,
        device->lpVtbl->SendForceFeedbackCommand,
        device->lpVtbl->EnumCreatedEffectObjects,
        device->lpVtbl->Escape,
        device->lpVtbl->SendDeviceData,
    };
    for (void* slot : slots) {
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(reinterpret_cast<Bare>(slot)(), E_NOTIMPL);
    }
    IDirectInputDevice2_Release(device);
    IDirectInput_Release(object);
}

}  // namespace
