// What one playback tick costs: a driver object on the simulated machine
// with every device entry bound, ticked directly on the benchmark's thread
// with the clock stepped by hand, so no timer ever fires on its own.
//
// The tick must stay a small fraction of the shortest playback period, and
// its cost per effect should stay close to the bare arithmetic of one
// enveloped sine (BM_BareEnvelopeSine), so that nothing besides the
// synthesis grows with the number of effects.
#include <benchmark/benchmark.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "effect_driver/effect_driver.h"
#include "effect_driver/motor_reports.h"
#include "effect_driver/playback_lock.h"
#include "effect_driver/playback_tick.h"
#include "profiles/selected_model.h"
#include "support/effect_registrations_fixture.h"

namespace {

constexpr DWORD kEffectsPerTick = kDeviceCount * kEffectSlotCount;
// Reports pile up in the simulated controllers; they are dropped (outside
// the timing) this often so that memory stays flat.
constexpr int64_t kClearReportsEvery = 256;
// The clock runs from here and wraps back before the effects' elapsed
// microseconds could wrap (about 71 minutes).
constexpr DWORD kStartTime = 1000;
constexpr DWORD kClockSpan = 1u << 20;

// The effect types the store knows as periodic waveforms.
constexpr DWORD kSine = 3;
constexpr DWORD kPeriodicTypes[] = {/*square*/ 2, kSine, /*triangle*/ 4, /*sawtooth up*/ 5,
                                    /*sawtooth down*/ 6};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "benchmark setup failed: %s\n", what);
    std::abort();
}

// A fresh simulated machine with a driver object whose 16 device entries are
// bound to controllers of this build's model. The clock is stepped, so the
// playback timer the bindings start never fires by itself.
class BoundDriver {
  public:
    BoundDriver() {
        simwin::Reset();
        simwin::SetEventNamespace("rumbix-bench-" + std::to_string(getpid()));
        if (!CreatePlaybackLock()) {
            Fail("playback lock");
        }
        ResetMotorsRunning();
        test_support::InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
        driver_ = CreateEffectDriver();
        if (driver_ == nullptr || InitializeDriver(driver_) != S_OK) {
            Fail("driver object");
        }
        simwin::SetTime(kStartTime);
        for (UINT joystick = 0; joystick < kDeviceCount; ++joystick) {
            controllers_.push_back(Plug(joystick));
            if (IDirectInputEffectDriver_DeviceID(iface(), 0x0700, joystick, 1, 0, nullptr) !=
                S_OK) {
                Fail("binding");
            }
        }
    }

    ~BoundDriver() {
        IDirectInputEffectDriver_Release(iface());
        ClosePlaybackLock();
    }

    BoundDriver(const BoundDriver&) = delete;
    BoundDriver& operator=(const BoundDriver&) = delete;

    EffectDriver* driver() { return driver_; }
    IDirectInputEffectDriver* iface() { return &driver_->iface; }

    // Fills every slot of every device with a playing two-axis periodic
    // effect that never ends, with an attack and a fade: a mix of every
    // waveform, or sines only (what BM_BareEnvelopeSine computes bare).
    void DownloadFullLoad(bool sinesOnly) {
        for (DWORD device = 0; device < kDeviceCount; ++device) {
            for (DWORD n = 0; n < kEffectSlotCount; ++n) {
                const DWORD type =
                    sinesOnly ? kSine : kPeriodicTypes[(device + n) % std::size(kPeriodicTypes)];
                DownloadPeriodic(device, n, type);
            }
        }
    }

    void ClearReports() {
        for (simwin::ControllerId controller : controllers_) {
            simwin::ClearWrittenReports(controller);
        }
    }

