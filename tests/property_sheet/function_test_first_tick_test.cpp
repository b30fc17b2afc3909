// The Function Test page's first tick after the module is loaded, when the
// page's previous reading is still all zero: the module is loaded afresh
// for each case and shown as the control panel shows it.
#include <gtest/gtest.h>
#include <prsht.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_directinput.h>
#include <simwin/control_drawing.h>
#include <simwin/control_property_sheet.h>
#include <simwin/control_windows.h>

#include <vector>

#include "profiles/selected_model.h"
#include "property_sheet/controller_sheet_interface.h"
#include "support/loaded_module.h"

namespace {

constexpr UINT kJoystick = 2;
constexpr GUID kInstance = {0x6A000002u, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 9}};

struct Case {
    const char* what;
    DWORD hat;
    std::vector<int> redrawn;  // of the lamps and indicators 1000..1014
    DWORD hatIndicator;
};

TEST(FunctionTestFirstTick, ComparesWithTheAllZeroReadingOfALoadedModule) {
    const Case cases[] = {
        // Nothing pressed: the lamps already show released, so none is
        // touched. The axes differ from zero, and so does a hat pushed right.
        {"hat pushed right", 9000, {1012, 1013, 1014}, 0x00642328},
        {"hat held up", 0, {1012, 1013}, 0x0064FFFF},
    };
    for (const Case& c : cases) {
        simwin::Reset();
        simwin::SetJoystick(kJoystick, kInstance);
        DIJOYSTATE reading = {};
        reading.lX = reading.lY = reading.lZ = reading.lRz = 32767;
        reading.rgdwPOV[0] = c.hat;
        simwin::SetJoystickState(kInstance, reading);
        {
            test_support::LoadedModule module(PADSCOPE_LIBRARY);
            ASSERT_TRUE(module.loaded());
            IClassFactory* factory = nullptr;
            ASSERT_EQ(S_OK,
                      module.GetClassObject(kModelProfile.propertySheetClassId, IID_IClassFactory,
                                            reinterpret_cast<void**>(&factory)));
            IDIGameCntrlPropSheet* sheet = nullptr;
            ASSERT_EQ(S_OK,
                      IClassFactory_CreateInstance(factory, nullptr, IID_IDIGameCntrlPropSheet,
                                                   reinterpret_cast<void**>(&sheet)));
            IClassFactory_Release(factory);
            IDIGameCntrlPropSheet_SetID(sheet, kJoystick);
            DIGCPAGEINFO* pages = nullptr;
            IDIGameCntrlPropSheet_GetPageInfo(sheet, &pages);
            PROPSHEETPAGEA page = {};
            page.dwSize = sizeof page;
            page.hInstance = pages[0].hInstance;
            page.pszTemplate = reinterpret_cast<LPCSTR>(pages[0].lpwszTemplate);
            page.pfnDlgProc = pages[0].fpPageProc;
            page.lParam = pages[0].lParam;
            HWND frame = simwin::OpenPropertySheet(&page, 1);
            ASSERT_NE(nullptr, frame);
            HWND window = simwin::PropertySheetPageWindow(frame, 0);
            simwin::ClearInvalidAreas();

            ASSERT_TRUE(simwin::FireWindowTimer(window, 1));
            std::vector<int> redrawn;
            for (int id = 1000; id <= 1014; ++id) {
                if (!simwin::InvalidAreas(GetDlgItem(window, id)).empty()) {
                    redrawn.push_back(id);
                }
            }
            EXPECT_EQ(c.redrawn, redrawn) << c.what;
            EXPECT_EQ(c.hatIndicator,
                      static_cast<DWORD>(GetWindowLongA(GetDlgItem(window, 1014), GWL_USERDATA)))
                << c.what;
            EXPECT_EQ(RGB(150, 0, 0),
                      static_cast<DWORD>(GetWindowLongA(GetDlgItem(window, 1000), GWL_USERDATA)));

            simwin::ClosePropertySheet(frame, false);
            EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
            EXPECT_EQ(S_OK, module.CanUnloadNow());
        }
        EXPECT_EQ(0u, simwin::LiveDirectInputObjects()) << c.what;
        EXPECT_EQ(0u, simwin::LiveGdiObjects()) << c.what;
    }
    simwin::Reset();
}

}  // namespace
