// Two application threads asking one factory for the driver at the same
// moment, as DirectInput may when two devices are opened on two threads.
// Each caller must get an initialised driver, the same one, or the failure
// of its initialisation: never a reference to a driver that is still being
// initialised and may yet fail.
#include <gtest/gtest.h>
#include <simwin/control.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "effect_driver/effect_driver.h"
#include "effect_driver/effect_driver_factory.h"
#include "effect_driver/module_state.h"
#include "effect_driver/playback_lock.h"
#include "profiles/selected_model.h"
#include "support/effect_registrations_fixture.h"

namespace {

constexpr int kTrials = 400;

struct Outcome {
    HRESULT result = S_FALSE;  // CreateInstance never answers it
    void* object = nullptr;
};

class FactoryConcurrency : public ::testing::Test {
  protected:
    void SetUp() override {
        simwin::Reset();
        simwin::SetEventNamespace("rumbix-factory-test-" + std::to_string(getpid()));
        ASSERT_TRUE(CreatePlaybackLock());
    }
    void TearDown() override {
        EXPECT_EQ(0, ModuleLockCount()) << "an object or factory outlived the test";
        ClosePlaybackLock();
    }

    // Both threads call CreateInstance on one factory as nearly together as
    // the scheduler allows.
    std::pair<Outcome, Outcome> CreateTwiceAtOnce() {
        EffectDriverFactory* factory = CreateEffectDriverFactory();
        EXPECT_NE(nullptr, factory);
        std::atomic<int> ready{0};
        Outcome outcomes[2];
        auto create = [&](Outcome& outcome) {
            ready.fetch_add(1);
            while (ready.load() < 2) {
            }
            outcome.result = IClassFactory_CreateInstance(
                &factory->iface, nullptr, IID_IDirectInputEffectDriver, &outcome.object);
        };
        std::thread first(create, std::ref(outcomes[0]));
        std::thread second(create, std::ref(outcomes[1]));
        first.join();
        second.join();
        IClassFactory_Release(&factory->iface);
        return {outcomes[0], outcomes[1]};
    }
};

TEST_F(FactoryConcurrency, WithARegistrationMissingEveryCallerFails) {
    test_support::InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId, {11});
    const size_t baseline = simwin::LiveAllocations();
    int handedOut = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        auto [a, b] = CreateTwiceAtOnce();
        for (const Outcome& o : {a, b}) {
            if (o.object != nullptr) {
                ++handedOut;
                IUnknown_Release(static_cast<IUnknown*>(o.object));
            }
            EXPECT_EQ(E_FAIL, o.result);
        }
        if (HasFailure()) {
            break;
        }
    }
    EXPECT_EQ(0, handedOut) << "a driver that never read its registrations was handed out";
    EXPECT_EQ(baseline, simwin::LiveAllocations());
}

TEST_F(FactoryConcurrency, BothCallersGetTheSameInitialisedDriver) {
    test_support::InstallEffectRegistrations(kModelProfile.vendorId, kModelProfile.productId);
    const size_t baseline = simwin::LiveAllocations();
    for (int trial = 0; trial < kTrials && !HasFailure(); ++trial) {
        auto [a, b] = CreateTwiceAtOnce();
        EXPECT_EQ(S_OK, a.result);
        EXPECT_EQ(S_OK, b.result);
        ASSERT_NE(nullptr, a.object);
        EXPECT_EQ(a.object, b.object) << "a factory makes one driver at a time";
        auto* driver = static_cast<EffectDriver*>(a.object);
        // The registrations give each entry its position as effect id.
        EXPECT_EQ(11u, driver->attributes[11].dwEffectId) << "the driver was initialised";
        IDirectInputEffectDriver_Release(&driver->iface);
        if (b.object != nullptr) {
            EXPECT_EQ(0u, IDirectInputEffectDriver_Release(
                              static_cast<IDirectInputEffectDriver*>(b.object)));
        }
    }
    EXPECT_EQ(baseline, simwin::LiveAllocations());
}

}  // namespace
