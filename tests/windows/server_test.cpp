// The module as a COM server in a real Windows runtime: which classes and
// interfaces it hands out, when it may be unloaded, the registrations it
// needs, and how its objects end.
#include "loaded_driver.h"

namespace windows_test {
namespace {

constexpr GUID kUnknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
void* const kGarbage = reinterpret_cast<void*>(0x1);

GUID OtherModelsClass() {
    GUID id = kModelProfile.effectDriverClassId;
    id.Data4[6] ^= 0x07;  // the two models' class ids differ only here
    return id;
}

using Server = DriverModule;

TEST_F(Server, GetClassObjectAnswersOnlyItsClassAndTheFactoryInterface) {
    const GUID otherModel = OtherModelsClass();
    struct Case {
        const char* what;
        const GUID& clsid;
        const IID& iid;
        HRESULT expected;
    } cases[] = {
        {"own class, IClassFactory", kModelProfile.effectDriverClassId, IID_IClassFactory, S_OK},
        {"own class, IUnknown", kModelProfile.effectDriverClassId, IID_IUnknown, E_NOINTERFACE},
        {"own class, the driver's interface", kModelProfile.effectDriverClassId,
         IID_IDirectInputEffectDriver, E_NOINTERFACE},
        {"unknown class", kUnknownClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"unknown class, IUnknown", kUnknownClass, IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
        {"other model's class", otherModel, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
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

TEST_F(Server, ModuleStaysLoadedWhileFactoriesObjectsOrServerLocksLive) {
    EXPECT_EQ(S_OK, module_->CanUnloadNow());
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "a factory lives";
    IDirectInputEffectDriver* driver = CreateDriver(factory);
    ASSERT_NE(nullptr, driver);
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the object lives";
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
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

TEST_F(Server, OneFactoryHandsOutOneObjectWhileItLives) {
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    IDirectInputEffectDriver* first = CreateDriver(factory);
    IDirectInputEffectDriver* second = CreateDriver(factory);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(1u, IDirectInputEffectDriver_Release(second));
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(first));

    // Once its object is gone the factory makes a new one.
    IDirectInputEffectDriver* third = CreateDriver(factory);
    ASSERT_NE(nullptr, third);
    EXPECT_EQ(2u, IDirectInputEffectDriver_AddRef(third)) << "a fresh object with one reference";
    IDirectInputEffectDriver_Release(third);
    EXPECT_EQ(0u, IClassFactory_Release(factory));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the object outlives its factory";
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(third));
}

TEST_F(Server, CreateInstanceRefusalsLeaveNoObjectBehind) {
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    IUnknown outer = {};
    void* out = kGarbage;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              IClassFactory_CreateInstance(factory, &outer, IID_IDirectInputEffectDriver, &out));
    EXPECT_EQ(nullptr, out);
    out = kGarbage;
    EXPECT_EQ(E_NOINTERFACE,
              IClassFactory_CreateInstance(factory, nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, IClassFactory_CreateInstance(factory, nullptr,
                                                      IID_IDirectInputEffectDriver, nullptr));
    EXPECT_EQ(0u, IClassFactory_Release(factory));
}

TEST_F(Server, InstalledRegistrationsNameThisModelsDriver) {
    const std::string classKey =
        "SOFTWARE\\Classes\\CLSID\\" + ClassIdText(kModelProfile.effectDriverClassId);
    auto server = ReadRegistryValue(classKey + "\\InProcServer32", "");
    ASSERT_TRUE(server.has_value()) << "no class registration at " << classKey;
    EXPECT_STREQ(RUMBIX_MODULE_NAME, reinterpret_cast<const char*>(server->data()));

    auto clsid = ReadRegistryValue(OemKeyPath() + "\\OEMForceFeedback", "CLSID");
    ASSERT_TRUE(clsid.has_value());
    EXPECT_EQ(ClassIdText(kModelProfile.effectDriverClassId),
              reinterpret_cast<const char*>(clsid->data()));

    for (UINT position = 0; position < 12; ++position) {
        SCOPED_TRACE(EffectRegistrationPath(position));
        DWORD type = 0;
        auto attributes = ReadRegistryValue(EffectRegistrationPath(position), "Attributes", &type);
        ASSERT_TRUE(attributes.has_value());
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
        ASSERT_EQ(sizeof(DIEFFECTATTRIBUTES), attributes->size());
        EXPECT_EQ(position,
                  reinterpret_cast<const DIEFFECTATTRIBUTES*>(attributes->data())->dwEffectId)
            << "the record names its own effect id";
    }
}

TEST_F(Server, CreationNeedsEveryEffectRegistration) {
    struct Case {
        const char* what;
        UINT position;
        bool wholeKey;
    } cases[] = {
        {"constant force key deleted", 0, true},
        {"spring without Attributes", 7, false},
        {"custom force key deleted", 11, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            std::unique_ptr<DeletedRegistryKey> key;
            std::unique_ptr<SavedRegistryValue> value;
            if (c.wholeKey) {
                key = std::make_unique<DeletedRegistryKey>(EffectRegistrationPath(c.position));
                ASSERT_TRUE(key->deleted());
            } else {
                value = std::make_unique<SavedRegistryValue>(EffectRegistrationPath(c.position),
                                                             "Attributes");
                ASSERT_EQ(ERROR_SUCCESS, value->Delete());
            }
            IClassFactory* factory = Factory();
            ASSERT_NE(nullptr, factory);
            void* out = kGarbage;
            EXPECT_EQ(E_FAIL, IClassFactory_CreateInstance(factory, nullptr,
                                                           IID_IDirectInputEffectDriver, &out));
            EXPECT_EQ(nullptr, out);
            EXPECT_EQ(0u, IClassFactory_Release(factory));
            EXPECT_EQ(S_OK, module_->CanUnloadNow()) << "the half-made object is gone";
        }
        // Put back, the registration serves again.
        IClassFactory* factory = Factory();
        ASSERT_NE(nullptr, factory);
        IDirectInputEffectDriver* driver = CreateDriver(factory);
        IClassFactory_Release(factory);
        ASSERT_NE(nullptr, driver);
        EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
    }
}

TEST_F(Server, OnlyTheLastReleaseWaitsBeforeTakingTheObjectApart) {
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    IDirectInputEffectDriver* driver = CreateDriver(factory);
    IClassFactory_Release(factory);
    ASSERT_NE(nullptr, driver);
    IDirectInputEffectDriver_AddRef(driver);

    Stopwatch notLast;
    EXPECT_EQ(1u, IDirectInputEffectDriver_Release(driver));
    EXPECT_LT(notLast.ElapsedMs(), 50.0);

    Stopwatch last;
    EXPECT_EQ(0u, IDirectInputEffectDriver_Release(driver));
    EXPECT_GE(last.ElapsedMs(), 100.0);
    EXPECT_EQ(S_OK, module_->CanUnloadNow());
}

}  // namespace
}  // namespace windows_test
