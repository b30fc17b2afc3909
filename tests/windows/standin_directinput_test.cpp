// The stand-in DirectInput module with a stand-in controller attached: the
// joystick configuration and device lookup the deliverables rely on, the
// device's readings, a controller taken away, and an effect reaching the
// real effect driver and through it the controller.
//
// The program loads the stand-in module in place of the runtime's own (its
// per-program DLL override); the registration of the model's effect driver
// is in the runtime's registry.
#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "attached_controller.h"
#include "tools/standin_controller/controller_client.h"

namespace {

using windows_test::AttachedController;
using windows_test::ReceivedOutput;

// Slots no other program of the suite plugs into.
constexpr uint32_t kSlot = 9;
constexpr uint32_t kEmptySlot = 10;

// {9D1B00ss-0000-4000-8053-54414E44494E}: the instance GUID of slot ss.
GUID InstanceOfSlot(uint32_t slot) {
    return {0x9D1B0000 | slot, 0x0000, 0x4000, {0x80, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x49, 0x4E}};
}

constexpr GUID kHidClass = {
    0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};

// 0..255 for each stick axis, the hat and two pressed buttons.
standin::InputState Input(uint8_t x, uint8_t y, uint8_t z, uint8_t rz) {
    standin::InputState input = standin::CentredInput();
    input.x = x;
    input.y = y;
    input.z = z;
    input.rz = rz;
    return input;
}

bool ReadRegistryGuid(const std::string& path, GUID* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = sizeof *value;
    const LSTATUS status =
        RegQueryValueExA(key, "GUID", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && size == sizeof *value;
}

class StandinDirectInput : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(controller_.plugged()) << "control device error " << controller_.error();
        ASSERT_EQ(DirectInputCreateEx(GetModuleHandleA(nullptr), 0x0700, IID_IDirectInput7A,
                                      reinterpret_cast<void**>(&input_), nullptr),
                  DI_OK);
        ASSERT_EQ(IDirectInput7_QueryInterface(input_, IID_IDirectInputJoyConfig,
                                               reinterpret_cast<void**>(&joyConfig_)),
                  S_OK);
    }

    void TearDown() override {
        if (device_ != nullptr) {
            IDirectInputDevice7_Release(device_);
        }
        if (joyConfig_ != nullptr) {
            IDirectInputJoyConfig_Release(joyConfig_);
        }
        if (input_ != nullptr) {
            IDirectInput7_Release(input_);
        }
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }

    // The controller's device, in the joystick format.
    void OpenDevice(DWORD cooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND,
                    const DIDATAFORMAT* format = &c_dfDIJoystick) {
        ASSERT_EQ(
            IDirectInput7_CreateDeviceEx(input_, InstanceOfSlot(kSlot), IID_IDirectInputDevice7A,
                                         reinterpret_cast<void**>(&device_), nullptr),
            DI_OK);
        ASSERT_EQ(IDirectInputDevice7_SetDataFormat(device_, format), DI_OK);
        if (cooperation & DISCL_EXCLUSIVE) {
            window_ = CreateWindowExA(0, "STATIC", "standin", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
            ASSERT_NE(window_, nullptr);
        }
        ASSERT_EQ(IDirectInputDevice7_SetCooperativeLevel(device_, window_, cooperation), DI_OK);
    }

    DIJOYSTATE ReadState() {
        DIJOYSTATE state;
        std::memset(&state, 0xCD, sizeof state);
        EXPECT_EQ(IDirectInputDevice7_GetDeviceState(device_, sizeof state, &state), DI_OK);
        return state;
    }

    void SetAxisProperty(REFGUID property, DWORD offset, DWORD value) {
        DIPROPDWORD record;
        record.diph.dwSize = sizeof record;
        record.diph.dwHeaderSize = sizeof record.diph;
        record.diph.dwObj = offset;
        record.diph.dwHow = DIPH_BYOFFSET;
        record.dwData = value;
        ASSERT_EQ(IDirectInputDevice7_SetProperty(device_, property, &record.diph), DI_OK);
    }

    AttachedController controller_{kSlot};
    IDirectInput7A* input_ = nullptr;
    IDirectInputJoyConfig* joyConfig_ = nullptr;
    IDirectInputDevice7A* device_ = nullptr;
    HWND window_ = nullptr;
};

TEST(StandinDirectInputVersions, AcceptsTheVersionsItServes) {
    struct Case {
        DWORD version;
        HRESULT expected;
    } const cases[] = {
        {0x0300, DIERR_OLDDIRECTINPUTVERSION},  {0x0500, DI_OK}, {0x0700, DI_OK}, {0x0800, DI_OK},
        {0x0900, DIERR_BETADIRECTINPUTVERSION},
    };
    for (const Case& c : cases) {
        IDirectInputA* input = nullptr;
        EXPECT_EQ(DirectInputCreateA(GetModuleHandleA(nullptr), c.version, &input, nullptr),
                  c.expected)
            << std::hex << c.version;
        EXPECT_EQ(input != nullptr, c.expected == DI_OK);
        if (input != nullptr) {
            IDirectInput_Release(input);
        }
    }
}

TEST_F(StandinDirectInput, JoystickConfigurationNamesThePluggedController) {
    struct Case {
        UINT id;
        DWORD size;
        HRESULT expected;
        GUID instance;
    } const cases[] = {
        {kSlot, sizeof(DIJOYCONFIG), DI_OK, InstanceOfSlot(kSlot)},
        {kSlot, sizeof(DIJOYCONFIG_DX5), DI_OK, InstanceOfSlot(kSlot)},
        // An id with nothing plugged in: not configured, and no identity.
        {kEmptySlot, sizeof(DIJOYCONFIG), S_FALSE, GUID_NULL},
        {standin::kSlotCount, sizeof(DIJOYCONFIG), DIERR_NOMOREITEMS, {}},
        {kSlot, sizeof(DIJOYCONFIG) - 4, DIERR_INVALIDPARAM, {}},
    };
    for (const Case& c : cases) {
        DIJOYCONFIG config;
        std::memset(&config, 0xAB, sizeof config);
        config.dwSize = c.size;
        EXPECT_EQ(IDirectInputJoyConfig_GetConfig(joyConfig_, c.id, &config, DIJC_GUIDINSTANCE),
                  c.expected)
            << "id " << c.id << " size " << c.size;
        if (SUCCEEDED(c.expected)) {
            EXPECT_TRUE(IsEqualGUID(config.guidInstance, c.instance)) << "id " << c.id;
        }
    }
}

TEST_F(StandinDirectInput, HardwareConfigurationDescribesTheModel) {
    DIJOYCONFIG_DX5 config;
    std::memset(&config, 0, sizeof config);
    config.dwSize = sizeof config;
    IDirectInputJoyConfig_Acquire(joyConfig_);
    ASSERT_EQ(
        IDirectInputJoyConfig_GetConfig(joyConfig_, kSlot, reinterpret_cast<LPDIJOYCONFIG>(&config),
                                        DIJC_REGHWCONFIGTYPE),
        DI_OK);
    IDirectInputJoyConfig_Unacquire(joyConfig_);
    EXPECT_EQ(config.hwc.hws.dwNumButtons, 12u);
    EXPECT_EQ(config.hwc.dwType, static_cast<DWORD>(JOY_HW_CUSTOM));
    const JOYRANGE& range = config.hwc.hwv.jrvHardware;
    EXPECT_EQ(range.jpMin.dwX, 0u);
    EXPECT_EQ(range.jpMax.dwX, 255u);
    EXPECT_EQ(range.jpCenter.dwX, 128u);
    EXPECT_EQ(range.jpCenter.dwR, 128u);
    EXPECT_EQ(std::wstring(config.wszType), L"VID_0000&PID_0053");
}

TEST_F(StandinDirectInput, SeenControllerHasItsCalibrationKeys) {
    DIJOYCONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwSize = sizeof config;
    ASSERT_EQ(IDirectInputJoyConfig_GetConfig(joyConfig_, kSlot, &config, DIJC_GUIDINSTANCE),
              DI_OK);
    const auto info = controller_.Info();
    ASSERT_TRUE(info.has_value());
    // "\\?\hid#..." becomes the interface key "##?#hid#...".
    const std::string interfaceKey =
        "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
        "{4d1e55b2-f16f-11cf-88cb-001111000030}\\##?#" +
        std::string(info->path + 4) + "\\#\\Device Parameters\\DirectX";
    GUID stored = {};
    ASSERT_TRUE(ReadRegistryGuid(interfaceKey, &stored)) << interfaceKey;
    EXPECT_TRUE(IsEqualGUID(stored, InstanceOfSlot(kSlot)));

    // One numbered subkey per instance of the vendor/product pair holds it.
    bool found = false;
    for (int n = 0; n < 16 && !found; ++n) {
        found = ReadRegistryGuid(
                    "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\"
                    "PrivateProperties\\DirectInput\\VID_0000&PID_0053\\"
                    "Calibration\\" +
                        std::to_string(n),
                    &stored) &&
                IsEqualGUID(stored, InstanceOfSlot(kSlot));
    }
    EXPECT_TRUE(found);
}

TEST_F(StandinDirectInput, FindDeviceMatchesThePathWhateverItsCase) {
    const auto info = controller_.Info();
    ASSERT_TRUE(info.has_value());
    std::string upper(info->path);
    for (char& c : upper) {
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    struct Case {
        GUID deviceClass;
        std::string path;
        HRESULT expected;
    } const cases[] = {
        {kHidClass, info->path, DI_OK},
        {kHidClass, upper, DI_OK},
        {kHidClass, std::string(info->path) + "x", DIERR_DEVICENOTREG},
        {GUID_NULL, info->path, DIERR_DEVICENOTREG},
    };
    for (const Case& c : cases) {
        GUID instance = {};
        EXPECT_EQ(IDirectInput7_FindDevice(input_, c.deviceClass, c.path.c_str(), &instance),
                  c.expected)
            << c.path;
        if (c.expected == DI_OK) {
            EXPECT_TRUE(IsEqualGUID(instance, InstanceOfSlot(kSlot)));
        }
    }
}

TEST_F(StandinDirectInput, NoDeviceForAnEmptySlot) {
    IDirectInputDeviceA* device = nullptr;
    EXPECT_EQ(IDirectInput7_CreateDevice(input_, InstanceOfSlot(kEmptySlot), &device, nullptr),
              DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(IDirectInput7_GetDeviceStatus(input_, InstanceOfSlot(kSlot)), DI_OK);
    EXPECT_EQ(IDirectInput7_GetDeviceStatus(input_, InstanceOfSlot(kEmptySlot)), DI_NOTATTACHED);
}

TEST_F(StandinDirectInput, AxesScaleToTheirRangeWithDeadZone) {
    OpenDevice();
    ASSERT_EQ(IDirectInputDevice7_Acquire(device_), DI_OK);
    // X keeps the default range; Y gets a range, Z a 10 % dead zone, Rz 80 %
    // saturation.
    DIPROPRANGE range;
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwObj = DIJOFS_Y;
    range.diph.dwHow = DIPH_BYOFFSET;
    range.lMin = -1000;
    range.lMax = 1000;
    ASSERT_EQ(IDirectInputDevice7_SetProperty(device_, DIPROP_RANGE, &range.diph), DI_OK);
    SetAxisProperty(DIPROP_DEADZONE, DIJOFS_Z, 1000);
    SetAxisProperty(DIPROP_SATURATION, DIJOFS_RZ, 8000);

    struct Case {
        uint8_t raw;
        LONG x, y, z, rz;
    } const cases[] = {
        {0, 0, -1000, 0, 0},
        {64, 16448, -498, 18276, 12336},
        // Inside Z's dead zone on both sides of the centre.
        {116, 29812, -90, 32896, 29041},
        {128, 32896, 4, 32896, 32896},
        {140, 35980, 98, 32896, 36751},
        {192, 49344, 506, 47545, 53456},
        // Past Rz's saturation.
        {230, 59110, 804, 58396, 65535},
        {255, 65535, 1000, 65535, 65535},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(controller_.SetInput(Input(c.raw, c.raw, c.raw, c.raw)));
        const DIJOYSTATE state = ReadState();
        EXPECT_EQ(state.lX, c.x) << "raw " << int(c.raw);
        EXPECT_EQ(state.lY, c.y) << "raw " << int(c.raw);
        EXPECT_EQ(state.lZ, c.z) << "raw " << int(c.raw);
        EXPECT_EQ(state.lRz, c.rz) << "raw " << int(c.raw);
        // The joystick has no such axes.
        EXPECT_EQ(state.lRx, 0);
        EXPECT_EQ(state.rglSlider[1], 0);
    }
}

TEST_F(StandinDirectInput, ButtonsAndHatReadAsPressed) {
    OpenDevice(DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, &c_dfDIJoystick2);
    ASSERT_EQ(IDirectInputDevice7_Acquire(device_), DI_OK);
    standin::InputState input = standin::CentredInput();
    input.buttons[0] = 1;
    input.buttons[11] = 1;
    input.hat = 9000;
    ASSERT_TRUE(controller_.SetInput(input));

    DIJOYSTATE small;
    EXPECT_EQ(IDirectInputDevice7_GetDeviceState(device_, sizeof small, &small),
              DIERR_INVALIDPARAM);
    DIJOYSTATE2 state;
    std::memset(&state, 0xCD, sizeof state);
    ASSERT_EQ(IDirectInputDevice7_GetDeviceState(device_, sizeof state, &state), DI_OK);
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(state.rgbButtons[i], (i == 0 || i == 11) ? 0x80 : 0) << "button " << i;
    }
    EXPECT_EQ(state.rgdwPOV[0], 9000u);
    EXPECT_EQ(state.rgdwPOV[1], 0xFFFFFFFFu);
    EXPECT_EQ(state.rgdwPOV[3], 0xFFFFFFFFu);
    EXPECT_EQ(state.lVX, 0);
    EXPECT_EQ(state.rglFSlider[1], 0);
}

TEST_F(StandinDirectInput, DataFormatAndAcquisitionRules) {
    ASSERT_EQ(IDirectInput7_CreateDeviceEx(input_, InstanceOfSlot(kSlot), IID_IDirectInputDevice7A,
                                           reinterpret_cast<void**>(&device_), nullptr),
              DI_OK);
    DIJOYSTATE state;
    EXPECT_EQ(IDirectInputDevice7_Acquire(device_), DIERR_INVALIDPARAM);  // no format yet
    EXPECT_EQ(IDirectInputDevice7_GetDeviceState(device_, sizeof state, &state), DIERR_NOTACQUIRED);

    // The joystick format with one object moved is another format.
    std::vector<DIOBJECTDATAFORMAT> objects(c_dfDIJoystick.rgodf,
                                            c_dfDIJoystick.rgodf + c_dfDIJoystick.dwNumObjs);
    objects[1].dwOfs = DIJOFS_RZ;
    DIDATAFORMAT moved = c_dfDIJoystick;
    moved.rgodf = objects.data();
    EXPECT_EQ(IDirectInputDevice7_SetDataFormat(device_, &moved), DIERR_INVALIDPARAM);

    ASSERT_EQ(IDirectInputDevice7_SetDataFormat(device_, &c_dfDIJoystick), DI_OK);
    ASSERT_EQ(IDirectInputDevice7_Acquire(device_), DI_OK);
    EXPECT_EQ(IDirectInputDevice7_Acquire(device_), S_FALSE);
    EXPECT_EQ(IDirectInputDevice7_Poll(device_), DI_NOEFFECT);
    EXPECT_EQ(IDirectInputDevice7_SetDataFormat(device_, &c_dfDIJoystick2), DIERR_ACQUIRED);
    EXPECT_EQ(IDirectInputDevice7_Unacquire(device_), DI_OK);
    EXPECT_EQ(IDirectInputDevice7_Unacquire(device_), DI_NOEFFECT);
}

TEST_F(StandinDirectInput, UnpluggedControllerIsLostUntilReplugged) {
    OpenDevice();
    ASSERT_EQ(IDirectInputDevice7_Acquire(device_), DI_OK);
    ASSERT_TRUE(controller_.Unplug());
    DIJOYSTATE state;
    EXPECT_EQ(IDirectInputDevice7_GetDeviceState(device_, sizeof state, &state), DIERR_INPUTLOST);
    // Lost means no longer acquired.
    EXPECT_EQ(IDirectInputDevice7_GetDeviceState(device_, sizeof state, &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(IDirectInputDevice7_Acquire(device_), DIERR_INPUTLOST);

    DIJOYCONFIG joy;
    std::memset(&joy, 0, sizeof joy);
    joy.dwSize = sizeof joy;
    EXPECT_EQ(IDirectInputJoyConfig_GetConfig(joyConfig_, kSlot, &joy, DIJC_GUIDINSTANCE), S_FALSE);

    ASSERT_TRUE(controller_.Replug());
    EXPECT_EQ(IDirectInputDevice7_Acquire(device_), DI_OK);
    EXPECT_EQ(IDirectInputDevice7_GetDeviceState(device_, sizeof state, &state), DI_OK);
}

TEST_F(StandinDirectInput, RegisteredEffectsAreTheDevicesEffects) {
    OpenDevice();
    DIDEVCAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    ASSERT_EQ(IDirectInputDevice7_GetCapabilities(device_, &caps), DI_OK);
    EXPECT_TRUE(caps.dwFlags & DIDC_ATTACHED);
    EXPECT_TRUE(caps.dwFlags & DIDC_FORCEFEEDBACK);
    EXPECT_EQ(caps.dwAxes, 4u);
    EXPECT_EQ(caps.dwButtons, 12u);
    EXPECT_EQ(caps.dwPOVs, 1u);

    std::vector<std::string> names;
    auto collect = [](LPCDIEFFECTINFOA info, LPVOID ref) -> BOOL {
        static_cast<std::vector<std::string>*>(ref)->push_back(info->tszName);
        return DIENUM_CONTINUE;
    };
    ASSERT_EQ(IDirectInputDevice7_EnumEffects(device_, collect, &names, DIEFT_ALL), DI_OK);
    EXPECT_EQ(names.size(), 12u);
    names.clear();
    ASSERT_EQ(IDirectInputDevice7_EnumEffects(device_, collect, &names, DIEFT_PERIODIC), DI_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"Square Wave", "Sine Wave", "Triangle Wave",
                                               "Sawtooth Up", "Sawtooth Down"}));
}

// A constant force on both motors, in the DirectX 5 record a DirectX 5
// program gives.
struct RumbleRecord {
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[2] = {1, 1};
    DICONSTANTFORCE force = {10000};
    DIEFFECT_DX5 record = {};

    RumbleRecord() {
        record.dwSize = sizeof record;
        record.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
        record.dwDuration = INFINITE;
        record.dwGain = 10000;
        record.dwTriggerButton = DIEB_NOTRIGGER;
        record.cAxes = 2;
        record.rgdwAxes = axes;
        record.rglDirection = direction;
        record.cbTypeSpecificParams = sizeof force;
        record.lpvTypeSpecificParams = &force;
    }
    LPCDIEFFECT get() const { return reinterpret_cast<LPCDIEFFECT>(&record); }
};

bool IsStrengthReport(const ReceivedOutput& report) {
    return report.bytes.size() >= 2 && report.bytes[0] == 0x03 && report.bytes[1] == 0x51;
}

TEST_F(StandinDirectInput, EffectReachesTheControllerThroughTheEffectDriver) {
    OpenDevice(DISCL_EXCLUSIVE | DISCL_BACKGROUND);
    RumbleRecord rumble;
    IDirectInputEffect* effect = nullptr;
    // Not acquired: the effect is kept but cannot be downloaded yet.
    ASSERT_EQ(IDirectInputDevice7_CreateEffect(device_, GUID_ConstantForce, rumble.get(), &effect,
                                               nullptr),
              DI_DOWNLOADSKIPPED);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(IDirectInputEffect_Start(effect, 1, 0), DIERR_NOTEXCLUSIVEACQUIRED);

    ASSERT_EQ(IDirectInputDevice7_Acquire(device_), DI_OK);
    controller_.SkipReceived();
    ASSERT_EQ(IDirectInputEffect_Start(effect, 1, 0), DI_OK);
    const auto strength = controller_.WaitForReport(IsStrengthReport, 2000);
    ASSERT_TRUE(strength.has_value()) << "no strength report from the effect driver";
    EXPECT_EQ(strength->bytes.size(), 8u);

    DWORD status = 0;
    EXPECT_EQ(IDirectInputEffect_GetEffectStatus(effect, &status), DI_OK);
    EXPECT_EQ(status, static_cast<DWORD>(DIEGES_PLAYING));

    // What was given comes back, in the program's terms.
    DWORD axes[2] = {};
    LONG direction[2] = {};
    DICONSTANTFORCE force = {};
    DIEFFECT_DX5 read = {};
    read.dwSize = sizeof read;
    read.dwFlags = DIEFF_OBJECTOFFSETS | DIEFF_CARTESIAN;
    read.cAxes = 2;
    read.rgdwAxes = axes;
    read.rglDirection = direction;
    read.cbTypeSpecificParams = sizeof force;
    read.lpvTypeSpecificParams = &force;
    ASSERT_EQ(
        IDirectInputEffect_GetParameters(effect, reinterpret_cast<LPDIEFFECT>(&read),
                                         DIEP_AXES | DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS),
        DI_OK);
    EXPECT_EQ(axes[0], static_cast<DWORD>(DIJOFS_X));
    EXPECT_EQ(axes[1], static_cast<DWORD>(DIJOFS_Y));
    EXPECT_EQ(direction[0], 1);
    EXPECT_EQ(force.lMagnitude, 10000);

    // Unplugged, the driver's writes fail; plugged again, the driver opens
    // the controller anew and its reports arrive again.
    ASSERT_TRUE(controller_.Unplug());
    Sleep(200);
    ASSERT_TRUE(controller_.Replug());
    controller_.SkipReceived();
    EXPECT_TRUE(controller_.WaitForReport(IsStrengthReport, 2000).has_value());

    EXPECT_EQ(IDirectInputEffect_Stop(effect), DI_OK);
    IDirectInputEffect_Release(effect);
    IDirectInputDevice7_Release(device_);
    device_ = nullptr;
}

TEST_F(StandinDirectInput, EffectParametersAreCheckedBeforeTheyAreKept) {
    OpenDevice(DISCL_EXCLUSIVE | DISCL_BACKGROUND);
    struct Case {
        const char* what;
        void (*spoil)(RumbleRecord&);
    } const cases[] = {
        {"a record of neither size", [](RumbleRecord& r) { r.record.dwSize = 60; }},
        {"an axis that is no actuator", [](RumbleRecord& r) { r.axes[1] = DIJOFS_Z; }},
        {"more axes than actuators", [](RumbleRecord& r) { r.record.cAxes = 3; }},
        {"a constant force of the wrong size",
         [](RumbleRecord& r) { r.record.cbTypeSpecificParams = sizeof(DIPERIODIC); }},
        {"two coordinate systems", [](RumbleRecord& r) { r.record.dwFlags |= DIEFF_POLAR; }},
        {"a gain past the nominal maximum", [](RumbleRecord& r) { r.record.dwGain = 10001; }},
    };
    for (const Case& c : cases) {
        RumbleRecord rumble;
        c.spoil(rumble);
        IDirectInputEffect* effect = nullptr;
        EXPECT_EQ(IDirectInputDevice7_CreateEffect(device_, GUID_ConstantForce, rumble.get(),
                                                   &effect, nullptr),
                  DIERR_INVALIDPARAM)
            << c.what;
        EXPECT_EQ(effect, nullptr) << c.what;
    }
    IDirectInputEffect* effect = nullptr;
    EXPECT_EQ(
        IDirectInputDevice7_CreateEffect(device_, GUID_CustomForce, nullptr, &effect, nullptr),
        DI_OK);
    ASSERT_NE(effect, nullptr);
    IDirectInputEffect_Release(effect);
    EXPECT_EQ(IDirectInputDevice7_CreateEffect(device_, GUID_XAxis, nullptr, &effect, nullptr),
              DIERR_DEVICENOTREG);
}

}  // namespace
