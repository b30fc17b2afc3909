// The Calibration page through its messages: its timer, its connection
// text, the live numbers and indicators, and what "Default" and "Set"
// write. The machine is Windows XP without a DirectX version, so the
// calibration goes below the controller's HID interface key.
//
// The page's previous reading and model T's sweep are module-wide and
// outlive every page, so each test first presses "Default" or settles the
// page on a known reading before it looks at what follows.
#include <prsht.h>
#include <simwin/control_directinput.h>
#include <simwin/control_system.h>
#include <simwin/control_windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "calibration_registry.h"
#include "page_fixture.h"
#include "profiles/selected_model.h"
#include "property_sheet/joystick_polling.h"
#include "property_sheet/pages/calibration_page.h"

namespace {

using calibration_registry::Bytes;

constexpr bool kModelS = kModelProfile.model == DeviceModel::S;
constexpr int kCalibrationRow = 1;
constexpr UINT_PTR kTimer = 2;
constexpr int kDefault = 1021;
constexpr int kSet = 1022;
constexpr int kStatusText = 1025;
constexpr int kWarningIcon = 1039;
constexpr char kConnected[] = "Your game controller is connected correctly.";
constexpr char kNotConnected[] = "Your game controller is not connected correctly!";
const char* const kInterface = "##?#HID#Ours#{4d1e55b2-f16f-11cf-88cb-001111000030}";

DIJOYSTATE At(LONG x, LONG y, LONG z, LONG rz) {
    DIJOYSTATE state = {};
    state.lX = x;
    state.lY = y;
    state.lZ = z;
    state.lRz = rz;
    for (DWORD& pov : state.rgdwPOV) {
        pov = 0xFFFFFFFF;
    }
    return state;
}

// A reading whose four axes all scale to `value`.
DIJOYSTATE AllAt(LONG scaled) {
    const LONG raw = scaled << 8;
    return At(raw, raw, raw, raw);
}

Bytes Calibration(DWORD minimum, DWORD centre, DWORD maximum) {
    Bytes bytes;
    for (DWORD value : {minimum, centre, maximum}) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
        }
    }
    return bytes;
}

DWORD Packed(LONG horizontal, LONG vertical) {
    return (static_cast<DWORD>(horizontal) << 16) | (static_cast<DWORD>(vertical) & 0xFFFF);
}

class CalibrationPageBase : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        openKeysAtStart_ = simwin::OpenRegistryKeys();
        calibration_registry::AddInterface(kInterface, calibration_registry::GuidBytes(Instance()));
    }
    void TearDown() override {
        PageTest::TearDown();
        EXPECT_EQ(simwin::OpenRegistryKeys(), openKeysAtStart_) << "a registry key was left open";
    }

    void TickWith(const DIJOYSTATE& reading) {
        simwin::SetJoystickState(Instance(), reading);
        Tick(kTimer);
    }
    void Click(int button) { ASSERT_TRUE(simwin::ClickButton(Item(button))); }

    // The "Calibration" value of axis subkey "0", "1", "2" or "5".
    static std::optional<Bytes> Written(const char* axis) {
        return calibration_registry::ReadValue(
            calibration_registry::InterfaceAxisKey(kInterface, axis), "Calibration");
    }
    static void Forget(const char* axis) {
        HKEY key = nullptr;
        const std::string path = calibration_registry::InterfaceAxisKey(kInterface, axis);
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Calibration");
            RegCloseKey(key);
        }
    }
    static void ForgetAll() {
        for (const char* axis : {"0", "1", "2", "5"}) {
            Forget(axis);
        }
    }
    static size_t DevicesMade() { return simwin::DirectInputDevices().size(); }

  private:
    size_t openKeysAtStart_ = 0;
};

class CalibrationPage : public CalibrationPageBase {
  protected:
    void SetUp() override {
        CalibrationPageBase::SetUp();
        OpenPage(kCalibrationRow);
    }
};

