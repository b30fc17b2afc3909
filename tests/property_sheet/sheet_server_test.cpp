// The sheet module as the control panel meets it: loaded by the loader and
// reached only through DllGetClassObject, DllCanUnloadNow and the sheet
// interface.
#include <gtest/gtest.h>
#include <simwin/control.h>
#include <simwin/control_devices.h>
#include <simwin/control_directinput.h>
#include <simwin/control_windows.h>

#include <memory>
#include <string>

#include "profiles/selected_model.h"
#include "property_sheet/controller_sheet_interface.h"
#include "support/loaded_module.h"

namespace {

using test_support::LoadedModule;

constexpr GUID kUnknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
void* const kGarbage = reinterpret_cast<void*>(0x1);

LPWSTR IntegerResource(WORD id) {
    return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(id));
}

std::u16string Utf16(const char* text) {
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

class SheetServer : public ::testing::Test {
  protected:
    void SetUp() override {
        simwin::Reset();
        module_ = std::make_unique<LoadedModule>(PADSCOPE_LIBRARY);
        ASSERT_TRUE(module_->loaded());
        baselineAllocations_ = simwin::LiveAllocations();
    }
    void TearDown() override {
        EXPECT_EQ(S_OK, module_->CanUnloadNow()) << "an object or lock outlived the test";
        EXPECT_EQ(baselineAllocations_, simwin::LiveAllocations()) << "memory leaked";
        EXPECT_EQ(0u, simwin::LiveDirectInputObjects());
        module_.reset();
        simwin::Reset();
    }

    IClassFactory* Factory() {
        void* out = nullptr;
        EXPECT_EQ(S_OK, module_->GetClassObject(kModelProfile.propertySheetClassId,
                                                IID_IClassFactory, &out));
        return static_cast<IClassFactory*>(out);
    }
    IDIGameCntrlPropSheet* CreateSheet(IClassFactory* factory) {
        void* out = nullptr;
        EXPECT_EQ(S_OK,
                  IClassFactory_CreateInstance(factory, nullptr, IID_IDIGameCntrlPropSheet, &out));
        return static_cast<IDIGameCntrlPropSheet*>(out);
    }
    // Whether a window of one of the sheet's classes can be made now.
    static bool ClassRegistered(const char* name) {
        HWND window =
            CreateWindowExA(0, name, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        if (window == nullptr) {
            return false;
        }
        DestroyWindow(window);
        return true;
    }

    std::unique_ptr<LoadedModule> module_;
    size_t baselineAllocations_ = 0;
};

TEST_F(SheetServer, GetClassObjectAnswersOnlyItsClassAndTheFactoryInterface) {
    void* out = kGarbage;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              module_->GetClassObject(kUnknownClass, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    out = kGarbage;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              module_->GetClassObject(kModelProfile.effectDriverClassId, IID_IClassFactory, &out))
        << "the driver's class is another module's";
    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE,
              module_->GetClassObject(kModelProfile.propertySheetClassId, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);

    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    out = nullptr;
    EXPECT_EQ(S_OK, IClassFactory_QueryInterface(factory, IID_IUnknown, &out));
    EXPECT_EQ(static_cast<void*>(factory), out);
    EXPECT_EQ(1u, IClassFactory_Release(factory));
    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE,
              IClassFactory_QueryInterface(factory, IID_IDIGameCntrlPropSheet, &out));
    EXPECT_EQ(nullptr, out);
    IUnknown outer = {};
    out = kGarbage;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              IClassFactory_CreateInstance(factory, &outer, IID_IDIGameCntrlPropSheet, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_NOINTERFACE,
              IClassFactory_CreateInstance(factory, nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0u, IClassFactory_Release(factory));
}

TEST_F(SheetServer, ModuleStaysLoadedWhileFactoriesSheetsOrServerLocksLive) {
    IClassFactory* factory = Factory();
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow());
    IDIGameCntrlPropSheet* sheet = CreateSheet(factory);
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(S_OK, IClassFactory_LockServer(factory, TRUE));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the sheet and the lock";
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the lock";
    factory = Factory();
    EXPECT_EQ(S_OK, IClassFactory_LockServer(factory, FALSE));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
}

TEST_F(SheetServer, DescriptionsOfTheSheetAndItsFourPages) {
    IClassFactory* factory = Factory();
    IDIGameCntrlPropSheet* sheet = CreateSheet(factory);
    IClassFactory_Release(factory);
    ASSERT_NE(nullptr, sheet);

    LPDIGCSHEETINFO info = nullptr;
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_GetSheetInfo(sheet, &info));
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(sizeof(void*) == 8 ? 32u : 20u, info->dwSize);
    EXPECT_EQ(4, info->nNumPages);
    ASSERT_NE(nullptr, info->lpwszSheetCaption);
    EXPECT_EQ(Utf16(kModelProfile.productName), std::u16string(info->lpwszSheetCaption));
    EXPECT_TRUE(info->fSheetIconFlag);
    EXPECT_EQ(IntegerResource(32517), info->lpwszSheetIcon);

    LPDIGCPAGEINFO pages = nullptr;
    ASSERT_EQ(S_OK, IDIGameCntrlPropSheet_GetPageInfo(sheet, &pages));
    ASSERT_NE(nullptr, pages);
    const WORD templates[] = {107, 109, 108, 112};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const DIGCPAGEINFO& page = pages[i];
        EXPECT_EQ(sizeof(void*) == 8 ? 80u : 40u, page.dwSize);
        EXPECT_EQ(nullptr, page.lpwszPageTitle) << "the tab shows the template's caption";
        EXPECT_NE(nullptr, page.fpPageProc);
        EXPECT_FALSE(page.fProcFlag);
        EXPECT_EQ(nullptr, page.fpPrePostProc);
        EXPECT_TRUE(page.fIconFlag);
        EXPECT_EQ(IntegerResource(32517), page.lpwszPageIcon);
        EXPECT_EQ(IntegerResource(templates[i]), page.lpwszTemplate);
        EXPECT_EQ(reinterpret_cast<LPARAM>(sheet), page.lParam);
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(module_->handle()), page.hInstance);
    }
    EXPECT_EQ(E_POINTER, IDIGameCntrlPropSheet_GetSheetInfo(sheet, nullptr));
    EXPECT_EQ(E_POINTER, IDIGameCntrlPropSheet_GetPageInfo(sheet, nullptr));

    // Preparing again keeps one caption (the leak check in TearDown).
    EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_PrepareSheet(sheet));
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
}

