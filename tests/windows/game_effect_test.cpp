// A game's force feedback reaching the controller through the real driver:
// the game finds the joystick through DirectInput, acquires it exclusively
// and creates, starts and stops a constant force on it; DirectInput loads
// the driver registered for the controller and hands the effect over.
#include <dinput.h>
#include <dinputd.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "attached_controller.h"
#include "loaded_driver.h"
#include "model_reports.h"

namespace windows_test {
namespace {

constexpr DWORD kSlot = 4;
constexpr DWORD kArrivalTimeoutMs = 3000;

std::vector<BYTE> Dword(DWORD value) {
    return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)};
}

BOOL CALLBACK CollectInstance(LPCDIDEVICEINSTANCEA instance, LPVOID found) {
    static_cast<std::vector<GUID>*>(found)->push_back(instance->guidInstance);
    return DIENUM_CONTINUE;
}

// "Both force" as a game writes it: the X and Y axes by their offsets in
// the joystick format, a Cartesian direction, full gain.
struct BothForceEffect {
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG directions[2] = {10000, 10000};
    DICONSTANTFORCE force = {14142};
    DIEFFECT effect = {};

    BothForceEffect() {
        effect.dwSize = sizeof effect;
        effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
        effect.dwDuration = INFINITE;
        effect.dwGain = DI_FFNOMINALMAX;
        effect.dwTriggerButton = DIEB_NOTRIGGER;
        effect.cAxes = 2;
        effect.rgdwAxes = axes;
        effect.rglDirection = directions;
        effect.cbTypeSpecificParams = sizeof force;
        effect.lpvTypeSpecificParams = &force;
    }
};

class GameForceFeedback : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(controller_.plugged())
            << "no stand-in controller (is the controller module running?), error "
            << controller_.error();
        ASSERT_EQ(ERROR_SUCCESS, amplify_.Set(REG_DWORD, Dword(1000)));
        ASSERT_EQ(ERROR_SUCCESS, rumble_.Set(REG_DWORD, Dword(1)));

        window_ = CreateWindowExA(0, "STATIC", "game", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, window_);
        ASSERT_EQ(DI_OK, DirectInputCreateEx(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                             IID_IDirectInput7A,
                                             reinterpret_cast<void**>(&directInput_), nullptr));
        ASSERT_TRUE(IsFromProgramDirectory("dinput.dll"))
            << "the runtime's own DirectInput answered: the program needs its DLL overrides";

        // The game picks a force-feedback joystick; the one it wants is the
        // one the joystick configuration assigns to our id.
        std::vector<GUID> attached;
        ASSERT_EQ(DI_OK,
                  IDirectInput7_EnumDevices(directInput_, DIDEVTYPE_JOYSTICK, CollectInstance,
                                            &attached, DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK));
        const GUID instance = AssignedInstance();
        bool listed = false;
        for (const GUID& candidate : attached) {
            listed = listed || IsEqualGUID(candidate, instance);
        }
        ASSERT_TRUE(listed) << "the controller is not listed as a force-feedback joystick";

        ASSERT_EQ(DI_OK,
                  IDirectInput7_CreateDeviceEx(directInput_, instance, IID_IDirectInputDevice7A,
                                               reinterpret_cast<void**>(&device_), nullptr));
        ASSERT_EQ(DI_OK, IDirectInputDevice7_SetDataFormat(device_, &c_dfDIJoystick));
        ASSERT_EQ(DI_OK, IDirectInputDevice7_SetCooperativeLevel(
                             device_, window_, DISCL_EXCLUSIVE | DISCL_BACKGROUND));
        ASSERT_EQ(DI_OK, IDirectInputDevice7_Acquire(device_));
    }

    void TearDown() override {
        if (effect_ != nullptr) {
            IDirectInputEffect_Release(effect_);
        }
        if (device_ != nullptr) {
            IDirectInputDevice7_Unacquire(device_);
            IDirectInputDevice7_Release(device_);
        }
        if (directInput_ != nullptr) {
            IDirectInput7_Release(directInput_);
        }
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }

    GUID AssignedInstance() {
        IDirectInputJoyConfig* joyConfig = nullptr;
        EXPECT_EQ(DI_OK, IDirectInput7_QueryInterface(directInput_, IID_IDirectInputJoyConfig,
                                                      reinterpret_cast<void**>(&joyConfig)));
        DIJOYCONFIG config = {};
        config.dwSize = sizeof config;
        if (joyConfig != nullptr) {
            EXPECT_EQ(DI_OK, IDirectInputJoyConfig_GetConfig(joyConfig, kSlot, &config,
                                                             DIJC_GUIDINSTANCE));
            IDirectInputJoyConfig_Release(joyConfig);
        }
        return config.guidInstance;
    }

    static bool IsFromProgramDirectory(const char* moduleName) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(GetModuleHandleA(moduleName), path, MAX_PATH);
        return lstrcmpiA(std::string(path).substr(0, ProgramDirectory().size()).c_str(),
                         ProgramDirectory().c_str()) == 0;
    }

    std::optional<ReceivedOutput> WaitFor(const ReportBytes& bytes) {
        return controller_.WaitForReport(
            [&](const ReceivedOutput& report) { return report.bytes == bytes; }, kArrivalTimeoutMs);
    }

    AttachedController controller_{kSlot};
    SavedRegistryValue amplify_{OemKeyPath(), "Amplify"};
    SavedRegistryValue rumble_{OemKeyPath(), "Rumble"};
    HWND window_ = nullptr;
    IDirectInput7A* directInput_ = nullptr;
    IDirectInputDevice7A* device_ = nullptr;
    IDirectInputEffect* effect_ = nullptr;
};

