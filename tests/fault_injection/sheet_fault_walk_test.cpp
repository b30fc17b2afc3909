// Every failure the machine can inject, in turn, through every entry point of
// the property sheet module as the control panel reaches it: the two
// exports, the class factory, the sheet's methods, and each page shown,
// ticked, left and closed. Whatever fails, the module must not crash or leak
// (memory, DirectInput objects, drawing objects, windows' timers, module
// locks), must answer what a clean call answers or a failure, and after a
// reported failure the same call made again answers as the clean one did.
#include <dinput.h>
#include <dinputd.h>
#include <gtest/gtest.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_directinput.h>
#include <simwin/control_drawing.h>
#include <simwin/control_property_sheet.h>
#include <simwin/control_system.h>
#include <simwin/control_windows.h>

#include <commctrl.h>

#include <memory>

#include "fault_injection/fault_walk.h"
#include "profiles/selected_model.h"
#include "property_sheet/calibration_registry.h"
#include "property_sheet/controller_sheet_interface.h"
#include "support/loaded_module.h"
#include "support/sheet_with_one_page.h"

namespace {

using fault_walk::FaultPoint;
using test_support::LoadedModule;

constexpr USHORT kJoystick = 3;
constexpr int kPageCount = 4;
constexpr GUID kInstance = {0x6A000001u, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
const char* const kInterface = "##?#HID#Ours#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// The device's key below the joystick OEM keys, where "Amplify" lives.
std::string OemKeyPath() {
    char path[200];
    std::snprintf(path, sizeof path,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\VID_%04X&PID_%04X",
                  kModelProfile.vendorId, kModelProfile.productId);
    return path;
}

DIJOYSTATE AllAt(LONG scaled) {
    DIJOYSTATE state = {};
    state.lX = state.lY = state.lZ = state.lRz = scaled << 8;
    for (DWORD& pov : state.rgdwPOV) {
        pov = 0xFFFFFFFF;
    }
    return state;
}

enum class Stage { Unloaded, Loaded, Factory, Sheet, Prepared };

struct SheetWorld {
    std::unique_ptr<LoadedModule> module;
    size_t baselineAllocations = 0;
    size_t baselineGdiObjects = 0;
    size_t baselineRegistryKeys = 0;
    IClassFactory* factory = nullptr;
    IDIGameCntrlPropSheet* sheet = nullptr;
    HWND frame = nullptr;

    explicit SheetWorld(Stage stage) {
        simwin::Reset();
        simwin::SetJoystick(kJoystick, kInstance);
        // Where the calibration and the strength are written.
        calibration_registry::AddInterface(kInterface, calibration_registry::GuidBytes(kInstance));
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, OemKeyPath().c_str(), &key));
        RegCloseKey(key);
        baselineRegistryKeys = simwin::OpenRegistryKeys();
        baselineAllocations = simwin::LiveAllocations();
        baselineGdiObjects = simwin::LiveGdiObjects();
        if (stage >= Stage::Loaded) {
            EXPECT_EQ(S_OK, Load());
        }
        if (stage >= Stage::Factory) {
            EXPECT_EQ(S_OK, GetFactory());
        }
        if (stage >= Stage::Sheet) {
            EXPECT_EQ(S_OK, CreateSheet());
            EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_SetID(sheet, kJoystick));
        }
        if (stage >= Stage::Prepared) {
            EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_PrepareSheet(sheet));
        }
    }

    ~SheetWorld() {
        simwin::ClearFaults();
        if (frame != nullptr) {
            simwin::ClosePropertySheet(frame, false);
        }
        if (sheet != nullptr) {
            EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
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
        EXPECT_EQ(0u, simwin::DirectInputReleaseErrors()) << "DirectInput object over-released";
        EXPECT_EQ(baselineGdiObjects, simwin::LiveGdiObjects()) << "drawing object leaked";
        EXPECT_TRUE(simwin::WindowTimers().empty()) << "a page's timer outlived the sheet";
        EXPECT_EQ(baselineRegistryKeys, simwin::OpenRegistryKeys()) << "registry key left open";
        simwin::Reset();
    }

    // The loader maps the module and runs its attach; E_FAIL when it refused.
    HRESULT Load() {
        module = std::make_unique<LoadedModule>(PADSCOPE_LIBRARY);
        return module->loaded() ? S_OK : E_FAIL;
    }
    HRESULT GetFactory() {
        void* out = nullptr;
        const HRESULT result =
            module->GetClassObject(kModelProfile.propertySheetClassId, IID_IClassFactory, &out);
        factory = static_cast<IClassFactory*>(out);
        return result;
    }
    HRESULT CreateSheet() {
        void* out = nullptr;
        const HRESULT result =
            IClassFactory_CreateInstance(factory, nullptr, IID_IDIGameCntrlPropSheet, &out);
        sheet = static_cast<IDIGameCntrlPropSheet*>(out);
        return result;
    }
    // Shows page `row` as the control panel does; E_FAIL when it could not.
    HRESULT OpenPage(int row) {
        DIGCPAGEINFO* pages = nullptr;
        const HRESULT result = IDIGameCntrlPropSheet_GetPageInfo(sheet, &pages);
        if (FAILED(result)) {
            return result;
        }
        frame = test_support::OpenSheetWithOnePage(pages[row]);
        return frame != nullptr ? S_OK : E_FAIL;
    }
    HWND Page() const { return simwin::PropertySheetPageWindow(frame, 0); }
    // One expiry of each of the page's timers; S_OK while the page still
    // runs as many timers as before.
    HRESULT TickPage() {
        size_t before = 0;
        for (const simwin::WindowTimerInfo& timer : simwin::WindowTimers()) {
            if (timer.window == Page()) {
                simwin::FireWindowTimer(Page(), timer.id);
                ++before;
            }
        }
        size_t after = 0;
        for (const simwin::WindowTimerInfo& timer : simwin::WindowTimers()) {
            after += timer.window == Page() ? 1 : 0;
        }
        return after == before ? S_OK : S_FALSE;
    }
};