TEST_F(CalibrationPage, ReadsItsConfigurationInConfigurationModeAndTicksOnlyWhileActive) {
    EXPECT_EQ(0, simwin::DialogInitResult(page())) << "the default result once the device opened";
    const std::vector<simwin::JoyConfigGetConfigCall> calls = simwin::JoyConfigGetConfigCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().joystickId, kJoystick);
    EXPECT_EQ(calls.back().flags, static_cast<DWORD>(DIJC_REGHWCONFIGTYPE));
    EXPECT_TRUE(calls.back().acquired) << "read between the joy-config Acquire and Unacquire";
    EXPECT_EQ(simwin::JoyConfigRecordSizes().back(), 1160u);

    using Timers = std::vector<std::pair<UINT_PTR, UINT>>;
    EXPECT_EQ(Timers({{kTimer, 10u}}), PageTimers()) << "shown first";
    LeavePage();
    EXPECT_EQ(Timers(), PageTimers());
    ReturnToPage();
    EXPECT_EQ(Timers({{kTimer, 10u}}), PageTimers());

    for (UINT code : {PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, static_cast<UINT>(-12)}) {
        NMHDR header = {GetParent(page()), 0, code};
        EXPECT_EQ(TRUE,
                  CalibrationPageProcedure(page(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)))
            << code;
    }
    EXPECT_EQ(TRUE, CalibrationPageProcedure(page(), WM_NOTIFY, 0, 0)) << "no header";
    EXPECT_EQ(0, CalibrationPageProcedure(page(), WM_TIMER, 7, 0));
    EXPECT_EQ(kConnected, ItemText(kStatusText)) << "a timer of any id ticks";
    EXPECT_EQ(0, CalibrationPageProcedure(page(), WM_COMMAND, MAKEWPARAM(kSet, 1), 0));
    EXPECT_FALSE(Written("0")) << "only a click (notification 0) presses a button";

    ClosePage();
    EXPECT_TRUE(simwin::WindowTimers().empty());
    EXPECT_EQ(ConnectionDisplayOf(ConnectionPage::Calibration), kNothingShown);
}

TEST_F(CalibrationPageBase, ADeviceThatCannotBeOpenedLeavesThePageNotConnected) {
    simwin::FailCall("DirectInputCreateA");
    OpenPage(kCalibrationRow);
    EXPECT_EQ(TRUE, simwin::DialogInitResult(page()));
    Tick(kTimer);
    EXPECT_EQ(kNotConnected, ItemText(kStatusText));
    EXPECT_TRUE(ItemShown(kWarningIcon));
    Click(kDefault);
    EXPECT_FALSE(Written("0"));
}

TEST_F(CalibrationPage, ConnectionTextOncePerChangeNumbersEveryTickIndicatorsOnChange) {
    TickWith(At(32768, 65535, 0, 256));
    EXPECT_EQ(kConnected, ItemText(kStatusText));
    EXPECT_FALSE(ItemShown(kWarningIcon));
    EXPECT_EQ("128", ItemText(1016));
    EXPECT_EQ("255", ItemText(1017));
    EXPECT_EQ("0", ItemText(1018));
    EXPECT_EQ("1", ItemText(1019));

    // The same reading again: numbers rewritten, indicators left alone.
    for (int id : {1016, 1017, 1018, 1019}) {
        SetDlgItemTextA(page(), id, "");
    }
    simwin::ClearInvalidAreas();
    TickWith(At(32768, 65535, 0, 256));
    EXPECT_EQ("128", ItemText(1016));
    EXPECT_EQ("1", ItemText(1019));
    EXPECT_TRUE(simwin::InvalidAreas(Item(1012)).empty());
    EXPECT_TRUE(simwin::InvalidAreas(Item(1013)).empty());

    // Only the right-hand axes move: only the right-hand indicator, with
    // the model's horizontal and vertical axes.
    TickWith(At(32768, 65535, 1000, 2000));
    EXPECT_TRUE(simwin::InvalidAreas(Item(1012)).empty());
    EXPECT_FALSE(simwin::InvalidAreas(Item(1013)).empty());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(Item(1013), GWL_USERDATA)),
              kModelS ? Packed(1000, 2000) : Packed(2000, 1000));
    simwin::ClearInvalidAreas();
    TickWith(At(100, 65535, 1000, 2000));
    EXPECT_FALSE(simwin::InvalidAreas(Item(1012)).empty());
    EXPECT_TRUE(simwin::InvalidAreas(Item(1013)).empty());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(Item(1012), GWL_USERDATA)), Packed(100, 65535));

    // Not connected twice: the text is set once.
    simwin::ScriptAcquire(Instance(), DIERR_UNPLUGGED, simwin::ScriptScope::EveryCall);
    Tick(kTimer);
    EXPECT_EQ(kNotConnected, ItemText(kStatusText));
    EXPECT_TRUE(ItemShown(kWarningIcon));
    SetDlgItemTextA(page(), kStatusText, "untouched");
    Tick(kTimer);
    EXPECT_EQ("untouched", ItemText(kStatusText));
    simwin::ClearJoystickScripts(Instance());
    Tick(kTimer);
    EXPECT_EQ(kConnected, ItemText(kStatusText));
    EXPECT_FALSE(ItemShown(kWarningIcon));
}

