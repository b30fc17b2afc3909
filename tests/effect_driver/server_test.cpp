// The driver module as DirectInput meets it: loaded by the loader, reached
// only through DllGetClassObject, DllCanUnloadNow and the interfaces.
#include <dinput.h>
#include <dinputd.h>
#include <gtest/gtest.h>
#include <simwin/control.h>

#include "profiles/selected_model.h"
#include "support/effect_registrations_fixture.h"
#include "support/loaded_module.h"

namespace {

using test_support::InstallEffectRegistrations;
using test_support::LoadedModule;

constexpr GUID kUnknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr IID kSomeOtherInterface = {
    0x9A4CB684, 0x236D, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};

void* const kGarbage = reinterpret_cast<void*>(0x1);

class DriverServer : public ::testing::Test {
  protected:
    void SetUp() override {
        simwin::Reset();
        simwin::SetEventNamespace("rumbix-server-test-" + std::to_string(getpid()));
        module_ = std::make_unique<LoadedModule>(RUMBIX_LIBRARY);
        ASSERT_TRUE(module_->loaded());
        InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
        baselineAllocations_ = simwin::LiveAllocations();
    }
    void TearDown() override {
        EXPECT_EQ(S_OK, module_->CanUnloadNow()) << "an object or lock outlived the test";
        EXPECT_EQ(baselineAllocations_, simwin::LiveAllocations()) << "memory leaked";
        module_.reset();
    }

    IClassFactory* Factory() {
        void* out = nullptr;
        EXPECT_EQ(S_OK, module_->GetClassObject(kModelProfile.effectDriverClassId,
                                                IID_IClassFactory, &out));
        return static_cast<IClassFactory*>(out);
    }

    IDirectInputEffectDriver* CreateDriver(IClassFactory* factory) {
        void* out = nullptr;
        EXPECT_EQ(S_OK, IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver,
                                                     &out));
        return static_cast<IDirectInputEffectDriver*>(out);
    }

    std::unique_ptr<LoadedModule> module_;
    size_t baselineAllocations_ = 0;
};

TEST_F(DriverServer, GetClassObjectAnswersOnlyItsClassAndTheFactoryInterface) {
    const GUID otherModelClass = [] {
        GUID g = kModelProfile.effectDriverClassId;
        g.Data4[6] ^= 0x07;  // the S and T class ids differ here
        return g;
    }();
    struct Case {
        const char* what;
        const GUID& clsid;
        const IID& iid;
        HRESULT expected;
    } cases[] = {
        {"own class, IClassFactory", kModelProfile.effectDriverClassId, IID_IClassFactory, S_OK},
        {"own class, IUnknown", kModelProfile.effectDriverClassId, IID_IUnknown, E_NOINTERFACE},
        {"own class, other interface", kModelProfile.effectDriverClassId, kSomeOtherInterface,
         E_NOINTERFACE},
        {"unknown class, IClassFactory", kUnknownClass, IID_IClassFactory,
         CLASS_E_CLASSNOTAVAILABLE},
        {"unknown class, IUnknown", kUnknownClass, IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
        {"other model's class", otherModelClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"property sheet class", kModelProfile.propertySheetClassId, IID_IClassFactory,
         CLASS_E_CLASSNOTAVAILABLE},
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
    EXPECT_EQ(E_POINTER, module_->GetClassObject(kModelProfile.effectDriverClassId,
                                                 IID_IClassFactory, nullptr));
}

TEST_F(DriverServer, ModuleStaysLoadedWhileFactoriesObjectsOrServerLocksLive) {
    EXPECT_EQ(S_OK, module_->CanUnloadNow());
    IClassFactory* factory = Factory();
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow());
    IDirectInputEffectDriver* driver = CreateDriver(factory);
    ASSERT_NE(nullptr, driver);
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the object still lives";
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
    EXPECT_EQ(S_OK, module_->CanUnloadNow());

    factory = Factory();
    EXPECT_EQ(S_OK, IClassFactory_LockServer(factory, TRUE));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "LockServer(TRUE) is outstanding";
    factory = Factory();
    EXPECT_EQ(S_OK, IClassFactory_LockServer(factory, FALSE));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_OK, module_->CanUnloadNow());
}

TEST_F(DriverServer, OneFactoryHandsOutOneObjectWhileItLives) {
    IClassFactory* factory = Factory();
    IDirectInputEffectDriver* first = CreateDriver(factory);
    IDirectInputEffectDriver* second = CreateDriver(factory);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(1u, IDirectInputEffectDriver_Release(second));
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(first));
    EXPECT_EQ(baselineAllocations_ + 1, simwin::LiveAllocations()) << "only the factory is left";

    // Once its object is gone the factory makes a new one, never touching
    // the old.
    IDirectInputEffectDriver* third = CreateDriver(factory);
    ASSERT_NE(nullptr, third);
    EXPECT_EQ(2u, IDirectInputEffectDriver_AddRef(third)) << "a fresh object with one reference";
    IDirectInputEffectDriver_Release(third);
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(third)) << "the object outlives its factory";
}

