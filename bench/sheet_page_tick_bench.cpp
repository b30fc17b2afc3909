// What an open property sheet costs while its page is the active tab: one
// 10 ms tick of the Function Test, Calibration and Vibration Test pages on
// the simulated machine (poll, compare, update the controls) and the paints
// that the tick's invalidations cause, for a controller that rests and for
// one whose stick and buttons change on every tick.
//
// The page is shown the way the control panel shows it: the sheet prepared
// as the factory prepares it, the page's description turned into a
// property-sheet page with the module's real dialog templates. Its timer is
// fired directly, so nothing ticks on its own.
#include <benchmark/benchmark.h>
#include <prsht.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_directinput.h>
#include <simwin/control_drawing.h>
#include <simwin/control_property_sheet.h>
#include <simwin/control_windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "property_sheet/controller_sheet.h"
#include "property_sheet/module_state.h"
#include "property_sheet/resources/padscope_resources.h"
#include "support/sheet_with_one_page.h"

namespace {

constexpr UINT kJoystick = 2;
const GUID kInstance = {0x6C000001u, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
const HINSTANCE kModule = reinterpret_cast<HINSTANCE>(0x5B0000);
// Ticks over which the primitives of a tick are counted, outside the timing.
constexpr int kCountedTicks = 64;

// Page-table rows and the ids of their window timers.
struct PageUnderTest {
    int row;
    UINT_PTR timer;
};
constexpr PageUnderTest kFunctionTest = {0, 1};
constexpr PageUnderTest kCalibration = {1, 2};
constexpr PageUnderTest kVibrationTest = {2, 3};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "benchmark setup failed: %s\n", what);
    std::abort();
}

DIJOYSTATE Reading(LONG stickX, LONG stickY, LONG z, LONG rz, DWORD pov, int firstPressed) {
    DIJOYSTATE state = {};
    state.lX = stickX;
    state.lY = stickY;
    state.lZ = z;
    state.lRz = rz;
    state.lRx = state.lRy = 32767;
    for (DWORD& hat : state.rgdwPOV) {
        hat = 0xFFFFFFFF;
    }
    state.rgdwPOV[0] = pov;
    for (int button = firstPressed; button < 12; button += 2) {
        state.rgbButtons[button] = 0x80;
    }
    return state;
}

// A fresh machine with one joystick and a sheet whose page of `row` is the
// active tab, already past its first ticks and paints.
class ShownPage {
  public:
    explicit ShownPage(PageUnderTest page) : timer_(page.timer) {
        simwin::Reset();
        InitializeSheetLock();
        simwin::SetJoystick(kJoystick, kInstance);
        sheet_ = CreateControllerSheet();
        if (sheet_ == nullptr) {
            Fail("sheet");
        }
        IDIGameCntrlPropSheet_SetID(&sheet_->iface, kJoystick);
        SetModuleInstance(kModule);
        simwin::RegisterModuleResources(kModule, PadscopeResources());
        if (IDIGameCntrlPropSheet_PrepareSheet(&sheet_->iface) != S_OK) {
            Fail("PrepareSheet");
        }
        Show(page.row);
    }

    ~ShownPage() {
        simwin::ClosePropertySheet(frame_, false);
        IDIGameCntrlPropSheet_Release(&sheet_->iface);
        DeleteSheetLock();
        simwin::Reset();
    }

    ShownPage(const ShownPage&) = delete;
    ShownPage& operator=(const ShownPage&) = delete;

    // One tick of the page and the paints it causes.
    void Tick() {
        simwin::FireWindowTimer(page_, timer_);
        simwin::PaintNow();
    }

    // Drawing calls per tick (backgrounds included), averaged over
    // kCountedTicks ticks of `nextReading`.
    template <typename NextReading>
    double PrimitivesPerTick(NextReading nextReading) {
        std::map<HWND, size_t> paints;
        for (HWND window : simwin::AllWindows()) {
            paints[window] = simwin::PaintCount(window);
        }
        size_t primitives = 0;
        for (int i = 0; i < kCountedTicks; ++i) {
            nextReading();
            Tick();
            for (HWND window : simwin::AllWindows()) {
                const size_t count = simwin::PaintCount(window);
                simwin::PaintRecord paint;
                if (count != paints[window] && simwin::LastPaint(window, &paint)) {
                    primitives += paint.background.size() + paint.primitives.size();
                }
                paints[window] = count;
            }
        }
        return static_cast<double>(primitives) / kCountedTicks;
    }

  private:
    void Show(int row) {
        DIGCPAGEINFO* descriptions = nullptr;
        IDIGameCntrlPropSheet_GetPageInfo(&sheet_->iface, &descriptions);
        frame_ = test_support::OpenSheetWithOnePage(descriptions[row]);
        page_ = simwin::PropertySheetPageWindow(frame_, 0);
        if (page_ == nullptr) {
            Fail("page");
        }
        // The first ticks show the connection and the first reading.
        simwin::PaintNow();
        Tick();
        Tick();
    }

    UINT_PTR timer_;
    ControllerSheet* sheet_ = nullptr;
    HWND frame_ = nullptr;
    HWND page_ = nullptr;
};

void TickRestingController(benchmark::State& state, PageUnderTest pageUnderTest) {
    const DIJOYSTATE resting = Reading(32767, 32767, 32767, 32767, 0xFFFFFFFF, 12);
    simwin::Reset();
    simwin::SetJoystickState(kInstance, resting);
    ShownPage page(pageUnderTest);
    state.counters["primitives"] = page.PrimitivesPerTick([] {});
    for (auto _ : state) {
        page.Tick();
    }
}

void TickMovingController(benchmark::State& state, PageUnderTest pageUnderTest) {
    // Two readings that differ in every shown axis, the hat and every
    // shown button.
    const DIJOYSTATE readings[2] = {Reading(20000, 45000, 10000, 50000, 9000, 0),
                                    Reading(45000, 20000, 50000, 10000, 27000, 1)};
    simwin::Reset();
    simwin::SetJoystickState(kInstance, readings[0]);
    ShownPage page(pageUnderTest);
    size_t next = 1;
    auto move = [&] {
        simwin::SetJoystickState(kInstance, readings[next]);
        next ^= 1;
    };
    state.counters["primitives"] = page.PrimitivesPerTick(move);
    for (auto _ : state) {
        move();
        page.Tick();
    }
}

void BM_FunctionTestTickResting(benchmark::State& state) {
    TickRestingController(state, kFunctionTest);
}
void BM_FunctionTestTickMoving(benchmark::State& state) {
    TickMovingController(state, kFunctionTest);
}
void BM_CalibrationTickResting(benchmark::State& state) {
    TickRestingController(state, kCalibration);
}
void BM_CalibrationTickMoving(benchmark::State& state) {
    TickMovingController(state, kCalibration);
}
void BM_VibrationTestTickResting(benchmark::State& state) {
    TickRestingController(state, kVibrationTest);
}
void BM_VibrationTestTickMoving(benchmark::State& state) {
    TickMovingController(state, kVibrationTest);
}
BENCHMARK(BM_FunctionTestTickResting)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FunctionTestTickMoving)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalibrationTickResting)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalibrationTickMoving)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VibrationTestTickResting)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VibrationTestTickMoving)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