TEST_F(CalibrationPage, DefaultWritesTheFullRangeThenSetWritesTheModelsRange) {
    TickWith(AllAt(128));
    const size_t devices = DevicesMade();
    Click(kDefault);
    for (const char* axis : {"0", "1", "2", "5"}) {
        EXPECT_EQ(Written(axis), Bytes({0, 0, 0, 0, 0x80, 0, 0, 0, 0xFF, 0, 0, 0})) << axis;
    }
    EXPECT_EQ(DevicesMade(), devices + 1) << "the device is opened afresh";
    EXPECT_FALSE(
        calibration_registry::KeyExists(calibration_registry::InterfaceAxisKey(kInterface, "3")));

    // X sweeps 3..250 and rests at 129; the other axes differ from it.
    TickWith(At(3 << 8, 60 << 8, 70 << 8, 80 << 8));
    TickWith(At(250 << 8, 90 << 8, 100 << 8, 110 << 8));
    TickWith(At(129 << 8, 75 << 8, 85 << 8, 95 << 8));
    Click(kSet);
    if (kModelS) {
        // After "Default" the range cannot widen any further.
        EXPECT_EQ(Written("0"), Calibration(0, 129, 255));
        EXPECT_EQ(Written("5"), Calibration(0, 95, 255));
    } else {
        EXPECT_EQ(Written("0"), Bytes({0x03, 0, 0, 0, 0x81, 0, 0, 0, 0xFA, 0, 0, 0}));
        EXPECT_EQ(Written("1"), Calibration(60, 75, 90));
        EXPECT_EQ(Written("2"), Calibration(70, 85, 100));
        EXPECT_EQ(Written("5"), Calibration(80, 95, 110));
    }
    EXPECT_EQ(DevicesMade(), devices + 2);

    // A second sweep: only it counts in model T; model S keeps the full
    // range.
    TickWith(AllAt(60));
    TickWith(AllAt(70));
    TickWith(AllAt(65));
    Click(kSet);
    EXPECT_EQ(Written("0"), kModelS ? Calibration(0, 65, 255) : Calibration(60, 65, 70));
    EXPECT_EQ(Written("2"), kModelS ? Calibration(0, 65, 255) : Calibration(60, 65, 70));
}

TEST_F(CalibrationPage, ModelSWidensFromTheSeedSinceThePageOpened) {
    if (!kModelS) {
        GTEST_SKIP() << "model T's range is the sweep since the last press";
    }
    TickWith(AllAt(40));
    TickWith(AllAt(200));
    TickWith(AllAt(120));
    Click(kSet);
    EXPECT_EQ(Written("0"), Calibration(40, 120, 200));
    EXPECT_EQ(Written("5"), Calibration(40, 120, 200));

    // The seed 128 lies inside any range: a stick kept on one side still
    // reaches the middle.
    ClosePage();
    OpenPage(kCalibrationRow);
    TickWith(AllAt(20));
    Click(kSet);
    EXPECT_EQ(Written("1"), Calibration(20, 20, 128));
}