TEST_F(SheetServer, JoystickIdAndInterfaces) {
    IClassFactory* factory = Factory();
    IDIGameCntrlPropSheet* sheet = CreateSheet(factory);
    IClassFactory_Release(factory);
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(0xFFFF, IDIGameCntrlPropSheet_GetID(sheet)) << "no id set";
    EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_SetID(sheet, 5));
    EXPECT_EQ(5, IDIGameCntrlPropSheet_GetID(sheet));

    void* out = nullptr;
    EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_QueryInterface(sheet, IID_IUnknown, &out));
    EXPECT_EQ(static_cast<void*>(sheet), out);
    EXPECT_EQ(3u, IDIGameCntrlPropSheet_AddRef(sheet));
    EXPECT_EQ(2u, IDIGameCntrlPropSheet_Release(sheet));
    EXPECT_EQ(1u, IDIGameCntrlPropSheet_Release(sheet));
    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE, IDIGameCntrlPropSheet_QueryInterface(sheet, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);

    LPDIRECTINPUTDEVICE2A device = reinterpret_cast<LPDIRECTINPUTDEVICE2A>(kGarbage);
    EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_GetInputDevice(sheet, &device));
    EXPECT_EQ(nullptr, device);
    IDirectInputJoyConfig* config = reinterpret_cast<IDirectInputJoyConfig*>(kGarbage);
    EXPECT_EQ(S_OK, IDIGameCntrlPropSheet_GetJoyConfigObject(sheet, &config));
    EXPECT_EQ(nullptr, config);
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));
}