  private:
    simwin::ControllerId Plug(UINT joystick) {
        GUID instance = {0x6B000000u + joystick, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
        char path[160];
        std::snprintf(path, sizeof path,
                      "\\\\?\\hid#vid_%04x&pid_%04x#7&%u&0&0000#{4d1e55b2-f16f-11cf-88cb-"
                      "001111000030}",
                      kModelProfile.vendorId, kModelProfile.productId, joystick);
        simwin::HidControllerSpec spec;
        spec.vendorId = kModelProfile.vendorId;
        spec.productId = kModelProfile.productId;
        spec.interfacePath = path;
        spec.directInputInstance = instance;
        simwin::ControllerId id = simwin::AddHidController(spec);
        simwin::SetJoystick(joystick, instance);
        return id;
    }

    void DownloadPeriodic(DWORD device, DWORD n, DWORD type) {
        DWORD axes[2] = {(0u << 8) | 2u, (1u << 8) | 2u};
        LONG directions[2] = {static_cast<LONG>(1000 + 700 * (n % 5)),
                              static_cast<LONG>(3000 - 400 * (n % 7))};
        DIENVELOPE envelope = {sizeof(DIENVELOPE), 2000, 400000 + 10000 * n, 500, 300000};
        DIPERIODIC periodic = {};
        periodic.dwMagnitude = 4000 + 150 * n;
        periodic.lOffset = static_cast<LONG>(n % 3) * 200;
        periodic.dwPhase = 1125 * n;
        periodic.dwPeriod = 40000 + 5000 * (n % 16);
        DIEFFECT effect = {};
        effect.dwSize = sizeof effect;
        effect.dwFlags = DIEFF_CARTESIAN;
        effect.dwDuration = INFINITE;
        effect.dwGain = 10000 - 100 * n;
        effect.cAxes = 2;
        effect.rgdwAxes = axes;
        effect.rglDirection = directions;
        effect.lpEnvelope = &envelope;
        effect.cbTypeSpecificParams = sizeof periodic;
        effect.lpvTypeSpecificParams = &periodic;
        DWORD handle = 0;
        if (IDirectInputEffectDriver_DownloadEffect(iface(), device, type, &handle, &effect,
                                                    DIEP_START) != S_OK) {
            Fail("download");
        }
    }

    EffectDriver* driver_ = nullptr;
    std::vector<simwin::ControllerId> controllers_;
};

// Ticks the driver, moving the clock 1..3 ms between ticks so that the
// effects' elapsed times and waveform positions keep changing.
void RunTicks(benchmark::State& state, BoundDriver& world) {
    DWORD step = 0;
    int64_t sinceClear = 0;
    for (auto _ : state) {
        step += 1 + static_cast<DWORD>(sinceClear % 3);
        simwin::SetTime(kStartTime + step % kClockSpan);
        PlaybackTick(world.driver());
        if (++sinceClear == kClearReportsEvery) {
            state.PauseTiming();
            world.ClearReports();
            sinceClear = 0;
            state.ResumeTiming();
        }
    }
}

void TickFullLoad(benchmark::State& state, bool sinesOnly) {
    BoundDriver world;
    world.DownloadFullLoad(sinesOnly);
    RunTicks(state, world);
    state.counters["effects"] = kEffectsPerTick;
    // Seconds per effect: the tick time shared out over the effects it plays.
    state.counters["per_effect"] =
        benchmark::Counter(kEffectsPerTick, benchmark::Counter::kIsIterationInvariantRate |
                                                benchmark::Counter::kInvert);
}

void BM_TickFullLoad(benchmark::State& state) {
    TickFullLoad(state, false);
}
BENCHMARK(BM_TickFullLoad)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_TickFullLoadSines(benchmark::State& state) {
    TickFullLoad(state, true);
}
BENCHMARK(BM_TickFullLoadSines)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_TickIdle(benchmark::State& state) {
    BoundDriver world;
    RunTicks(state, world);
}
BENCHMARK(BM_TickIdle)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The parameters one enveloped sine is evaluated from, as the store keeps
// them.
struct SineInputs {
    double amplify, deviceGain, effectGain;
    double magnitude, offset, phase, period;
    double attackLevel, attackTime;
};

// The arithmetic the synthesis does for one sine with an envelope, and
// nothing else: strength factor, waveform, attack, offset.
double BareEnvelopeSine(const SineInputs& in, double t) {
    const double s =
        in.amplify / 1000.0 * 127.0 * in.deviceGain / 10000.0 * in.effectGain / 10000.0;
    const double angle = 6.28318 * t / in.period + in.phase / 18000.0 * 3.14159;
    const double v = std::fabs(in.magnitude / 10000.0 * std::sin(angle));
    double shaped = v;
    if (in.attackTime > 0 && t <= in.attackTime) {
        shaped = in.attackLevel - (in.attackLevel - v) * t / in.attackTime;
    }
    return std::fabs(in.offset / 10000.0 * 127.0 + s * shaped);
}

void BM_BareEnvelopeSine(benchmark::State& state) {
    std::vector<SineInputs> inputs(kEffectsPerTick);
    for (DWORD i = 0; i < kEffectsPerTick; ++i) {
        const DWORD n = i % kEffectSlotCount;
        inputs[i] = {1000.0,
                     10000.0,
                     10000.0 - 100.0 * n,
                     4000.0 + 150.0 * n,
                     (n % 3) * 200.0,
                     1125.0 * n,
                     40000.0 + 5000.0 * (n % 16),
                     2000.0,
                     400000.0 + 10000.0 * n};
    }
    double t = 0;
    for (auto _ : state) {
        t += 2000.0;
        if (t > 1e9) {
            t = 0;
        }
        for (const SineInputs& in : inputs) {
            double x = BareEnvelopeSine(in, t);
            benchmark::DoNotOptimize(x);
        }
    }
    state.counters["per_evaluation"] =
        benchmark::Counter(kEffectsPerTick, benchmark::Counter::kIsIterationInvariantRate |
                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_BareEnvelopeSine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