TEST_F(DriverServer, InterfacesOfTheObjectAndTheFactory) {
    IClassFactory* factory = Factory();
    void* out = kGarbage;
    EXPECT_EQ(S_OK, IClassFactory_QueryInterface(factory, IID_IUnknown, &out));
    EXPECT_EQ(static_cast<void*>(factory), out);
    IClassFactory_Release(factory);
    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE,
              IClassFactory_QueryInterface(factory, IID_IDirectInputEffectDriver, &out));
    EXPECT_EQ(nullptr, out);

    IDirectInputEffectDriver* driver = CreateDriver(factory);
    ASSERT_NE(nullptr, driver);
    out = kGarbage;
    EXPECT_EQ(S_OK, IDirectInputEffectDriver_QueryInterface(driver, IID_IUnknown, &out));
    EXPECT_EQ(static_cast<void*>(driver), out);
    EXPECT_EQ(1u, IDirectInputEffectDriver_Release(driver));
    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE,
              IDirectInputEffectDriver_QueryInterface(driver, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, IDirectInputEffectDriver_QueryInterface(driver, IID_IUnknown, nullptr));

    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
}

TEST_F(DriverServer, CreateInstanceRefusalsLeaveNoObjectBehind) {
    IClassFactory* factory = Factory();
    IUnknown outer = {};
    void* out = kGarbage;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              IClassFactory_CreateInstance(factory, &outer, IID_IDirectInputEffectDriver, &out));
    EXPECT_EQ(nullptr, out);
    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE,
              IClassFactory_CreateInstance(factory, nullptr, kSomeOtherInterface, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(baselineAllocations_ + 1, simwin::LiveAllocations()) << "only the factory lives";

    out = nullptr;
    EXPECT_EQ(S_OK, IClassFactory_CreateInstance(factory, nullptr, IID_IUnknown, &out));
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(0u, IUnknown_Release(static_cast<IUnknown*>(out)));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
}

TEST_F(DriverServer, CreationFailsWhenAnEffectRegistrationIsMissing) {
    struct Case {
        const char* what;
        std::initializer_list<unsigned> missing;
    } cases[] = {{"constant force", {0}}, {"friction", {10}}, {"custom force", {11}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        simwin::Reset();
        InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId, c.missing);
        IClassFactory* factory = Factory();
        void* out = kGarbage;
        EXPECT_EQ(E_FAIL, IClassFactory_CreateInstance(factory, nullptr,
                                                       IID_IDirectInputEffectDriver, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(0u, IClassFactory_Release(factory));
        EXPECT_EQ(S_OK, module_->CanUnloadNow()) << "the half-made object is gone";
    }

    // A key without its "Attributes" value counts as missing.
    simwin::Reset();
    InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE,
                                         test_support::EffectRegistrationPath(
                                             kModelProfile.vendorId, kModelProfile.productId, 7)
                                             .c_str(),
                                         &key));
    RegDeleteValueA(key, "Attributes");
    RegCloseKey(key);
    IClassFactory* factory = Factory();
    void* out = kGarbage;
    EXPECT_EQ(E_FAIL,
              IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0u, IClassFactory_Release(factory));

    // Registrations of the other model do not count.
    simwin::Reset();
    InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId ^ 0x0007);
    factory = Factory();
    EXPECT_EQ(E_FAIL,
              IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver, &out));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
}

TEST_F(DriverServer, RunningOutOfMemory) {
    void* out = kGarbage;
    simwin::FailAllocation(1);
    EXPECT_EQ(E_OUTOFMEMORY,
              module_->GetClassObject(kModelProfile.effectDriverClassId, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);

    IClassFactory* factory = Factory();
    simwin::FailAllocation(1);  // the object itself
    out = kGarbage;
    EXPECT_EQ(E_OUTOFMEMORY,
              IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver, &out));
    EXPECT_EQ(nullptr, out);

    simwin::FailAllocation(2);  // a buffer for an "Attributes" value
    out = kGarbage;
    EXPECT_EQ(E_FAIL,
              IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver, &out));
    EXPECT_EQ(nullptr, out);

    // Nothing was left half-made: the next attempt succeeds.
    IDirectInputEffectDriver* driver = CreateDriver(factory);
    ASSERT_NE(nullptr, driver);
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
}

TEST_F(DriverServer, LastReleaseWaitsBeforeTakingTheObjectApart) {
    IClassFactory* factory = Factory();
    IDirectInputEffectDriver* driver = CreateDriver(factory);
    ASSERT_NE(nullptr, driver);
    IClassFactory_Release(factory);
    DWORD before = GetTickCount();
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
    EXPECT_GE(GetTickCount() - before, 100u);
}

TEST(DriverModuleLoad, FailsWhenThePlaybackLockCannotBeCreated) {
    simwin::Reset();
    simwin::FailCall("CreateEventA");
    EXPECT_EQ(nullptr, LoadLibraryA(RUMBIX_LIBRARY));
    simwin::ClearFaults();
    HMODULE module = LoadLibraryA(RUMBIX_LIBRARY);
    EXPECT_NE(nullptr, module);
    FreeLibrary(module);
}

}  // namespace
