// The vibration strength and the button test of the Vibration Test page
// reach the controller through the effect driver of the same model, in one
// process on one simulated machine.
//
// DirectInput's part is played by the test: it relays each call the page
// made on its effect to the driver (a parameter change to DownloadEffect, a
// start to StartEffect) the way DirectInput hands effects to a driver:
// the coordinate flag alone, and the axes as object identifiers rather
// than data-format offsets.
#include <commctrl.h>
#include <dinput.h>
#include <gtest/gtest.h>
#include <prsht.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_directinput.h>
#include <simwin/control_property_sheet.h>
#include <simwin/control_windows.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "profiles/selected_model.h"
#include "property_sheet/controller_sheet.h"
#include "property_sheet/module_state.h"
#include "property_sheet/resources/padscope_resources.h"
#include "support/effect_registrations_fixture.h"
#include "support/loaded_module.h"

namespace {

using Bytes = std::vector<BYTE>;

constexpr bool kModelS = kModelProfile.model == DeviceModel::S;
constexpr UINT kJoystick = 1;
constexpr BYTE kReportId = 3;
constexpr DWORD kConstantForceType = 0;  // the driver's type index
const GUID kInstance = {0xC0FFEE, 1, 2, {3, 4, 5, 6, 7, 8, 9, 11}};

HINSTANCE SheetModule() {
    return reinterpret_cast<HINSTANCE>(0x5E0000);
}

std::string OemKeyPath() {
    char path[200];
    std::snprintf(path, sizeof path,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\VID_%04X&PID_%04X",
                  kModelProfile.vendorId, kModelProfile.productId);
    return path;
}

// DirectInput's object identifier of an axis of the joystick format, from
// its byte offset: an absolute axis whose instance is its position.
DWORD AxisObjectId(DWORD offset) {
    return ((offset / sizeof(LONG)) << 8) | 0x2;
}

// Relays the page's effect calls to the driver, one driver effect for the
// page's one effect.
class EffectRelay {
  public:
    explicit EffectRelay(IDirectInputEffectDriver* driver) : driver_(driver) {}

    void Relay(const simwin::DirectInputEffectInfo& effect, size_t first) {
        const simwin::CapturedEffect& created = effect.calls.at(0).parameters;
        for (size_t i = first; i < effect.calls.size(); ++i) {
            const simwin::EffectCall& call = effect.calls[i];
            if (call.kind == simwin::EffectCallKind::SetParameters) {
                Download(created, call);
            } else if (call.kind == simwin::EffectCallKind::Start && handle_ != 0) {
                EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver_, kJoystick, handle_,
                                                                     call.flags, call.iterations));
            }
        }
    }

  private:
    void Download(const simwin::CapturedEffect& created, const simwin::EffectCall& call) {
        const simwin::CapturedEffect& changed = call.parameters;
        axes_.clear();
        for (DWORD offset : created.axes) {
            axes_.push_back(AxisObjectId(offset));
        }
        directions_ = changed.directions;
        std::memcpy(&force_, changed.typeSpecific.data(), sizeof force_);
        DIEFFECT record = {};
        record.dwSize = sizeof record;
        record.dwFlags = changed.flags & (DIEFF_CARTESIAN | DIEFF_POLAR | DIEFF_SPHERICAL);
        record.dwDuration = created.duration;
        record.dwSamplePeriod = created.samplePeriod;
        record.dwGain = created.gain;
        record.dwTriggerButton = created.triggerButton;
        record.dwTriggerRepeatInterval = created.triggerRepeatInterval;
        record.cAxes = static_cast<DWORD>(axes_.size());
        record.rgdwAxes = axes_.data();
        record.rglDirection = directions_.data();
        record.cbTypeSpecificParams = sizeof force_;
        record.lpvTypeSpecificParams = &force_;
        ASSERT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(
                            driver_, kJoystick, kConstantForceType, &handle_, &record, call.flags));
    }

    IDirectInputEffectDriver* driver_;
    DWORD handle_ = 0;
    std::vector<DWORD> axes_;
    std::vector<LONG> directions_;
    DICONSTANTFORCE force_ = {};
};