TEST_F(GameForceFeedback, StartedEffectRunsTheMotorsAndStopStillsThem) {
    BothForceEffect both;
    ASSERT_EQ(DI_OK, IDirectInputDevice7_CreateEffect(device_, GUID_ConstantForce, &both.effect,
                                                      &effect_, nullptr));
    ASSERT_NE(nullptr, effect_);
    ASSERT_EQ(DI_OK, IDirectInputEffect_Start(effect_, 1, 0));
    EXPECT_TRUE(WaitFor(BothForceReport())) << "the game's effect never reached the controller";
    DWORD status = 0;
    EXPECT_EQ(DI_OK, IDirectInputEffect_GetEffectStatus(effect_, &status));
    EXPECT_EQ(static_cast<DWORD>(DIEGES_PLAYING), status);

    ASSERT_EQ(DI_OK, IDirectInputEffect_Stop(effect_));
    EXPECT_TRUE(WaitFor(RestingReport())) << "the motors were never stopped";
    EXPECT_EQ(DI_OK, IDirectInputEffect_GetEffectStatus(effect_, &status));
    EXPECT_EQ(0u, status);
}

TEST_F(GameForceFeedback, ReleasingTheDeviceEndsWithTheFinalOutput) {
    BothForceEffect both;
    ASSERT_EQ(DI_OK, IDirectInputDevice7_CreateEffect(device_, GUID_ConstantForce, &both.effect,
                                                      &effect_, nullptr));
    ASSERT_EQ(DI_OK, IDirectInputEffect_Start(effect_, 1, 0));
    ASSERT_TRUE(WaitFor(BothForceReport()));

    // As a game ends: effect, acquisition, device. DirectInput drops the
    // driver with the device, and the driver's last release speaks last.
    IDirectInputEffect_Release(effect_);
    effect_ = nullptr;
    IDirectInputDevice7_Unacquire(device_);
    IDirectInputDevice7_Release(device_);
    device_ = nullptr;
    const std::vector<ReceivedOutput> reports = controller_.NewReports();
    const std::vector<ReportBytes> final = FinalOutput();
    ASSERT_GE(reports.size(), final.size()) << "nothing was sent at the end";
    for (size_t i = 0; i < final.size(); ++i) {
        EXPECT_EQ(final[i], reports[reports.size() - final.size() + i].bytes);
    }
    const auto info = controller_.Info();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(0u, info->openHandles) << "the controller is still held after the game let go";
}

}  // namespace
}  // namespace windows_test
