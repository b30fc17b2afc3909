// Fuzzes what either deliverable reads from the registry: every effect
// registration's "Attributes", "Amplify" and "Rumble" of the model's OEM
// key, the "GUID" values that locate a joystick's calibration (below the HID
// interface keys and below the private calibration key), the "Calibration"
// values below them, the legacy joystick configuration, DirectX's "Version"
// string, and the Windows version. Each value is missing or holds arbitrary
// bytes of an arbitrary type and length. Then a driver object is made, bound,
// plays an effect for a few ticks and is released, and the sheet is shown,
// pressed and closed; nothing either made may outlive it.
#include <dinput.h>
#include <dinputd.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_system.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/loaded_object.h"
#include "fuzz/machine_setup.h"
#include "fuzz/model_constants.h"
#include "fuzz/sheet_session.h"

namespace {

using fuzz::FuzzInput;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "registry_values: %s\n", what);
    std::abort();
}

DWORD SomeType(FuzzInput& in) {
    static const DWORD kTypes[] = {REG_BINARY, REG_DWORD, REG_SZ, REG_NONE};
    return in.Flag() ? kTypes[in.Below(4)] : in.Dword();
}

// A value of arbitrary type and bytes (often of the size the reader expects),
// or none.
void MaybeSetValue(FuzzInput& in, const std::string& key, const char* name, DWORD usualSize) {
    if (in.Byte() < 48) {
        return;
    }
    DWORD size = usualSize;
    switch (in.Below(4)) {
        case 0:
            size = in.Below(2 * usualSize + 2);
            break;
        case 1:
            size = in.Flag() ? in.Word() % 4096 : 0;
            break;
        default:
            break;
    }
    const DWORD type = SomeType(in);
    fuzz::SetMachineValue(key, name, type, in.Bytes(size));
}