// One run on a fresh machine: the slider set to `strength`, "Both force"
// clicked, one tick of the page relayed to the driver and one playback
// period played. The strength report the controller received last.
Bytes MotorReportForStrength(LONG strength) {
    simwin::Reset();
    simwin::SetEventNamespace("vibration-e2e-" + std::to_string(getpid()));
    test_support::InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
    HKEY oem = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, OemKeyPath().c_str(), &oem));
    RegCloseKey(oem);

    simwin::HidControllerSpec spec;
    spec.vendorId = kModelProfile.vendorId;
    spec.productId = kModelProfile.productId;
    spec.interfacePath =
        "\\\\?\\hid#vid_0000&pid_0000#8&1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    spec.directInputInstance = kInstance;
    spec.outputReportId = kReportId;
    const simwin::ControllerId controller = simwin::AddHidController(spec);
    simwin::SetJoystick(kJoystick, kInstance);

    Bytes last;
    {
        // The effect driver, as DirectInput loads and binds it.
        test_support::LoadedModule rumbix(RUMBIX_LIBRARY);
        EXPECT_TRUE(rumbix.loaded());
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, rumbix.GetClassObject(kModelProfile.effectDriverClassId, IID_IClassFactory,
                                              reinterpret_cast<void**>(&factory)));
        IDirectInputEffectDriver* driver = nullptr;
        EXPECT_EQ(S_OK, IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver,
                                                     reinterpret_cast<void**>(&driver)));
        IClassFactory_Release(factory);
        EXPECT_EQ(S_OK,
                  IDirectInputEffectDriver_DeviceID(driver, 0x0700, kJoystick, 1, 0, nullptr));

        // The sheet, as the control panel shows its Vibration Test page.
        SetModuleInstance(SheetModule());
        InitializeSheetLock();
        simwin::RegisterModuleResources(SheetModule(), PadscopeResources());
        ControllerSheet* sheet = CreateControllerSheet();
        IDIGameCntrlPropSheet* iface = &sheet->iface;
        IDIGameCntrlPropSheet_SetID(iface, kJoystick);
        EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_PrepareSheet(iface));
        const DIGCPAGEINFO& vibration = sheet->pageInfo[2];
        PROPSHEETPAGEA page = {};
        page.dwSize = sizeof page;
        page.hInstance = vibration.hInstance;
        page.pszTemplate = reinterpret_cast<LPCSTR>(vibration.lpwszTemplate);
        page.pfnDlgProc = vibration.fpPageProc;
        page.lParam = vibration.lParam;
        HWND frame = simwin::OpenPropertySheet(&page, 1);
        EXPECT_NE(nullptr, frame);
        HWND window = simwin::PropertySheetPageWindow(frame, 0);

        EXPECT_TRUE(simwin::DragTrackbarThumb(GetDlgItem(window, 1027), strength));
        const size_t before = simwin::DirectInputEffects().at(0).calls.size();
        EXPECT_TRUE(simwin::ClickButton(GetDlgItem(window, 1045)));
        EXPECT_TRUE(simwin::FireWindowTimer(window, 3));

        EffectRelay relay(driver);
        relay.Relay(simwin::DirectInputEffects().at(0), before);
        simwin::ClearWrittenReports(controller);
        simwin::AdvanceTime(kModelProfile.playbackPeriodMs);
        const std::vector<simwin::WrittenReport> reports = simwin::WrittenReports(controller);
        for (const simwin::WrittenReport& report : reports) {
            if (kModelS ? report.bytes.at(1) == 0x51 : true) {
                last = report.bytes;
            }
        }

        simwin::ClosePropertySheet(frame, false);
        IDIGameCntrlPropSheet_Release(iface);
        DeleteSheetLock();
        IDirectInputEffectDriver_Release(driver);
    }
    EXPECT_EQ(0u, simwin::LiveDirectInputObjects());
    EXPECT_EQ(0u, simwin::DirectInputReleaseErrors());
    simwin::Reset();
    return last;
}

TEST(VibrationReachesDriver, HalfTheStrengthOnTheSliderHalvesBothMotors) {
    // "Both force": direction (10000, 10000), magnitude 14142. The driver
    // shares 127 × 1.4142 between the two axes, 126 each at full strength
    // and 63 each at half (truncated); model S doubles its motor bytes.
    const Bytes full = MotorReportForStrength(1000);
    const Bytes half = MotorReportForStrength(500);
    if (kModelS) {
        EXPECT_EQ((Bytes{kReportId, 0x51, 0, 252, 0, 252, 0, 0}), full);
        EXPECT_EQ((Bytes{kReportId, 0x51, 0, 126, 0, 126, 0, 0}), half);
    } else {
        EXPECT_EQ((Bytes{kReportId, 0, 0, 126, 126}), full);
        EXPECT_EQ((Bytes{kReportId, 0, 0, 63, 63}), half);
    }
}

}  // namespace
