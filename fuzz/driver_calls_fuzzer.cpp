// Fuzzes the effect driver of either model through its interface: a run of
// calls with arbitrary arguments and arbitrary effect records, interleaved
// with playback ticks, clock jumps, unplugging and replugging controllers,
// and strength changes in the registry. When the game lets go of the driver,
// every controller handle and the playback timer must be gone.
#include <dinput.h>
#include <dinputd.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/effect_record_from_input.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/loaded_object.h"
#include "fuzz/machine_setup.h"
#include "fuzz/model_constants.h"

namespace {

using fuzz::FuzzInput;

constexpr unsigned kMaxControllers = 4;
constexpr unsigned kMaxOperations = 64;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "driver_calls: %s\n", what);
    std::abort();
}

struct Run {
    FuzzInput& in;
    const fuzz::ModelConstants& model;
    IDirectInputEffectDriver* driver;
    std::vector<fuzz::PluggedController> controllers;
    std::vector<DWORD> handles;

    DWORD DeviceId() { return in.Flag() ? in.Below(20) : in.Dword(); }
    DWORD Handle() {
        if (!handles.empty() && in.Byte() < 224) {
            return handles[in.Below(static_cast<unsigned>(handles.size()))];
        }
        return in.InterestingDword();
    }

    void Step() {
        switch (in.Below(15)) {
            case 0: {
                static const DWORD kVersions[] = {0x0300, 0x0500, 0x0700, 0x0800};
                const DWORD version = in.Flag() ? kVersions[in.Below(4)] : in.Dword();
                const DWORD id = DeviceId();
                const DWORD isOpen = in.Dword();
                const DWORD reserved = in.Dword();
                IDirectInputEffectDriver_DeviceID(driver, version, id, isOpen, reserved, nullptr);
                break;
            }
            case 1: {
                DIDRIVERVERSIONS versions = {};
                versions.dwSize = in.Flag() ? sizeof versions : in.Dword();
                IDirectInputEffectDriver_GetVersions(driver, &versions);
                break;
            }
            case 2: {
                std::vector<BYTE> inBuffer = in.Bytes(in.Below(16));
                std::vector<BYTE> outBuffer(in.Below(16));
                DIEFFESCAPE escape = {};
                escape.dwSize = in.Flag() ? sizeof escape : in.Dword();
                escape.dwCommand = in.Dword();
                escape.lpvInBuffer = inBuffer.empty() ? nullptr : inBuffer.data();
                escape.cbInBuffer = static_cast<DWORD>(inBuffer.size());
                escape.lpvOutBuffer = outBuffer.empty() ? nullptr : outBuffer.data();
                escape.cbOutBuffer = static_cast<DWORD>(outBuffer.size());
                const DWORD id = DeviceId();
                IDirectInputEffectDriver_Escape(driver, id, Handle(), &escape);
                break;
            }
            case 3: {
                const DWORD id = DeviceId();
                IDirectInputEffectDriver_SetGain(driver, id, in.InterestingDword());
                break;
            }
            case 4: {
                static const DWORD kCommands[] = {DISFFC_RESET,          DISFFC_STOPALL,
                                                  DISFFC_PAUSE,          DISFFC_CONTINUE,
                                                  DISFFC_SETACTUATORSON, DISFFC_SETACTUATORSOFF};
                const DWORD command = in.Flag() ? kCommands[in.Below(6)] : in.Dword();
                IDirectInputEffectDriver_SendForceFeedbackCommand(driver, DeviceId(), command);
                break;
            }
            case 5: {
                DIDEVICESTATE state = {};
                state.dwSize = in.Flag() ? sizeof state : in.Dword();
                IDirectInputEffectDriver_GetForceFeedbackState(driver, DeviceId(), &state);
                break;
            }
            case 6: {
                fuzz::EffectRecordFromInput record(in);
                DWORD handle = in.Flag() ? 0 : Handle();
                DWORD type = in.Flag() ? in.Below(13) : in.Dword();
                // Mostly parameter flags with or without DIEP_START.
                DWORD flags = in.Flag() ? (in.Byte() | (in.Flag() ? DIEP_START : 0)) : in.Dword();
                if (IDirectInputEffectDriver_DownloadEffect(driver, DeviceId(), type, &handle,
                                                            record.get(), flags) == S_OK) {
                    handles.push_back(handle);
                }
                break;
            }
            case 7: {
                const DWORD id = DeviceId();
                IDirectInputEffectDriver_DestroyEffect(driver, id, Handle());
                break;
            }
            case 8: {
                const DWORD id = DeviceId();
                const DWORD handle = Handle();
                const DWORD mode = in.Flag() ? in.Below(4) : in.Dword();
                IDirectInputEffectDriver_StartEffect(driver, id, handle, mode,
                                                     in.InterestingDword());
                break;
            }
            case 9: {
                const DWORD id = DeviceId();
                IDirectInputEffectDriver_StopEffect(driver, id, Handle());
                break;
            }
            case 10: {
                const DWORD id = DeviceId();
                DWORD status = 0xCDCDCDCD;
                IDirectInputEffectDriver_GetEffectStatus(driver, id, Handle(), &status);
                break;
            }
            case 11:
                // Playback ticks: up to about eight periods of the model.
                simwin::AdvanceTime(in.Below(8 * model.playbackPeriodMs + 1));
                break;
            case 12:
                // A jump of the clock, possibly past its wrap-around, without
                // the ticks on the way.
                simwin::SetTime(GetTickCount() + in.InterestingDword());
                break;
            case 13: {
                const fuzz::PluggedController& c = controllers[in.Below(kMaxControllers)];
                if (in.Flag()) {
                    simwin::UnplugController(c.id);
                } else {
                    simwin::ReplugController(c.id);
                }
                break;
            }
            default: {
                const char* name = in.Flag() ? "Amplify" : "Rumble";
                if (in.Byte() < 32) {
                    fuzz::DeleteOemValue(model, name);
                } else {
                    const std::vector<BYTE> bytes = in.Bytes(in.Below(9));
                    const DWORD type = in.Flag() ? REG_DWORD : REG_BINARY;
                    fuzz::SetOemValue(model, name, type, bytes);
                }
                break;
            }
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    simwin::SetEventNamespace("rumbix-fuzz-driver-" + std::to_string(getpid()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const fuzz::ModelConstants& model = fuzz::Model(in.Flag());
    IClassFactory* factory = fuzz::FactoryOf(model.driverLibrary, model.effectDriverClassId);

    simwin::Reset();
    const size_t blocksBefore = simwin::LiveAllocations();
    // Mostly a complete installation; now and then one with registrations
    // missing, which the factory may refuse.
    fuzz::InstallEffectRegistrations(model, in.Byte() < 16 ? in.Word() : 0);
    std::vector<fuzz::PluggedController> controllers;
    for (unsigned i = 0; i < kMaxControllers; ++i) {
        const UINT joystickId = in.Below(20);
        controllers.push_back(fuzz::PlugController(model, i, joystickId, in.Byte()));
    }

    IDirectInputEffectDriver* driver = nullptr;
    if (IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver,
                                     reinterpret_cast<void**>(&driver)) != S_OK) {
        if (simwin::LiveAllocations() != blocksBefore) {
            Fail("a refused driver object left a heap block behind");
        }
        return 0;
    }
    Run run{in, model, driver, controllers, {}};
    for (unsigned n = 0; n < kMaxOperations && !in.empty(); ++n) {
        run.Step();
    }
    if (IDirectInputEffectDriver_Release(driver) != 0) {
        Fail("the driver object outlived its last release");
    }
    for (const fuzz::PluggedController& c : controllers) {
        if (simwin::OpenHandleCount(c.id) != 0) {
            Fail("a controller handle stayed open after the last release");
        }
    }
    if (!simwin::ActiveTimers().empty()) {
        Fail("the playback timer outlived the last driver object");
    }
    if (simwin::LiveAllocations() != blocksBefore) {
        Fail("a heap block outlived the last driver object");
    }
    return 0;
}