const GUID kInstance = {0x6A000000u, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

// Where a joystick's calibration lives: candidate keys whose "GUID" may name
// the joystick, each with the axis subkeys that hold "Calibration".
void WriteCalibrationPlaces(FuzzInput& in, const fuzz::ModelConstants& model) {
    const std::string interfaces =
        "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
        "{4d1e55b2-f16f-11cf-88cb-001111000030}";
    char privateKey[256];
    std::snprintf(privateKey, sizeof privateKey,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "DirectInput\\VID_%04X&PID_%04X\\Calibration",
                  model.vendorId, model.productId);
    const std::string parents[] = {interfaces, privateKey};
    const char* guidPlaces[] = {"#\\Device Parameters\\DirectX", ""};
    const char* axesPlaces[] = {"#\\Device Parameters\\DirectX\\Type\\Axes", "Type\\Axes"};
    for (int p = 0; p < 2; ++p) {
        const unsigned candidates = in.Below(3);
        for (unsigned c = 0; c < candidates; ++c) {
            const std::string candidate = parents[p] + "\\" + std::to_string(c);
            std::string guidKey = candidate;
            if (guidPlaces[p][0] != '\0') {
                guidKey += std::string("\\") + guidPlaces[p];
            }
            if (in.Flag()) {
                // The joystick's own identifier, exactly.
                const BYTE* bytes = reinterpret_cast<const BYTE*>(&kInstance);
                fuzz::SetMachineValue(guidKey, "GUID", REG_BINARY,
                                      std::vector<BYTE>(bytes, bytes + sizeof kInstance));
            } else {
                MaybeSetValue(in, guidKey, "GUID", sizeof(GUID));
            }
            static const char* kAxes[] = {"0", "1", "2", "5"};
            for (const char* axis : kAxes) {
                MaybeSetValue(in, candidate + "\\" + axesPlaces[p] + "\\" + axis, "Calibration",
                              12);
            }
        }
    }
    const std::string legacy =
        "System\\CurrentControlSet\\Control\\MediaResources\\Joystick\\msjstick.drv\\"
        "CurrentJoystickSettings";
    const std::string name = "Joystick" + std::to_string(in.Below(17)) + "Configuration";
    MaybeSetValue(in, legacy, name.c_str(), 112);
}

void RunDriver(FuzzInput& in, const fuzz::ModelConstants& model) {
    fuzz::PluggedController controller = fuzz::PlugController(model, 1, 1, 0);
    IClassFactory* factory = fuzz::FactoryOf(model.driverLibrary, model.effectDriverClassId);
    const size_t blocksBefore = simwin::LiveAllocations();
    IDirectInputEffectDriver* driver = nullptr;
    if (IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver,
                                     reinterpret_cast<void**>(&driver)) != S_OK) {
        if (simwin::LiveAllocations() != blocksBefore) {
            Fail("a refused driver object left a heap block behind");
        }
        return;
    }
    if (IDirectInputEffectDriver_DeviceID(driver, 0x0700, 1, 1, 0, nullptr) == S_OK) {
        DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
        LONG directions[2] = {1, 1};
        DICONSTANTFORCE constant = {static_cast<LONG>(in.Word()) - 5000};
        DIEFFECT effect = {};
        effect.dwSize = sizeof effect;
        effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
        effect.dwDuration = INFINITE;
        effect.dwGain = 10000;
        effect.dwTriggerButton = DIEB_NOTRIGGER;
        effect.cAxes = 2;
        effect.rgdwAxes = axes;
        effect.rglDirection = directions;
        effect.cbTypeSpecificParams = sizeof constant;
        effect.lpvTypeSpecificParams = &constant;
        DWORD handle = 0;
        // Any registered type; the attributes decide what the driver makes of it.
        IDirectInputEffectDriver_DownloadEffect(driver, 1, in.Below(12), &handle, &effect,
                                                DIEP_ALLPARAMS | DIEP_START);
        DIDEVICESTATE state = {sizeof state, 0, 0};
        IDirectInputEffectDriver_GetForceFeedbackState(driver, 1, &state);
        simwin::AdvanceTime(3 * model.playbackPeriodMs);
    }
    if (IDirectInputEffectDriver_Release(driver) != 0) {
        Fail("the driver object outlived its last release");
    }
    if (simwin::OpenHandleCount(controller.id) != 0 || !simwin::ActiveTimers().empty()) {
        Fail("the driver left a handle or its timer behind");
    }
    if (simwin::LiveAllocations() != blocksBefore) {
        Fail("a heap block outlived the driver object");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    simwin::SetEventNamespace("rumbix-fuzz-registry-" + std::to_string(getpid()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const fuzz::ModelConstants& model = fuzz::Model(in.Flag());
    simwin::Reset();
    const size_t keysOpenBefore = simwin::OpenRegistryKeys();

    for (unsigned position = 0; position < 12; ++position) {
        MaybeSetValue(in, fuzz::EffectRegistrationPath(model, position), "Attributes", 20);
    }
    MaybeSetValue(in, fuzz::OemKeyPath(model), "Amplify", 4);
    MaybeSetValue(in, fuzz::OemKeyPath(model), "Rumble", 4);
    MaybeSetValue(in, "Software\\Microsoft\\DirectX", "Version", 12);
    WriteCalibrationPlaces(in, model);
    simwin::WindowsVersion version;
    if (in.Flag()) {
        version.major = in.Below(12);
        version.minor = in.Below(4);
        version.build = in.Word();
        version.platformId = in.Below(3);
    }
    simwin::SetWindowsVersion(version);

    RunDriver(in, model);
    {
        fuzz::SheetSession sheet(model, in);
        for (unsigned n = 0; n < 48 && !in.empty(); ++n) {
            sheet.Act();
        }
        sheet.Finish();
    }
    if (simwin::OpenRegistryKeys() != keysOpenBefore) {
        Fail("a registry key was left open");
    }
    return 0;
}
