#include <windows.h>
#include <dinput.h>
#include <dinputd.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
}

#include <cctype>
#include <vector>

#include "controller_fixture.h"
#include "simwin/control_directinput.h"

namespace {

class DirectInput : public ControllerTest {
  protected:
    void TearDown() override {
        EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u) << "an object was not released";
        EXPECT_EQ(simwin::DirectInputReleaseErrors(), 0u) << "an object was used after release";
        ControllerTest::TearDown();
    }

    IDirectInput7A* Create() {
        IDirectInput7A* object = nullptr;
        EXPECT_EQ(DirectInputCreateEx(nullptr, 0x0700, IID_IDirectInput7A,
                                      reinterpret_cast<void**>(&object), nullptr),
                  DI_OK);
        return object;
    }

    static IDirectInputJoyConfig* JoyConfigOf(IDirectInput7A* object) {
        IDirectInputJoyConfig* config = nullptr;
        EXPECT_EQ(IDirectInput7_QueryInterface(object, IID_IDirectInputJoyConfig,
                                               reinterpret_cast<void**>(&config)),
                  S_OK);
        return config;
    }
};

TEST_F(DirectInput, Identifiers) {
    struct Case {
        const GUID* guid;
        GUID expected;
    };
    const Case cases[] = {
        {&IID_IDirectInput7A,
         {0x9A4CB684, 0x236D, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}}},
        {&IID_IDirectInputJoyConfig,
         {0x1DE12AB1, 0xC9F5, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}}},
        {&GUID_DEVCLASS_HIDCLASS,
         {0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(IsEqualGUID(*c.guid, c.expected)) << std::hex << c.expected.Data1;
    }
}

TEST_F(DirectInput, CreateExResults) {
    IUnknown outer = {};
    struct Case {
        const char* what;
        DWORD version;
        const IID* iid;
        IUnknown* outer;
        DWORD injected;  // 0: none
        HRESULT result;
    };
    const Case cases[] = {
        {"version 7", 0x0700, &IID_IDirectInput7A, nullptr, 0, DI_OK},
        {"later version", 0x0800, &IID_IDirectInput7A, nullptr, 0, DI_OK},
        {"version 5", 0x0500, &IID_IDirectInput7A, nullptr, 0, DIERR_OLDDIRECTINPUTVERSION},
        {"IUnknown", 0x0700, &IID_IUnknown, nullptr, 0, E_NOINTERFACE},
        {"joystick configuration", 0x0700, &IID_IDirectInputJoyConfig, nullptr, 0, E_NOINTERFACE},
        {"aggregated", 0x0700, &IID_IDirectInput7A, &outer, 0, CLASS_E_NOAGGREGATION},
        {"injected error number", 0x0700, &IID_IDirectInput7A, nullptr, ERROR_GEN_FAILURE, E_FAIL},
        {"injected HRESULT", 0x0700, &IID_IDirectInput7A, nullptr,
         static_cast<DWORD>(E_OUTOFMEMORY), E_OUTOFMEMORY},
    };
    for (const Case& c : cases) {
        if (c.injected != 0) {
            simwin::FailCall("DirectInputCreateEx", 1, c.injected);
        }
        void* out = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(DirectInputCreateEx(nullptr, c.version, *c.iid, &out, c.outer), c.result)
            << c.what;
        if (SUCCEEDED(c.result)) {
            ASSERT_NE(out, nullptr) << c.what;
            EXPECT_EQ(simwin::LiveDirectInputObjects(), 1u) << c.what;
            EXPECT_EQ(IDirectInput7_Release(static_cast<IDirectInput7A*>(out)), 0u) << c.what;
        } else {
            EXPECT_EQ(out, nullptr) << c.what;
        }
        EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u) << c.what;
    }
    EXPECT_EQ(DirectInputCreateEx(nullptr, 0x0700, IID_IDirectInput7A, nullptr, nullptr),
              E_POINTER);
}