TEST_F(CalibrationPage, SetWithoutASweepWritesNothing) {
    Click(kDefault);  // empties model T's sweep
    ForgetAll();
    const size_t changes = simwin::RegistryChanges();
    const size_t devices = DevicesMade();
    Click(kSet);
    if (kModelS) {
        // Model S always holds a range: the seed, widened by nothing yet
        // since "Default" made it full.
        EXPECT_EQ(Written("0"), Calibration(0, 128, 255));
        return;
    }
    EXPECT_EQ(simwin::RegistryChanges(), changes) << "no minimum above its maximum is written";
    EXPECT_EQ(DevicesMade(), devices) << "nothing written, nothing to reopen";

    // One reading is a sweep: minimum, centre and maximum all at it.
    TickWith(AllAt(129));
    Click(kSet);
    EXPECT_EQ(Written("0"), Calibration(129, 129, 129));
    EXPECT_EQ(DevicesMade(), devices + 1);
}

TEST_F(CalibrationPage, AFailedReadingChangesNothing) {
    Click(kDefault);
    TickWith(At(3 << 8, 60 << 8, 70 << 8, 80 << 8));
    TickWith(At(250 << 8, 90 << 8, 100 << 8, 110 << 8));
    TickWith(At(129 << 8, 75 << 8, 85 << 8, 95 << 8));
    simwin::ClearInvalidAreas();

    for (HRESULT failure : {E_FAIL, DIERR_INPUTLOST, DI_POLLEDDEVICE}) {
        simwin::SetJoystickState(Instance(), At(0, 65535, 0, 65535));
        simwin::ScriptGetDeviceState(Instance(), failure);
        Tick(kTimer);
        EXPECT_EQ(kConnected, ItemText(kStatusText));
        EXPECT_EQ("129", ItemText(1016)) << failure;
        EXPECT_TRUE(simwin::InvalidAreas(Item(1012)).empty()) << failure;
        EXPECT_TRUE(simwin::InvalidAreas(Item(1013)).empty()) << failure;
    }
    Click(kSet);
    EXPECT_EQ(Written("0"), kModelS ? Calibration(0, 129, 255) : Calibration(3, 129, 250));
    EXPECT_EQ(Written("1"), kModelS ? Calibration(0, 75, 255) : Calibration(60, 75, 90));
}

TEST_F(CalibrationPage, AControllerThatDoesNotAnswerAtTheClickGetsNothingWritten) {
    Click(kDefault);
    TickWith(AllAt(50));
    TickWith(AllAt(150));
    ForgetAll();
    const size_t changes = simwin::RegistryChanges();
    const size_t devices = DevicesMade();
    simwin::ScriptAcquire(Instance(), DIERR_UNPLUGGED, simwin::ScriptScope::EveryCall);
    Click(kSet);
    Click(kDefault);
    EXPECT_EQ(simwin::RegistryChanges(), changes);
    EXPECT_EQ(DevicesMade(), devices) << "not reopened";

    // Model T emptied its sweep all the same: the next "Set" has no range.
    simwin::ClearJoystickScripts(Instance());
    Click(kSet);
    EXPECT_EQ(Written("0").has_value(), kModelS);
}

TEST_F(CalibrationPage, WithoutTheInstanceIdentifierNothingIsWrittenYetTheDeviceIsReopened) {
    TickWith(AllAt(128));
    const size_t changes = simwin::RegistryChanges();
    const size_t devices = DevicesMade();
    simwin::FailCall("GetConfig");  // the click's look-up of the instance identifier
    Click(kDefault);
    EXPECT_EQ(simwin::RegistryChanges(), changes);
    EXPECT_EQ(DevicesMade(), devices + 1) << "the controller answered";
}

}  // namespace