TEST_F(SheetServer, ASecondSheetFindsItsWindowClassesRegistered) {
    IClassFactory* factory = Factory();
    EXPECT_FALSE(ClassRegistered("AxesControl"));
    IDIGameCntrlPropSheet* first = CreateSheet(factory);
    IDIGameCntrlPropSheet* second = CreateSheet(factory);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    for (const char* name : {"LampControl", "AxesControl", "PovControl", "RumbleControl"}) {
        EXPECT_TRUE(ClassRegistered(name)) << name;
    }
    IDIGameCntrlPropSheet_Release(first);
    IDIGameCntrlPropSheet_Release(second);
    IClassFactory_Release(factory);
}

TEST_F(SheetServer, RunningOutOfMemory) {
    void* out = kGarbage;
    simwin::FailAllocation(1);
    EXPECT_EQ(E_OUTOFMEMORY,
              module_->GetClassObject(kModelProfile.propertySheetClassId, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);

    IClassFactory* factory = Factory();
    simwin::FailAllocation(1);  // the sheet
    out = kGarbage;
    EXPECT_EQ(E_OUTOFMEMORY,
              IClassFactory_CreateInstance(factory, nullptr, IID_IDIGameCntrlPropSheet, &out));
    EXPECT_EQ(nullptr, out);

    simwin::FailCall("LocalAlloc");  // the caption
    out = kGarbage;
    EXPECT_EQ(E_OUTOFMEMORY,
              IClassFactory_CreateInstance(factory, nullptr, IID_IDIGameCntrlPropSheet, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_FALSE(ClassRegistered("LampControl")) << "classes are registered only after it";
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_OK, module_->CanUnloadNow()) << "the half-made sheet is gone";
}

TEST_F(SheetServer, TheLastReleaseGivesBackTheSharedDeviceAndJoyConfigObject) {
    const GUID instance = {0x6A000001u, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
    simwin::SetJoystick(2, instance);
    LPDIRECTINPUTA directInput = nullptr;
    ASSERT_EQ(DI_OK, DirectInputCreateA(nullptr, 0x0500, &directInput, nullptr));
    void* config = nullptr;
    ASSERT_EQ(DI_OK, IDirectInput_QueryInterface(directInput, IID_IDirectInputJoyConfig, &config));
    LPDIRECTINPUTDEVICEA first = nullptr;
    ASSERT_EQ(DI_OK, IDirectInput_CreateDevice(directInput, instance, &first, nullptr));
    void* device = nullptr;
    ASSERT_EQ(DI_OK, IDirectInputDevice_QueryInterface(first, IID_IDirectInputDevice2A, &device));
    IDirectInputDevice_Release(first);
    IDirectInput_Release(directInput);

    IClassFactory* factory = Factory();
    IDIGameCntrlPropSheet* sheet = CreateSheet(factory);
    IClassFactory_Release(factory);
    IDIGameCntrlPropSheet_SetInputDevice(sheet, static_cast<LPDIRECTINPUTDEVICE2A>(device));
    IDIGameCntrlPropSheet_SetJoyConfigObject(sheet, static_cast<IDirectInputJoyConfig*>(config));
    EXPECT_EQ(0u, IDIGameCntrlPropSheet_Release(sheet));

    const auto devices = simwin::DirectInputDevices();
    ASSERT_EQ(1u, devices.size());
    EXPECT_TRUE(devices[0].released);
    EXPECT_EQ(1u, devices[0].unacquireCalls) << "unacquired before its release";
    EXPECT_EQ(0u, simwin::DirectInputReleaseErrors());
}

}  // namespace