TEST_F(DirectInput, ReferenceCountsAndInterfaces) {
    IDirectInput7A* object = Create();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(IDirectInput7_AddRef(object), 2u);
    void* same = nullptr;
    EXPECT_EQ(IDirectInput7_QueryInterface(object, IID_IUnknown, &same), S_OK);
    EXPECT_EQ(same, object);
    EXPECT_EQ(IDirectInput7_QueryInterface(object, IID_IDirectInput7A, &same), S_OK);
    EXPECT_EQ(same, object);
    void* none = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(IDirectInput7_QueryInterface(object, IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(IDirectInput7_QueryInterface(object, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(IDirectInput7_Release(object), 3u);
    EXPECT_EQ(IDirectInput7_Release(object), 2u);
    EXPECT_EQ(IDirectInput7_Release(object), 1u);

    // The joystick configuration keeps its DirectInput object alive.
    IDirectInputJoyConfig* config = JoyConfigOf(object);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 2u);
    EXPECT_EQ(IDirectInputJoyConfig_QueryInterface(config, IID_IUnknown, &same), S_OK);
    EXPECT_EQ(same, config);
    EXPECT_EQ(IDirectInputJoyConfig_QueryInterface(config, IID_IDirectInput7A, &none),
              E_NOINTERFACE);
    EXPECT_EQ(IDirectInputJoyConfig_Release(config), 1u);
    EXPECT_EQ(IDirectInput7_Release(object), 1u) << "held by its configuration";
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 2u);
    EXPECT_EQ(IDirectInputJoyConfig_Release(config), 0u);
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 0u);

    // The other order.
    object = Create();
    config = JoyConfigOf(object);
    EXPECT_EQ(IDirectInputJoyConfig_Release(config), 0u);
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 1u);
    EXPECT_EQ(IDirectInput7_Release(object), 0u);
}

TEST_F(DirectInput, SlotsNobodyImplementsAnswerNotImplementedAndConfigurationModeIsFree) {
    IDirectInput7A* object = Create();
    IDirectInputJoyConfig* config = JoyConfigOf(object);
    typedef HRESULT(STDMETHODCALLTYPE * Bare)();
    const std::vector<void*> slots = {
        object->lpVtbl->CreateDevice,    object->lpVtbl->EnumDevices,
        object->lpVtbl->GetDeviceStatus, object->lpVtbl->RunControlPanel,
        object->lpVtbl->Initialize,      object->lpVtbl->CreateDeviceEx,
        config->lpVtbl->EnumTypes,       config->lpVtbl->GetTypeInfo,
        config->lpVtbl->SetTypeInfo,     config->lpVtbl->DeleteType,
        config->lpVtbl->SetConfig,       config->lpVtbl->DeleteConfig,
        config->lpVtbl->GetUserValues,   config->lpVtbl->SetUserValues,
        config->lpVtbl->AddNewHardware,  config->lpVtbl->OpenTypeKey,
        config->lpVtbl->OpenConfigKey,
    };
    for (void* slot : slots) {
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(reinterpret_cast<Bare>(slot)(), E_NOTIMPL);
    }
    EXPECT_EQ(IDirectInputJoyConfig_Acquire(config), DI_OK);
    EXPECT_EQ(IDirectInputJoyConfig_Unacquire(config), DI_OK);
    EXPECT_EQ(config->lpVtbl->SetCooperativeLevel(config, nullptr, 0), E_NOTIMPL);
    EXPECT_EQ(config->lpVtbl->SendNotify(config), E_NOTIMPL);
    IDirectInputJoyConfig_Release(config);
    IDirectInput7_Release(object);
}

TEST_F(DirectInput, FindDeviceAnswersPresentControllersByPath) {
    Plug(1);
    simwin::ControllerId gone = Plug(2);
    simwin::UnplugController(gone);
    std::string upper = PathOf(1);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    GUID hid;
    HidD_GetHidGuid(&hid);
    IDirectInput7A* object = Create();
    struct Case {
        const char* what;
        const GUID* deviceClass;
        const char* path;
        HRESULT result;
        GUID instance;
    };
    const GUID untouched = {0xFFFFFFFF, 0, 0, {0}};
    const std::string path1 = PathOf(1), path2 = PathOf(2);
    const Case cases[] = {
        {"present", &GUID_DEVCLASS_HIDCLASS, path1.c_str(), DI_OK, InstanceOf(1)},
        {"without case", &GUID_DEVCLASS_HIDCLASS, upper.c_str(), DI_OK, InstanceOf(1)},
        {"unplugged", &GUID_DEVCLASS_HIDCLASS, path2.c_str(), DIERR_DEVICENOTREG, untouched},
        {"unknown", &GUID_DEVCLASS_HIDCLASS, "\\\\?\\hid#nothing", DIERR_DEVICENOTREG, untouched},
        {"not the HID class", &hid, path1.c_str(), DIERR_DEVICENOTREG, untouched},
        {"no path", &GUID_DEVCLASS_HIDCLASS, nullptr, DIERR_INVALIDPARAM, untouched},
    };
    for (const Case& c : cases) {
        GUID instance = untouched;
        EXPECT_EQ(IDirectInput7_FindDevice(object, *c.deviceClass, c.path, &instance), c.result)
            << c.what;
        EXPECT_TRUE(IsEqualGUID(instance, c.instance)) << c.what;
    }
    EXPECT_EQ(IDirectInput7_FindDevice(object, GUID_DEVCLASS_HIDCLASS, path1.c_str(), nullptr),
              DIERR_INVALIDPARAM);
    simwin::FailCall("FindDevice");
    GUID instance;
    EXPECT_EQ(IDirectInput7_FindDevice(object, GUID_DEVCLASS_HIDCLASS, path1.c_str(), &instance),
              E_FAIL);
    IDirectInput7_Release(object);
}

