// The property sheet module as a COM server in a real Windows runtime: which
// classes and interfaces it hands out, the sheet and page descriptions the
// control panel builds its window from, and when the module may be unloaded.
#include "loaded_sheet.h"

namespace windows_test {
namespace {

constexpr GUID kUnknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
void* const kGarbage = reinterpret_cast<void*>(0x1);
// The platform's stock icon, shown for the sheet and on every tab.
LPWSTR const kWindowsLogo = MAKEINTRESOURCEW(32517);

using SheetServer = SheetModule;

// The module a code address belongs to.
HMODULE ModuleOf(const void* address) {
    HMODULE owner = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCSTR>(address), &owner);
    return owner;
}

TEST_F(SheetServer, GetClassObjectAnswersOnlyItsClassAndTheFactoryInterface) {
    struct Case {
        const char* what;
        const GUID& clsid;
        const IID& iid;
        HRESULT expected;
    } cases[] = {
        {"own class, IClassFactory", kModelProfile.propertySheetClassId, IID_IClassFactory, S_OK},
        {"own class, IUnknown", kModelProfile.propertySheetClassId, IID_IUnknown, E_NOINTERFACE},
        {"own class, the sheet's interface", kModelProfile.propertySheetClassId,
         IID_IDIGameCntrlPropSheet, E_NOINTERFACE},
        {"effect driver class", kModelProfile.effectDriverClassId, IID_IClassFactory,
         CLASS_E_CLASSNOTAVAILABLE},
        {"unknown class", kUnknownClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        void* out = kGarbage;
        EXPECT_EQ(c.expected, module_->GetClassObject(c.clsid, c.iid, &out));
        if (c.expected == S_OK) {
            ASSERT_NE(nullptr, out);
            EXPECT_EQ(0u, IClassFactory_Release(static_cast<IClassFactory*>(out)))
                << "the caller must hold the only reference";
        } else {
            EXPECT_EQ(nullptr, out);
        }
    }

    // The factory itself answers IUnknown.
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    void* unknown = nullptr;
    EXPECT_EQ(S_OK, IClassFactory_QueryInterface(factory, IID_IUnknown, &unknown));
    EXPECT_EQ(static_cast<void*>(factory), unknown);
    EXPECT_EQ(1u, IClassFactory_Release(factory));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
}

TEST_F(SheetServer, SheetDescribesTheModelsFourPagesInTabOrder) {
    IDIGameCntrlPropSheet* sheet = CreateSheet();
    ASSERT_NE(nullptr, sheet);

    DIGCSHEETINFO* info = nullptr;
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_GetSheetInfo(sheet, &info));
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(32u, info->dwSize);
    EXPECT_EQ(4u, info->nNumPages);
    ASSERT_NE(nullptr, info->lpwszSheetCaption);
    EXPECT_EQ(ProductNameWide(), info->lpwszSheetCaption);
    EXPECT_TRUE(info->fSheetIconFlag);
    EXPECT_EQ(kWindowsLogo, info->lpwszSheetIcon);

    DIGCPAGEINFO* pages = nullptr;
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_GetPageInfo(sheet, &pages));
    ASSERT_NE(nullptr, pages);
    const WORD templates[] = {107, 109, 108, 112};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(testing::Message() << "page " << i);
        const DIGCPAGEINFO& page = pages[i];
        EXPECT_EQ(80u, page.dwSize);
        EXPECT_EQ(nullptr, page.lpwszPageTitle) << "the tab shows the template's caption";
        ASSERT_NE(nullptr, page.fpPageProc);
        EXPECT_EQ(module(), ModuleOf(reinterpret_cast<const void*>(page.fpPageProc)))
            << "the page procedure lies outside the loaded module";
        EXPECT_FALSE(page.fProcFlag);
        EXPECT_EQ(nullptr, page.fpPrePostProc);
        EXPECT_TRUE(page.fIconFlag);
        EXPECT_EQ(kWindowsLogo, page.lpwszPageIcon);
        EXPECT_EQ(MAKEINTRESOURCEW(templates[i]), page.lpwszTemplate);
        EXPECT_EQ(reinterpret_cast<LPARAM>(sheet), page.lParam);
        EXPECT_EQ(module(), page.hInstance);
    }
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
}

