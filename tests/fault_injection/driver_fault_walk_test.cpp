// Every failure the machine can inject, in turn, through every entry point of
// the effect driver module as DirectInput reaches it: the two exports, the
// class factory, each IDirectInputEffectDriver method and the playback tick.
// Whatever fails, the module must not crash or leak (memory, DirectInput
// objects, device handles, timers, module locks), must answer what a clean
// call answers or a failure, and after a reported failure must be unchanged:
// the same call made again without the fault answers as the clean one did.
#include <dinput.h>
#include <dinputd.h>
#include <gtest/gtest.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_directinput.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "fault_injection/fault_walk.h"
#include "profiles/selected_model.h"
#include "support/effect_records.h"
#include "support/effect_registrations_fixture.h"
#include "support/loaded_module.h"

namespace {

using fault_walk::FaultPoint;
using test_support::EffectRecord;
using test_support::LoadedModule;

constexpr DWORD kJoystick = 0;
// A second controller (model T's adapter presents two) that some entry
// points bind and play alongside the first.
constexpr DWORD kSecondJoystick = 1;

// How far the world is set up before the entry point runs.
enum class Stage { Unloaded, Loaded, Factory, Driver, Bound, Downloaded, Playing };

// A loaded driver module, controllers of the model at joysticks 0 and 1, and
// as many of the objects DirectInput would hold for joystick 0 as the stage
// asks for.
struct DriverWorld {
    std::unique_ptr<LoadedModule> module;
    simwin::ControllerId controller = 0;
    simwin::ControllerId second = 0;
    DWORD secondEffect = 0;
    size_t baselineAllocations = 0;
    IClassFactory* factory = nullptr;
    IDirectInputEffectDriver* driver = nullptr;
    DWORD effect = 0;
    EffectRecord record;

    explicit DriverWorld(Stage stage) {
        simwin::Reset();
        simwin::SetEventNamespace("rumbix-fault-walk-" + std::to_string(getpid()));
        test_support::InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
        controller = PlugController(kJoystick);
        second = PlugController(kSecondJoystick);
        test_support::MakeConstantForce(record, 8000, {10000});
        baselineAllocations = simwin::LiveAllocations();
        if (stage >= Stage::Loaded) {
            EXPECT_EQ(S_OK, Load());
        }
        if (stage >= Stage::Factory) {
            EXPECT_EQ(S_OK, GetFactory());
        }
        if (stage >= Stage::Driver) {
            EXPECT_EQ(S_OK, CreateDriver());
        }
        if (stage >= Stage::Bound) {
            EXPECT_EQ(S_OK, Bind());
        }
        if (stage >= Stage::Downloaded) {
            EXPECT_EQ(S_OK, Download(DIEP_ALLPARAMS));
        }
        if (stage >= Stage::Playing) {
            EXPECT_EQ(S_OK, IDirectInputEffectDriver_StartEffect(driver, kJoystick, effect, 0, 1));
            simwin::AdvanceTime(kModelProfile.playbackPeriodMs);
        }
    }

    // Everything DirectInput holds released: nothing may be left behind.
    ~DriverWorld() {
        simwin::ClearFaults();
        if (driver != nullptr) {
            EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
        }
        if (factory != nullptr) {
            EXPECT_EQ(0u, IClassFactory_Release(factory));
        }
        if (module != nullptr && module->loaded()) {
            EXPECT_EQ(S_OK, module->CanUnloadNow()) << "an object or lock outlived its release";
        }
        module.reset();
        EXPECT_EQ(baselineAllocations, simwin::LiveAllocations()) << "memory leaked";
        EXPECT_EQ(0u, simwin::LiveDirectInputObjects()) << "DirectInput object leaked";
        EXPECT_EQ(0u, simwin::OpenHandleCount(controller)) << "device handle leaked";
        EXPECT_EQ(0u, simwin::OpenHandleCount(second)) << "device handle leaked";
        EXPECT_TRUE(simwin::ActiveTimers().empty()) << "playback timer left running";
    }