TEST_F(DirectInput, GetConfigWritesOnlyTheInstanceWithinTheRecord) {
    const GUID instance = InstanceOf(7);
    simwin::SetJoystick(3, instance);
    IDirectInput7A* object = Create();
    IDirectInputJoyConfig* config = JoyConfigOf(object);
    const size_t guidAt = offsetof(DIJOYCONFIG, guidInstance);
    struct Case {
        const char* what;
        DWORD size;  // dwSize, and the bytes the record has
        UINT id;
        DWORD flags;
        HRESULT result;
        bool writesInstance;
    };
    const Case cases[] = {
        {"current record", 1176, 3, DIJC_GUIDINSTANCE, S_OK, true},
        {"DirectX 5 record", 1160, 3, DIJC_GUIDINSTANCE, S_OK, true},
        {"other flags", 1176, 3, DIJC_GAIN | DIJC_CALLOUT, S_OK, false},
        {"no joystick", 1176, 4, DIJC_GUIDINSTANCE, DIERR_NOMOREITEMS, false},
        {"size 0", 0, 3, DIJC_GUIDINSTANCE, DIERR_INVALIDPARAM, false},
        {"size one short", 1175, 3, DIJC_GUIDINSTANCE, DIERR_INVALIDPARAM, false},
        {"size one over", 1177, 3, DIJC_GUIDINSTANCE, DIERR_INVALIDPARAM, false},
        {"DirectX 3 joystick record", 1148, 3, DIJC_GUIDINSTANCE, DIERR_INVALIDPARAM, false},
    };
    for (const Case& c : cases) {
        // Exactly the bytes dwSize claims (at least the size field), so that
        // any write past them is caught.
        std::vector<BYTE> record(c.size < 1160 ? 1160 : c.size, 0xAB);
        std::memcpy(record.data(), &c.size, sizeof c.size);
        EXPECT_EQ(IDirectInputJoyConfig_GetConfig(
                      config, c.id, reinterpret_cast<LPDIJOYCONFIG>(record.data()), c.flags),
                  c.result)
            << c.what;
        for (size_t i = sizeof(DWORD); i < record.size(); ++i) {
            const bool inGuid = i >= guidAt && i < guidAt + sizeof(GUID);
            const BYTE expected = c.writesInstance && inGuid
                                      ? reinterpret_cast<const BYTE*>(&instance)[i - guidAt]
                                      : 0xAB;
            ASSERT_EQ(record[i], expected) << c.what << " byte " << i;
        }
    }
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(config, 3, nullptr, DIJC_GUIDINSTANCE),
              DIERR_INVALIDPARAM);

    DIJOYCONFIG record;
    std::memset(&record, 0, sizeof record);
    record.dwSize = sizeof record;
    simwin::RemoveJoystick(3);
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(config, 3, &record, DIJC_GUIDINSTANCE),
              DIERR_NOMOREITEMS);
    simwin::SetJoystick(0, instance);
    simwin::FailCall("GetConfig", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(config, 0, &record, DIJC_GUIDINSTANCE), E_FAIL);
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(config, 0, &record, DIJC_GUIDINSTANCE), S_OK);
    EXPECT_TRUE(IsEqualGUID(record.guidInstance, instance));

    IDirectInputJoyConfig_Release(config);
    IDirectInput7_Release(object);
}

