#include <memory>
#include <vector>

#include "directinput_fixture.h"

namespace {

// A constant force on the X and Y axes as a DirectX 5 application builds
// it; the record lives on its own in the heap so that reading past its
// size is caught.
struct ConstantForceRecord {
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG directions[2] = {0, 0};
    DICONSTANTFORCE force = {0};
    std::unique_ptr<DIEFFECT_DX5> record = std::make_unique<DIEFFECT_DX5>();

    ConstantForceRecord() {
        DIEFFECT_DX5& r = *record;
        std::memset(&r, 0, sizeof r);
        r.dwSize = sizeof r;
        r.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
        r.dwDuration = INFINITE;
        r.dwGain = 10000;
        r.dwTriggerButton = DIEB_NOTRIGGER;
        r.cAxes = 2;
        r.rgdwAxes = axes;
        r.rglDirection = directions;
        r.cbTypeSpecificParams = sizeof force;
        r.lpvTypeSpecificParams = &force;
    }
    LPCDIEFFECT get() const { return reinterpret_cast<LPCDIEFFECT>(record.get()); }
};

LONG MagnitudeOf(const simwin::CapturedEffect& captured) {
    DICONSTANTFORCE force = {0};
    EXPECT_EQ(captured.typeSpecific.size(), sizeof force);
    std::memcpy(&force, captured.typeSpecific.data(),
                std::min(captured.typeSpecific.size(), sizeof force));
    return force.lMagnitude;
}

class DirectInputEffects : public DirectInputDeviceTest {
  protected:
    void SetUp() override {
        DirectInputDeviceTest::SetUp();
        simwin::SetJoystick(0, InstanceOf(1));
        device_ = OpenDevice(InstanceOf(1));
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override {
        if (device_ != nullptr) {
            IDirectInputDevice2_Release(device_);
        }
        DirectInputDeviceTest::TearDown();
    }

    IDirectInputEffect* Create(LPCDIEFFECT parameters) {
        IDirectInputEffect* effect = nullptr;
        EXPECT_EQ(IDirectInputDevice2_CreateEffect(device_, GUID_ConstantForce, parameters, &effect,
                                                   nullptr),
                  DI_OK);
        return effect;
    }

    static std::vector<simwin::EffectCallKind> KindsOf(const simwin::DirectInputEffectInfo& info) {
        std::vector<simwin::EffectCallKind> kinds;
        for (const simwin::EffectCall& call : info.calls) {
            kinds.push_back(call.kind);
        }
        return kinds;
    }

    IDirectInputDevice2A* device_ = nullptr;
};

using Kind = simwin::EffectCallKind;

// The run of a vibration test: created while the device is not acquired,
// then rewritten and started on each tick once it is.
TEST_F(DirectInputEffects, EveryCallIsCapturedWithADeepCopyOfItsRecord) {
    ConstantForceRecord given;
    IDirectInputEffect* effect = Create(given.get());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(IDirectInputEffect_Start(effect, 1, 0), DIERR_NOTEXCLUSIVEACQUIRED);

    ASSERT_EQ(IDirectInputDevice2_Acquire(device_), DI_OK);
    given.directions[0] = 10000;
    given.directions[1] = 10000;
    given.force.lMagnitude = 14142;
    given.axes[0] = 99;  // not named by the flags below: never read
    const DWORD flags = DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_START;
    EXPECT_EQ(flags, 0x20000140u);
    EXPECT_EQ(IDirectInputEffect_SetParameters(effect, given.get(), flags), DI_OK);
    // The caller's blocks change after the call; the capture does not.
    given.directions[0] = -1;
    given.force.lMagnitude = -1;
    DWORD status = 0;
    EXPECT_EQ(IDirectInputEffect_GetEffectStatus(effect, &status), DI_OK);
    EXPECT_EQ(status, static_cast<DWORD>(DIEGES_PLAYING));
    EXPECT_EQ(IDirectInputEffect_Start(effect, 1, 0), DI_OK);
    EXPECT_EQ(IDirectInputEffect_Stop(effect), DI_OK);
    EXPECT_EQ(IDirectInputEffect_Unload(effect), DI_OK);
    EXPECT_EQ(IDirectInputEffect_AddRef(effect), 2u);
    EXPECT_EQ(IDirectInputEffect_Release(effect), 1u);
    EXPECT_EQ(IDirectInputEffect_Release(effect), 0u);

    const std::vector<simwin::DirectInputEffectInfo> effects = simwin::DirectInputEffects();
    ASSERT_EQ(effects.size(), 1u);
    const simwin::DirectInputEffectInfo& info = effects[0];
    EXPECT_EQ(info.device, 0u);
    EXPECT_TRUE(IsEqualGUID(info.type, GUID_ConstantForce));
    EXPECT_TRUE(info.released);
    EXPECT_EQ(KindsOf(info),
              (std::vector<Kind>{Kind::Create, Kind::Start, Kind::SetParameters, Kind::Start,
                                 Kind::Stop, Kind::Unload, Kind::Release, Kind::Release}));

    const simwin::EffectCall& create = info.calls[0];
    EXPECT_EQ(create.flags, static_cast<DWORD>(DIEP_ALLPARAMS_DX5));
    ASSERT_TRUE(create.hasParameters);
    const simwin::CapturedEffect& created = create.parameters;
    EXPECT_EQ(created.size, sizeof(DIEFFECT_DX5));
    EXPECT_EQ(created.flags, 0x12u);
    EXPECT_EQ(created.duration, INFINITE);
    EXPECT_EQ(created.samplePeriod, 0u);
    EXPECT_EQ(created.gain, 10000u);
    EXPECT_EQ(created.triggerButton, DIEB_NOTRIGGER);
    EXPECT_EQ(created.triggerRepeatInterval, 0u);
    EXPECT_EQ(created.axisCount, 2u);
    EXPECT_EQ(created.axes, (std::vector<DWORD>{0, 4}));
    EXPECT_EQ(created.directions, (std::vector<LONG>{0, 0}));
    EXPECT_FALSE(created.hasEnvelope);
    EXPECT_EQ(MagnitudeOf(created), 0);
    EXPECT_EQ(created.startDelay, 0u);

    const simwin::EffectCall& rewrite = info.calls[2];
    EXPECT_EQ(rewrite.flags, flags);
    EXPECT_EQ(rewrite.result, DI_OK);
    EXPECT_TRUE(rewrite.parameters.axes.empty());
    EXPECT_EQ(rewrite.parameters.directions, (std::vector<LONG>{10000, 10000}));
    EXPECT_EQ(MagnitudeOf(rewrite.parameters), 14142);
    EXPECT_EQ(info.calls[1].result, DIERR_NOTEXCLUSIVEACQUIRED);
    EXPECT_EQ(info.calls[3].iterations, 1u);
    EXPECT_EQ(info.calls[6].result, 1);
    EXPECT_EQ(info.calls[7].result, 0);
}

TEST_F(DirectInputEffects, ParametersReachTheDeviceOnlyWhileItIsHeldExclusively) {
    ConstantForceRecord given;
    IDirectInputEffect* effect = Create(given.get());
    ASSERT_NE(effect, nullptr);
    const DWORD update = DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS | DIEP_START;
    EXPECT_EQ(IDirectInputEffect_SetParameters(effect, given.get(), update), DI_DOWNLOADSKIPPED);
    EXPECT_EQ(IDirectInputEffect_Download(effect), DIERR_NOTEXCLUSIVEACQUIRED);

    ASSERT_EQ(IDirectInputDevice2_Acquire(device_), DI_OK);
    EXPECT_EQ(IDirectInputEffect_SetParameters(effect, given.get(), update | DIEP_NODOWNLOAD),
              DI_DOWNLOADSKIPPED);
    EXPECT_EQ(IDirectInputEffect_Download(effect), DI_OK);
    EXPECT_EQ(IDirectInputEffect_SetParameters(effect, given.get(), update), DI_OK);
    DWORD status = 0;
    EXPECT_EQ(IDirectInputEffect_GetEffectStatus(effect, &status), DI_OK);
    EXPECT_EQ(status, static_cast<DWORD>(DIEGES_PLAYING));

    // Unacquiring stops the effect and shuts it out.
    EXPECT_EQ(IDirectInputDevice2_Unacquire(device_), DI_OK);
    EXPECT_EQ(IDirectInputEffect_GetEffectStatus(effect, &status), DI_OK);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(IDirectInputEffect_Start(effect, 1, 0), DIERR_NOTEXCLUSIVEACQUIRED);

    // Shared access never reaches the motors.
    EXPECT_EQ(IDirectInputDevice2_SetCooperativeLevel(device_, Window(),
                                                      DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DI_OK);
    ASSERT_EQ(IDirectInputDevice2_Acquire(device_), DI_OK);
    EXPECT_EQ(IDirectInputEffect_Start(effect, 1, 0), DIERR_NOTEXCLUSIVEACQUIRED);
    IDirectInputEffect_Release(effect);

    // An effect without its axes and magnitude cannot start.
    EXPECT_EQ(IDirectInputDevice2_Unacquire(device_), DI_OK);
    EXPECT_EQ(IDirectInputDevice2_SetCooperativeLevel(device_, Window(),
                                                      DISCL_EXCLUSIVE | DISCL_BACKGROUND),
              DI_OK);
    ASSERT_EQ(IDirectInputDevice2_Acquire(device_), DI_OK);
    IDirectInputEffect* bare = Create(nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_FALSE(simwin::DirectInputEffects()[1].calls[0].hasParameters);
    EXPECT_EQ(IDirectInputEffect_Start(bare, 1, 0), DIERR_INCOMPLETEEFFECT);
    EXPECT_EQ(IDirectInputEffect_SetParameters(bare, given.get(), DIEP_ALLPARAMS_DX5), DI_OK);
    EXPECT_EQ(IDirectInputEffect_Start(bare, 1, 0), DI_OK);
    IDirectInputEffect_Release(bare);
}

TEST_F(DirectInputEffects, MalformedRecordsAreRefusedAndChangeNothing) {
    ConstantForceRecord good;
    DIENVELOPE envelope = {sizeof(DIENVELOPE) + 4, 0, 0, 0, 0};
    struct Case {
        const char* what;
        void (*spoil)(DIEFFECT_DX5& record, DIENVELOPE* envelope);
        DWORD flags;
    };
    const Case cases[] = {
        {"size 0", [](DIEFFECT_DX5& r, DIENVELOPE*) { r.dwSize = 0; }, DIEP_ALLPARAMS_DX5},
        {"size between", [](DIEFFECT_DX5& r, DIENVELOPE*) { r.dwSize += 2; }, DIEP_ALLPARAMS_DX5},
        {"start delay in a DirectX 5 record", [](DIEFFECT_DX5&, DIENVELOPE*) {}, DIEP_STARTDELAY},
        {"unknown flag", [](DIEFFECT_DX5&, DIENVELOPE*) {}, 0x00000400},
        {"no axes", [](DIEFFECT_DX5& r, DIENVELOPE*) { r.cAxes = 0; }, DIEP_AXES},
        {"three axes", [](DIEFFECT_DX5& r, DIENVELOPE*) { r.cAxes = 3; }, DIEP_DIRECTION},
        {"no axis array", [](DIEFFECT_DX5& r, DIENVELOPE*) { r.rgdwAxes = nullptr; }, DIEP_AXES},
        {"no directions", [](DIEFFECT_DX5& r, DIENVELOPE*) { r.rglDirection = nullptr; },
         DIEP_DIRECTION},
        {"envelope of another size", [](DIEFFECT_DX5& r, DIENVELOPE* e) { r.lpEnvelope = e; },
         DIEP_ENVELOPE},
        {"two forces", [](DIEFFECT_DX5& r, DIENVELOPE*) { r.cbTypeSpecificParams = 8; },
         DIEP_TYPESPECIFICPARAMS},
        {"no force", [](DIEFFECT_DX5& r, DIENVELOPE*) { r.lpvTypeSpecificParams = nullptr; },
         DIEP_TYPESPECIFICPARAMS},
    };
    IDirectInputEffect* effect = Create(good.get());
    ASSERT_NE(effect, nullptr);
    for (const Case& c : cases) {
        ConstantForceRecord bad;
        c.spoil(*bad.record, &envelope);
        EXPECT_EQ(IDirectInputEffect_SetParameters(effect, bad.get(), c.flags), DIERR_INVALIDPARAM)
            << c.what;
        if (c.flags != DIEP_STARTDELAY && c.flags != 0x00000400) {
            IDirectInputEffect* none = reinterpret_cast<IDirectInputEffect*>(0x1234);
            EXPECT_EQ(IDirectInputDevice2_CreateEffect(device_, GUID_ConstantForce, bad.get(),
                                                       &none, nullptr),
                      DIERR_INVALIDPARAM)
                << c.what;
            EXPECT_EQ(none, nullptr) << c.what;
        }
    }
    EXPECT_EQ(IDirectInputEffect_SetParameters(effect, nullptr, DIEP_GAIN), DIERR_INVALIDPARAM);

    // Nothing of the refused records stuck.
    DWORD axes[2] = {};
    LONG directions[2] = {};
    DICONSTANTFORCE force = {-1};
    DIEFFECT_DX5 read;
    std::memset(&read, 0, sizeof read);
    read.dwSize = sizeof read;
    read.cAxes = 2;
    read.rgdwAxes = axes;
    read.rglDirection = directions;
    read.cbTypeSpecificParams = sizeof force;
    read.lpvTypeSpecificParams = &force;
    read.lpEnvelope = &envelope;
    EXPECT_EQ(IDirectInputEffect_GetParameters(effect, reinterpret_cast<LPDIEFFECT>(&read),
                                               DIEP_ALLPARAMS_DX5),
              DI_OK);
    EXPECT_EQ(read.dwGain, 10000u);
    EXPECT_EQ(read.dwDuration, INFINITE);
    EXPECT_EQ(read.dwFlags, static_cast<DWORD>(DIEFF_CARTESIAN));
    EXPECT_EQ(axes[1], 4u);
    EXPECT_EQ(force.lMagnitude, 0);
    EXPECT_EQ(read.lpEnvelope, nullptr) << "the effect has no envelope";

    // Too little room: the needed count and size come back.
    read.cAxes = 1;
    read.cbTypeSpecificParams = 0;
    EXPECT_EQ(IDirectInputEffect_GetParameters(effect, reinterpret_cast<LPDIEFFECT>(&read),
                                               DIEP_AXES | DIEP_TYPESPECIFICPARAMS),
              DIERR_MOREDATA);
    EXPECT_EQ(read.cAxes, 2u);
    EXPECT_EQ(read.cbTypeSpecificParams, sizeof(DICONSTANTFORCE));
    IDirectInputEffect_Release(effect);

    const simwin::DirectInputEffectInfo info = simwin::DirectInputEffects()[0];
    EXPECT_EQ(simwin::DirectInputEffects().size(), 1u) << "refused creations leave no effect";
    for (size_t i = 1; i <= std::size(cases) + 1; ++i) {
        EXPECT_EQ(info.calls[i].kind, Kind::SetParameters);
        EXPECT_EQ(info.calls[i].result, DIERR_INVALIDPARAM);
        EXPECT_FALSE(info.calls[i].hasParameters);
    }
}

TEST_F(DirectInputEffects, CreationChecksTypeAndAggregationAndTakesBothRecordSizes) {
    IUnknown outer = {};
    ConstantForceRecord given;
    struct Case {
        const char* what;
        const GUID* type;
        IUnknown* outer;
        DWORD injected;
        HRESULT result;
    };
    const Case cases[] = {
        {"constant force", &GUID_ConstantForce, nullptr, 0, DI_OK},
        {"another type", &GUID_XAxis, nullptr, 0, DIERR_DEVICENOTREG},
        {"aggregated", &GUID_ConstantForce, &outer, 0, CLASS_E_NOAGGREGATION},
        {"injected", &GUID_ConstantForce, nullptr, static_cast<DWORD>(DIERR_DEVICEFULL),
         DIERR_DEVICEFULL},
    };
    for (const Case& c : cases) {
        if (c.injected != 0) {
            simwin::FailCall("CreateEffect", 1, c.injected);
        }
        IDirectInputEffect* effect = reinterpret_cast<IDirectInputEffect*>(0x1234);
        EXPECT_EQ(IDirectInputDevice2_CreateEffect(device_, *c.type, given.get(), &effect, c.outer),
                  c.result)
            << c.what;
        if (SUCCEEDED(c.result)) {
            ASSERT_NE(effect, nullptr);
            IDirectInputEffect_Release(effect);
        } else {
            EXPECT_EQ(effect, nullptr) << c.what;
        }
    }
    EXPECT_EQ(IDirectInputDevice2_CreateEffect(device_, GUID_ConstantForce, given.get(), nullptr,
                                               nullptr),
              E_POINTER);

    // The current record carries its start delay.
    DIEFFECT current;
    std::memcpy(&current, given.record.get(), sizeof(DIEFFECT_DX5));
    current.dwSize = sizeof current;
    current.dwStartDelay = 250;
    IDirectInputEffect* effect = Create(&current);
    ASSERT_NE(effect, nullptr);
    GUID type = {};
    EXPECT_EQ(IDirectInputEffect_GetEffectGuid(effect, &type), DI_OK);
    EXPECT_TRUE(IsEqualGUID(type, GUID_ConstantForce));
    const simwin::EffectCall create = simwin::DirectInputEffects().back().calls[0];
    EXPECT_EQ(create.flags, static_cast<DWORD>(DIEP_ALLPARAMS));
    EXPECT_EQ(create.parameters.size, sizeof(DIEFFECT));
    EXPECT_EQ(create.parameters.startDelay, 250u);

    // The effect keeps its device: the device may go first.
    EXPECT_EQ(IDirectInputDevice2_Release(device_), 1u);
    device_ = nullptr;
    EXPECT_EQ(IDirectInputEffect_Release(effect), 0u);
    EXPECT_TRUE(simwin::DirectInputDevices()[0].released);
}

}  // namespace