    static simwin::ControllerId PlugController(DWORD joystick) {
        const GUID instance = {0x6A0000F0u + joystick, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
        char path[160];
        std::snprintf(path, sizeof path,
                      "\\\\?\\hid#vid_%04x&pid_%04x#7&f%lu&0&0000#{4d1e55b2-f16f-11cf-88cb-"
                      "001111000030}",
                      kModelProfile.vendorId, kModelProfile.productId,
                      static_cast<unsigned long>(joystick));
        simwin::HidControllerSpec spec;
        spec.vendorId = kModelProfile.vendorId;
        spec.productId = kModelProfile.productId;
        spec.interfacePath = path;
        spec.directInputInstance = instance;
        const simwin::ControllerId id = simwin::AddHidController(spec);
        simwin::SetJoystick(joystick, instance);
        return id;
    }
    HRESULT BindSecond() {
        return IDirectInputEffectDriver_DeviceID(driver, 0x0700, kSecondJoystick, 1, 0, nullptr);
    }
    // The second controller bound and playing its own effect.
    void PlaySecond() {
        EXPECT_EQ(S_OK, BindSecond());
        EXPECT_EQ(S_OK, IDirectInputEffectDriver_DownloadEffect(
                            driver, kSecondJoystick, test_support::kConstantForce, &secondEffect,
                            record.get(), DIEP_ALLPARAMS | DIEP_START));
    }

    // The loader maps the module and runs its attach; E_FAIL when it refused.
    HRESULT Load() {
        module = std::make_unique<LoadedModule>(RUMBIX_LIBRARY);
        return module->loaded() ? S_OK : E_FAIL;
    }
    HRESULT GetFactory() {
        void* out = nullptr;
        const HRESULT result =
            module->GetClassObject(kModelProfile.effectDriverClassId, IID_IClassFactory, &out);
        factory = static_cast<IClassFactory*>(out);
        return result;
    }
    HRESULT CreateDriver() {
        void* out = nullptr;
        const HRESULT result =
            IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver, &out);
        driver = static_cast<IDirectInputEffectDriver*>(out);
        return result;
    }
    HRESULT Bind() {
        return IDirectInputEffectDriver_DeviceID(driver, 0x0700, kJoystick, 1, 0, nullptr);
    }
    HRESULT Download(DWORD flags) {
        return IDirectInputEffectDriver_DownloadEffect(
            driver, kJoystick, test_support::kConstantForce, &effect, record.get(), flags);
    }
    // One playback tick: S_OK when it wrote to the controller, S_FALSE when
    // it wrote nothing.
    HRESULT Tick() {
        simwin::ClearWrittenReports(controller);
        simwin::AdvanceTime(kModelProfile.playbackPeriodMs);
        return simwin::WrittenReports(controller).empty() ? S_FALSE : S_OK;
    }
};

struct EntryPoint {
    const char* name;
    Stage stage;
    // Untraced preparation on top of the stage (may be empty).
    std::function<void(DriverWorld&)> prepare;
    std::function<HRESULT(DriverWorld&)> call;
    // Whether a retry after a reported failure makes sense (not for calls
    // that end the object).
    bool retry = true;
};

// A failure as the entry point reports it: a failing HRESULT; for DeviceID
// also the bare ERROR_DEVICE_NOT_CONNECTED DirectInput knows from it when
// the controller cannot be opened; for the tick nothing written.
bool Reported(HRESULT result) {
    return FAILED(result) || result == S_FALSE ||
           result == static_cast<HRESULT>(ERROR_DEVICE_NOT_CONNECTED);
}

std::vector<EntryPoint> EntryPoints() {
    auto none = [](DriverWorld&) {};
    auto command = [](DWORD which) {
        return [which](DriverWorld& w) {
            return IDirectInputEffectDriver_SendForceFeedbackCommand(w.driver, kJoystick, which);
        };
    };
    return {
        {"module loaded", Stage::Unloaded, none, [](DriverWorld& w) { return w.Load(); }},
        {"DllGetClassObject", Stage::Loaded, none, [](DriverWorld& w) { return w.GetFactory(); }},
        {"DllCanUnloadNow", Stage::Factory, none,
         [](DriverWorld& w) { return w.module->CanUnloadNow() == S_FALSE ? S_OK : E_FAIL; }},
        {"IClassFactory::CreateInstance", Stage::Factory, none,
         [](DriverWorld& w) { return w.CreateDriver(); }},
        {"IClassFactory::LockServer", Stage::Factory, none,
         [](DriverWorld& w) {
             const HRESULT locked = IClassFactory_LockServer(w.factory, TRUE);
             return FAILED(locked) ? locked : IClassFactory_LockServer(w.factory, FALSE);
         }},
        {"DeviceID", Stage::Driver, none, [](DriverWorld& w) { return w.Bind(); }},
        {"GetVersions", Stage::Bound, none,
         [](DriverWorld& w) {
             DIDRIVERVERSIONS versions{};
             versions.dwSize = sizeof versions;
             return IDirectInputEffectDriver_GetVersions(w.driver, &versions);
         }},
        {"Escape", Stage::Bound, none,
         [](DriverWorld& w) {
             DIEFFESCAPE escape{};
             escape.dwSize = sizeof escape;
             return IDirectInputEffectDriver_Escape(w.driver, kJoystick, 0, &escape);
         }},
        {"SetGain", Stage::Playing, none,
         [](DriverWorld& w) {
             return IDirectInputEffectDriver_SetGain(w.driver, kJoystick, 5000);
         }},
        {"SendForceFeedbackCommand(RESET)", Stage::Playing, none, command(DISFFC_RESET)},
        {"SendForceFeedbackCommand(STOPALL)", Stage::Playing, none, command(DISFFC_STOPALL)},
        {"SendForceFeedbackCommand(PAUSE)", Stage::Playing, none, command(DISFFC_PAUSE)},
        {"SendForceFeedbackCommand(CONTINUE)", Stage::Playing,
         [command](DriverWorld& w) { command(DISFFC_PAUSE)(w); }, command(DISFFC_CONTINUE)},
        {"SendForceFeedbackCommand(SETACTUATORSOFF)", Stage::Playing, none,
         command(DISFFC_SETACTUATORSOFF)},
        {"SendForceFeedbackCommand(SETACTUATORSON)", Stage::Playing,
         [command](DriverWorld& w) { command(DISFFC_SETACTUATORSOFF)(w); },
         command(DISFFC_SETACTUATORSON)},
        {"GetForceFeedbackState", Stage::Playing, none,
         [](DriverWorld& w) {
             DIDEVICESTATE state{};
             state.dwSize = sizeof state;
             return IDirectInputEffectDriver_GetForceFeedbackState(w.driver, kJoystick, &state);
         }},
        {"DownloadEffect(new)", Stage::Bound, none,
         [](DriverWorld& w) { return w.Download(DIEP_ALLPARAMS); }},
        {"DownloadEffect(new periodic with envelope, start)", Stage::Bound, none,
         [](DriverWorld& w) {
             EffectRecord periodic;
             test_support::MakePeriodic(periodic, 9000, 200000, {10000}, 2000000);
             periodic.envelope.dwSize = sizeof periodic.envelope;
             periodic.envelope.dwAttackTime = 100000;
             periodic.envelope.dwFadeLevel = 2000;
             periodic.effect.lpEnvelope = &periodic.envelope;
             return IDirectInputEffectDriver_DownloadEffect(
                 w.driver, kJoystick, test_support::kSineWave, &w.effect, periodic.get(),
                 DIEP_ALLPARAMS | DIEP_START);
         }},
        {"DownloadEffect(new, start)", Stage::Bound, none,
         [](DriverWorld& w) { return w.Download(DIEP_ALLPARAMS | DIEP_START); }},
        {"DownloadEffect(update playing)", Stage::Playing, none,
         [](DriverWorld& w) {
             w.record.constant.lMagnitude = -3000;
             return w.Download(DIEP_TYPESPECIFICPARAMS);
         }},
        {"DestroyEffect", Stage::Playing, none,
         [](DriverWorld& w) {
             return IDirectInputEffectDriver_DestroyEffect(w.driver, kJoystick, w.effect);
         }},
        {"StartEffect", Stage::Downloaded, none,
         [](DriverWorld& w) {
             return IDirectInputEffectDriver_StartEffect(w.driver, kJoystick, w.effect, 0, 1);
         }},
        {"StopEffect", Stage::Playing, none,
         [](DriverWorld& w) {
             return IDirectInputEffectDriver_StopEffect(w.driver, kJoystick, w.effect);
         }},
        {"GetEffectStatus", Stage::Playing, none,
         [](DriverWorld& w) {
             DWORD status = 0;
             return IDirectInputEffectDriver_GetEffectStatus(w.driver, kJoystick, w.effect,
                                                             &status);
         }},
        {"playback tick", Stage::Playing, none, [](DriverWorld& w) { return w.Tick(); }},
        {"DeviceID of a second controller while the first plays", Stage::Playing, none,
         [](DriverWorld& w) { return w.BindSecond(); }},
        {"playback tick with two controllers playing", Stage::Playing,
         [](DriverWorld& w) { w.PlaySecond(); },
         [](DriverWorld& w) {
             simwin::ClearWrittenReports(w.second);
             const HRESULT first = w.Tick();
             const bool secondWritten = !simwin::WrittenReports(w.second).empty();
             return first == S_OK && secondWritten ? S_OK : S_FALSE;
         }},
        {"Release with two controllers playing", Stage::Playing,
         [](DriverWorld& w) { w.PlaySecond(); },
         [](DriverWorld& w) {
             const ULONG left = IDirectInputEffectDriver_Release(w.driver);
             w.driver = nullptr;
             return left == 0 ? S_OK : E_FAIL;
         },
         false},
        {"playback tick reconnecting after replug", Stage::Playing,
         [](DriverWorld& w) {
             simwin::UnplugController(w.controller);
             w.Tick();
             simwin::ReplugController(w.controller);
         },
         [](DriverWorld& w) { return w.Tick(); }},
        {"Release", Stage::Playing, none,
         [](DriverWorld& w) {
             const ULONG left = IDirectInputEffectDriver_Release(w.driver);
             w.driver = nullptr;
             return left == 0 ? S_OK : E_FAIL;
         },
         false},
    };
}

class DriverFaultWalk : public ::testing::TestWithParam<EntryPoint> {};

TEST_P(DriverFaultWalk, EveryInjectedFailureLeavesTheDriverSound) {
    const EntryPoint& entry = GetParam();
    HRESULT clean = E_FAIL;
    const auto points = fault_walk::WalkFaultPoints([&](const FaultPoint* fault) {
        DriverWorld world(entry.stage);
        entry.prepare(world);
        fault_walk::ArmForRun(fault);
        const HRESULT result = entry.call(world);
        auto calls = simwin::FaultPointCalls();
        simwin::ClearFaults();
        if (fault == nullptr) {
            clean = result;
            EXPECT_FALSE(Reported(clean)) << "the clean call itself failed: " << std::hex << clean;
        } else if (result != clean) {
            EXPECT_TRUE(Reported(result))
                << "answered neither the clean result nor a failure: " << std::hex << result;
            if (entry.retry) {
                EXPECT_EQ(clean, entry.call(world)) << "the failed call changed something";
            }
        }
        return calls;
    });
    std::printf("[fault walk] %s: %zu fault points\n", entry.name, points.size());
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, DriverFaultWalk, ::testing::ValuesIn(EntryPoints()),
                         [](const ::testing::TestParamInfo<EntryPoint>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c != '\0'; ++c) {
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             }
                             return name;
                         });

}  // namespace