TEST_F(DirectInput, GetConfigAnswersTheHardwareConfigurationOfTheJoystick) {
    simwin::SetJoystick(0, InstanceOf(1));
    simwin::SetJoystick(2, InstanceOf(2));
    JOYREGHWCONFIG scripted;
    std::memset(&scripted, 0, sizeof scripted);
    scripted.hws.dwNumButtons = 12;
    scripted.hwv.jrvHardware.jpMin.dwX = 3;
    scripted.hwv.jrvHardware.jpMax.dwR = 250;
    scripted.dwReserved = 0xA5A5A5A5;
    simwin::SetJoystickHardwareConfig(2, scripted);
    IDirectInput7A* object = Create();
    IDirectInputJoyConfig* config = JoyConfigOf(object);
    JOYREGHWCONFIG zero;
    std::memset(&zero, 0, sizeof zero);

    struct Case {
        const char* what;
        DWORD size;
        UINT id;
        const JOYREGHWCONFIG* expected;
    };
    const Case cases[] = {
        {"scripted, current record", 1176, 2, &scripted},
        {"scripted, DirectX 5 record", 1160, 2, &scripted},
        {"never scripted", 1160, 0, &zero},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> record(c.size, 0xAB);
        std::memcpy(record.data(), &c.size, sizeof c.size);
        ASSERT_EQ(
            IDirectInputJoyConfig_GetConfig(
                config, c.id, reinterpret_cast<LPDIJOYCONFIG>(record.data()), DIJC_REGHWCONFIGTYPE),
            S_OK)
            << c.what;
        const size_t at = offsetof(DIJOYCONFIG, hwc);
        EXPECT_EQ(std::memcmp(record.data() + at, c.expected, sizeof(JOYREGHWCONFIG)), 0) << c.what;
        for (size_t i = sizeof(DWORD); i < record.size(); ++i) {
            if (i < at || i >= at + sizeof(JOYREGHWCONFIG)) {
                ASSERT_EQ(record[i], 0xAB) << c.what << " byte " << i;
            }
        }
    }

    // The log tells which calls ran between the object's Acquire and
    // Unacquire.
    DIJOYCONFIG record;
    std::memset(&record, 0, sizeof record);
    record.dwSize = sizeof record;
    EXPECT_EQ(IDirectInputJoyConfig_Acquire(config), DI_OK);
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(config, 5, &record, DIJC_REGHWCONFIGTYPE),
              DIERR_NOMOREITEMS);
    EXPECT_EQ(IDirectInputJoyConfig_Unacquire(config), DI_OK);
    const std::vector<simwin::JoyConfigGetConfigCall> calls = simwin::JoyConfigGetConfigCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_FALSE(calls[0].acquired);
    EXPECT_EQ(calls[0].joystickId, 2u);
    EXPECT_EQ(calls[0].flags, static_cast<DWORD>(DIJC_REGHWCONFIGTYPE));
    EXPECT_EQ(calls[0].result, S_OK);
    EXPECT_TRUE(calls[3].acquired);
    EXPECT_EQ(calls[3].joystickId, 5u);
    EXPECT_EQ(calls[3].result, DIERR_NOMOREITEMS);

    simwin::Reset();
    simwin::SetJoystick(2, InstanceOf(2));
    record.hwc = scripted;
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(config, 2, &record, DIJC_REGHWCONFIGTYPE), S_OK);
    EXPECT_EQ(std::memcmp(&record.hwc, &zero, sizeof zero), 0) << "Reset forgets the script";
    EXPECT_EQ(simwin::JoyConfigGetConfigCalls().size(), 1u);

    IDirectInputJoyConfig_Release(config);
    IDirectInput7_Release(object);
}

TEST_F(DirectInput, ResetEmptiesTheJoystickTableAndTheControllers) {
    Plug(1);
    simwin::SetJoystick(0, InstanceOf(1));
    IDirectInput7A* object = Create();
    IDirectInputJoyConfig* config = JoyConfigOf(object);

    simwin::Reset();
    DIJOYCONFIG record;
    std::memset(&record, 0, sizeof record);
    record.dwSize = sizeof record;
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(config, 0, &record, DIJC_GUIDINSTANCE),
              DIERR_NOMOREITEMS);
    GUID instance;
    const std::string path = PathOf(1);
    EXPECT_EQ(IDirectInput7_FindDevice(object, GUID_DEVCLASS_HIDCLASS, path.c_str(), &instance),
              DIERR_DEVICENOTREG);
    GUID hid;
    HidD_GetHidGuid(&hid);
    HDEVINFO set =
        SetupDiGetClassDevsA(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVICE_INTERFACE_DATA data;
    data.cbSize = sizeof data;
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &hid, 0, &data));
    SetupDiDestroyDeviceInfoList(set);

    // Objects the caller holds survive Reset.
    EXPECT_EQ(simwin::LiveDirectInputObjects(), 2u);
    IDirectInputJoyConfig_Release(config);
    IDirectInput7_Release(object);
}

}  // namespace