TEST_F(SheetServer, SheetKeepsTheJoystickIdAndAnswersItsInterfaces) {
    IDIGameCntrlPropSheet* sheet = CreateSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(0xFFFF, IDIGameCntrlPropSheet_GetID(sheet)) << "no id given yet";
    EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_SetID(sheet, 5));
    EXPECT_EQ(5, IDIGameCntrlPropSheet_GetID(sheet));

    struct Case {
        const char* what;
        const IID& iid;
        bool answered;
    } cases[] = {
        {"IUnknown", IID_IUnknown, true},
        {"the sheet's interface", IID_IDIGameCntrlPropSheet, true},
        {"IClassFactory", IID_IClassFactory, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        void* out = kGarbage;
        const HRESULT result = IDIGameCntrlPropSheet_QueryInterface(sheet, c.iid, &out);
        if (c.answered) {
            EXPECT_EQ(S_OK, result);
            EXPECT_EQ(static_cast<void*>(sheet), out);
            IDIGameCntrlPropSheet_Release(sheet);
        } else {
            EXPECT_EQ(E_NOINTERFACE, result);
            EXPECT_EQ(nullptr, out);
        }
    }
    // No device is opened before a page asks for one.
    LPDIRECTINPUTDEVICE2A device = reinterpret_cast<LPDIRECTINPUTDEVICE2A>(kGarbage);
    EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_GetInputDevice(sheet, &device));
    EXPECT_EQ(nullptr, device);
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
}

TEST_F(SheetServer, SecondSheetInOneProcessHasItsOwnDescriptions) {
    IDIGameCntrlPropSheet* first = CreateSheet();
    IDIGameCntrlPropSheet* second = CreateSheet();
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second) << "the window classes were already registered by the first";
    EXPECT_NE(first, second);
    IDIGameCntrlPropSheet_SetID(first, 1);
    IDIGameCntrlPropSheet_SetID(second, 2);

    DIGCPAGEINFO* firstPages = nullptr;
    IDIGameCntrlPropSheet_GetPageInfo(first, &firstPages);
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(first));

    DIGCSHEETINFO* info = nullptr;
    DIGCPAGEINFO* pages = nullptr;
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_GetSheetInfo(second, &info));
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_GetPageInfo(second, &pages));
    EXPECT_NE(firstPages, pages);
    EXPECT_EQ(ProductNameWide(), info->lpwszSheetCaption);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(reinterpret_cast<LPARAM>(second), pages[i].lParam);
    }
    EXPECT_EQ(2, IDIGameCntrlPropSheet_GetID(second));
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(second));
}

TEST_F(SheetServer, PreparedSheetRegistersTheIndicatorClassesOnce) {
    IDIGameCntrlPropSheet* sheet = CreateSheet();
    ASSERT_NE(nullptr, sheet);
    for (const char* name : {"LampControl", "AxesControl", "PovControl", "RumbleControl"}) {
        SCOPED_TRACE(name);
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        ASSERT_TRUE(GetClassInfoExA(module(), name, &windowClass));
        EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW), windowClass.style);
        EXPECT_EQ(0, windowClass.cbClsExtra);
        EXPECT_EQ(0, windowClass.cbWndExtra) << "the state lives in the user data";
        EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), windowClass.hbrBackground);
        EXPECT_EQ(module(), ModuleOf(reinterpret_cast<const void*>(windowClass.lpfnWndProc)));
    }
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
}

TEST_F(SheetServer, ModuleStaysLoadedWhileFactoriesSheetsOrServerLocksLive) {
    EXPECT_EQ(S_OK, module_->CanUnloadNow());
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "a factory lives";
    IDIGameCntrlPropSheet* sheet = CreateSheet(factory);
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the sheet lives";
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
    EXPECT_EQ(S_OK, module_->CanUnloadNow());

    // Server locks count one by one and outlive the factory they came from.
    factory = Factory();
    EXPECT_EQ(S_OK, IClassFactory_LockServer(factory, TRUE));
    EXPECT_EQ(S_OK, IClassFactory_LockServer(factory, TRUE));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "two server locks";
    factory = Factory();
    EXPECT_EQ(S_OK, IClassFactory_LockServer(factory, FALSE));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "one server lock";
    factory = Factory();
    EXPECT_EQ(S_OK, IClassFactory_LockServer(factory, FALSE));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_OK, module_->CanUnloadNow());
}

TEST_F(SheetServer, CreateInstanceRefusalsLeaveNoSheetBehind) {
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    IUnknown outer = {};
    void* out = kGarbage;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              IClassFactory_CreateInstance(factory, &outer, IID_IDIGameCntrlPropSheet, &out));
    EXPECT_EQ(nullptr, out);
    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE,
              IClassFactory_CreateInstance(factory, nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    // The fixture's closing check finds the refused sheet gone.
}

}  // namespace
}  // namespace windows_test