struct EntryPoint {
    std::string name;
    Stage stage;
    std::function<void(SheetWorld&)> prepare;
    std::function<HRESULT(SheetWorld&)> call;
    bool retry = true;
};

bool Reported(HRESULT result) {
    return FAILED(result) || result == S_FALSE;
}

std::vector<EntryPoint> EntryPoints() {
    auto none = [](SheetWorld&) {};
    std::vector<EntryPoint> entries = {
        {"module loaded", Stage::Unloaded, none, [](SheetWorld& w) { return w.Load(); }},
        {"DllGetClassObject", Stage::Loaded, none, [](SheetWorld& w) { return w.GetFactory(); }},
        {"DllCanUnloadNow", Stage::Factory, none,
         [](SheetWorld& w) { return w.module->CanUnloadNow() == S_FALSE ? S_OK : E_FAIL; }},
        {"IClassFactory::CreateInstance", Stage::Factory, none,
         [](SheetWorld& w) { return w.CreateSheet(); }},
        {"SetID", Stage::Sheet, none,
         [](SheetWorld& w) { return IDIGameCntrlPropSheet_SetID(w.sheet, kJoystick); }},
        {"GetID", Stage::Sheet, none,
         [](SheetWorld& w) {
             return IDIGameCntrlPropSheet_GetID(w.sheet) == kJoystick ? S_OK : E_FAIL;
         }},
        {"GetSheetInfo", Stage::Sheet, none,
         [](SheetWorld& w) {
             DIGCSHEETINFO* info = nullptr;
             return IDIGameCntrlPropSheet_GetSheetInfo(w.sheet, &info);
         }},
        {"GetPageInfo", Stage::Sheet, none,
         [](SheetWorld& w) {
             DIGCPAGEINFO* info = nullptr;
             return IDIGameCntrlPropSheet_GetPageInfo(w.sheet, &info);
         }},
        {"PrepareSheet", Stage::Sheet, none,
         [](SheetWorld& w) { return IDIGameCntrlPropSheet_PrepareSheet(w.sheet); }},
        {"GetInputDevice", Stage::Prepared, none,
         [](SheetWorld& w) {
             LPDIRECTINPUTDEVICE2A device = nullptr;
             const HRESULT result = IDIGameCntrlPropSheet_GetInputDevice(w.sheet, &device);
             if (device != nullptr) {
                 IDirectInputDevice_Release(device);
             }
             return result;
         }},
        {"GetJoyConfigObject", Stage::Prepared, none,
         [](SheetWorld& w) {
             LPDIRECTINPUTJOYCONFIG config = nullptr;
             const HRESULT result = IDIGameCntrlPropSheet_GetJoyConfigObject(w.sheet, &config);
             if (config != nullptr) {
                 IDirectInputJoyConfig_Release(config);
             }
             return result;
         }},
        {"Release", Stage::Prepared, none,
         [](SheetWorld& w) {
             const ULONG left = IDIGameCntrlPropSheet_Release(w.sheet);
             w.sheet = nullptr;
             return left == 0 ? S_OK : E_FAIL;
         },
         false},
    };
    for (int row = 0; row < kPageCount; ++row) {
        const std::string page = "page " + std::to_string(row);
        auto open = [row](SheetWorld& w) { EXPECT_EQ(S_OK, w.OpenPage(row)); };
        // Shown, then the stick moved, the hat pressed right and a button
        // held, so that ticking and painting have every indicator to change.
        auto moved = [row](SheetWorld& w) {
            EXPECT_EQ(S_OK, w.OpenPage(row));
            DIJOYSTATE state = AllAt(200);
            state.rgdwPOV[0] = 9000;
            state.rgbButtons[0] = 0x80;
            simwin::SetJoystickState(kInstance, state);
        };
        auto movedAndTicked = [moved](SheetWorld& w) {
            moved(w);
            w.TickPage();
        };
        entries.push_back({page + " shown", Stage::Prepared, none,
                           [row](SheetWorld& w) { return w.OpenPage(row); }});
        entries.push_back(
            {page + " ticks", Stage::Prepared, moved, [](SheetWorld& w) { return w.TickPage(); }});
        entries.push_back({page + " painted", Stage::Prepared, movedAndTicked, [](SheetWorld& w) {
                               RedrawWindow(w.Page(), nullptr, nullptr,
                                            RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
                               return simwin::PaintNow() > 0 ? S_OK : S_FALSE;
                           }});
        entries.push_back(
            {page + " left and shown again", Stage::Prepared, open, [](SheetWorld& w) {
                 const bool left = simwin::SelectPropertySheetPage(w.frame, 1);
                 const bool back = simwin::SelectPropertySheetPage(w.frame, 0);
                 return left && back ? S_OK : E_FAIL;
             }});
        for (const bool apply : {true, false}) {
            entries.push_back({page + (apply ? " closed with OK" : " closed with Cancel"),
                               Stage::Prepared, open,
                               [apply](SheetWorld& w) {
                                   const bool closed = simwin::ClosePropertySheet(w.frame, apply);
                                   w.frame = closed ? nullptr : w.frame;
                                   return closed ? S_OK : E_FAIL;
                               },
                               false});
        }
    }
    // The user's actions that reach the registry, DirectInput and the driver:
    // calibrating, and running the motors and setting their strength.
    struct Action {
        const char* name;
        int row;
        std::vector<int> before;  // buttons clicked untraced first
        bool sweep;               // the stick swept over the page's ticks first
        int button;               // 0: the strength slider moved instead
    };
    constexpr int kCalibrationRow = 1, kVibrationRow = 2;
    constexpr int kDefault = 1021, kSet = 1022, kStop = 1042, kLeft = 1043, kRight = 1044,
                  kBoth = 1045, kSlider = 1027;
    const Action actions[] = {
        {"calibration Default clicked", kCalibrationRow, {}, false, kDefault},
        {"calibration Set clicked after a sweep", kCalibrationRow, {}, true, kSet},
        {"vibration Left clicked", kVibrationRow, {}, false, kLeft},
        {"vibration Right clicked", kVibrationRow, {}, false, kRight},
        {"vibration Both clicked", kVibrationRow, {}, false, kBoth},
        {"vibration Stop clicked", kVibrationRow, {kBoth}, false, kStop},
        {"vibration strength moved", kVibrationRow, {}, false, 0},
    };
    for (const Action& action : actions) {
        entries.push_back(
            {action.name, Stage::Prepared,
             [action](SheetWorld& w) {
                 EXPECT_EQ(S_OK, w.OpenPage(action.row));
                 for (int button : action.before) {
                     EXPECT_TRUE(simwin::ClickButton(GetDlgItem(w.Page(), button)));
                 }
                 if (action.sweep) {
                     for (LONG position : {40, 200, 120}) {
                         simwin::SetJoystickState(kInstance, AllAt(position));
                         w.TickPage();
                     }
                 }
             },
             [action, kSlider](SheetWorld& w) {
                 if (action.button != 0) {
                     return simwin::ClickButton(GetDlgItem(w.Page(), action.button)) ? S_OK
                                                                                     : E_FAIL;
                 }
                 HWND slider = GetDlgItem(w.Page(), kSlider);
                 SendMessageA(slider, TBM_SETPOS, TRUE, 300);
                 SendMessageA(w.Page(), WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
                 return S_OK;
             }});
    }
    return entries;
}

class SheetFaultWalk : public ::testing::TestWithParam<EntryPoint> {};

TEST_P(SheetFaultWalk, EveryInjectedFailureLeavesTheSheetSound) {
    const EntryPoint& entry = GetParam();
    HRESULT clean = E_FAIL;
    const auto points = fault_walk::WalkFaultPoints([&](const FaultPoint* fault) {
        SheetWorld world(entry.stage);
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
    std::printf("[fault walk] %s: %zu fault points\n", entry.name.c_str(), points.size());
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, SheetFaultWalk, ::testing::ValuesIn(EntryPoints()),
                         [](const ::testing::TestParamInfo<EntryPoint>& info) {
                             std::string name;
                             for (char c : info.param.name) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
