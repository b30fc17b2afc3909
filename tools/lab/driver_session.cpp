#include "tools/lab/driver_session.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "tools/lab/hresult_text.h"

namespace lab {

namespace {

// The joystick id the controller is bound at, which is also the driver's
// device index for every call.
constexpr DWORD kDevice = 0;
constexpr DWORD kDirectInputVersion = 0x0700;
// DirectInput names axes by object id: instance number in the middle
// bytes, absolute axis in the type bits.
constexpr DWORD kAbsoluteAxis = 0x2;

std::string OemKeyPath(const DeviceModelProfile& profile) {
    char path[160];
    std::snprintf(path, sizeof path,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\VID_%04X&PID_%04X",
                  static_cast<unsigned>(profile.vendorId),
                  static_cast<unsigned>(profile.productId));
    return path;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
bool ParseGuid(const char* text, GUID* guid) {
    unsigned data1 = 0, data2 = 0, data3 = 0, b[8] = {};
    int consumed = 0;
    if (std::strlen(text) != 38 ||
        std::sscanf(text, "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%n", &data1, &data2, &data3,
                    &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &consumed) != 11 ||
        consumed != 38) {
        return false;
    }
    guid->Data1 = data1;
    guid->Data2 = static_cast<WORD>(data2);
    guid->Data3 = static_cast<WORD>(data3);
    for (int i = 0; i < 8; ++i) {
        guid->Data4[i] = static_cast<BYTE>(b[i]);
    }
    return true;
}

// A DIEFFECT with room for its blocks, as DirectInput builds it from the
// parameters it keeps for an effect.
struct EffectRecord {
    DIEFFECT effect = {};
    std::vector<DWORD> axes;
    std::vector<LONG> directions;
    DIENVELOPE envelope = {};
    DICONSTANTFORCE constant = {};
    DIRAMPFORCE ramp = {};
    DIPERIODIC periodic = {};

    explicit EffectRecord(const EffectSettings& settings) {
        directions = settings.directions;
        for (DWORD i = 0; i < directions.size(); ++i) {
            axes.push_back((i << 8) | kAbsoluteAxis);
        }
        effect.dwSize = sizeof effect;
        effect.dwFlags = settings.polar ? DIEFF_POLAR : DIEFF_CARTESIAN;
        effect.dwDuration = settings.durationUs;
        effect.dwGain = settings.gain;
        effect.dwTriggerButton = 0xFFFFFFFF;  // no trigger
        effect.cAxes = static_cast<DWORD>(axes.size());
        effect.rgdwAxes = axes.data();
        effect.rglDirection = directions.data();
        if (settings.envelope) {
            envelope = {sizeof envelope, settings.envelope->attackLevel,
                        settings.envelope->attackTimeUs, settings.envelope->fadeLevel,
                        settings.envelope->fadeTimeUs};
            effect.lpEnvelope = &envelope;
        }
        if (settings.typeIndex == 0) {
            constant.lMagnitude = settings.magnitude;
            effect.cbTypeSpecificParams = sizeof constant;
            effect.lpvTypeSpecificParams = &constant;
        } else if (settings.typeIndex == 1) {
            ramp = {settings.rampStart, settings.rampEnd};
            effect.cbTypeSpecificParams = sizeof ramp;
            effect.lpvTypeSpecificParams = &ramp;
        } else if (settings.typeIndex >= 2 && settings.typeIndex <= 6) {
            periodic = {settings.periodicMagnitude, settings.offset, settings.phase,
                        settings.periodUs};
            effect.cbTypeSpecificParams = sizeof periodic;
            effect.lpvTypeSpecificParams = &periodic;
        }
    }
    EffectRecord(const EffectRecord&) = delete;
    EffectRecord& operator=(const EffectRecord&) = delete;
};

StepOutcome Result(const std::string& what, HRESULT result) {
    return {what + ": " + HresultText(result), result == S_OK};
}

}  // namespace

DriverSession::~DriverSession() {
    Close();
}

bool DriverSession::Open(const SessionOptions& options, std::string* error) {
    options_ = options;
    const DeviceModelProfile& model = *options_.profile;
    simwin::Reset();
    // The playback lock is a named event shared between processes: a lab of
    // its own does not meet games or other labs on this machine.
    simwin::SetEventNamespace("rumbix-lab-" + std::to_string(getpid()));
    simwin::SetClockMode(options_.clockMode);
    simwin::SetTime(0);
    if (!ApplyRegistryFile(options_.registry, error)) {
        return false;
    }

    char path[160];
    std::snprintf(path, sizeof path,
                  "\\\\?\\hid#vid_%04x&pid_%04x#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-"
                  "001111000030}",
                  static_cast<unsigned>(model.vendorId), static_cast<unsigned>(model.productId));
    simwin::HidControllerSpec plugged;
    plugged.vendorId = model.vendorId;
    plugged.productId = model.productId;
    plugged.interfacePath = path;
    plugged.directInputInstance = {0x1AB0C0DE, 0x0001, 0x0002, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
    plugged.outputReportId = 0;
    controller_ = simwin::AddHidController(plugged);
    simwin::SetJoystick(kDevice, plugged.directInputInstance);

    module_ = LoadLibraryA(options_.modulePath.c_str());
    if (module_ == nullptr) {
        *error = "cannot load the driver module " + options_.modulePath + " (error " +
                 std::to_string(GetLastError()) + ")";
        return false;
    }
    return CreateDriver(error);
}

bool DriverSession::FindDriverClass(CLSID* clsid, std::string* error) const {
    // DirectInput learns which driver serves the device from its
    // OEMForceFeedback key.
    const std::string keyPath = OemKeyPath(*options_.profile) + "\\OEMForceFeedback";
    HKEY key = nullptr;
    char text[64] = {};
    DWORD length = sizeof text - 1;
    LSTATUS status = RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str(), &key);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(key, "CLSID", nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                                  &length);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        *error =
            "the registry names no force-feedback driver for the controller: no \"CLSID\" "
            "in HKEY_LOCAL_MACHINE\\" +
            keyPath;
        return false;
    }
    if (!ParseGuid(text, clsid)) {
        *error = std::string("the \"CLSID\" in HKEY_LOCAL_MACHINE\\") + keyPath +
                 " is not a class identifier: \"" + text + "\"";
        return false;
    }
    return true;
}

bool DriverSession::CreateDriver(std::string* error) {
    CLSID clsid;
    if (!FindDriverClass(&clsid, error)) {
        return false;
    }
    auto getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllGetClassObject")));
    if (getClassObject == nullptr) {
        *error = options_.modulePath + " does not export DllGetClassObject";
        return false;
    }
    IClassFactory* factory = nullptr;
    HRESULT result = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (result != S_OK) {
        *error = "the module has no class factory for the registered driver class: " +
                 HresultText(result);
        return false;
    }
    result = IClassFactory_CreateInstance(factory, nullptr, IID_IDirectInputEffectDriver,
                                          reinterpret_cast<void**>(&driver_));
    IClassFactory_Release(factory);
    if (result != S_OK) {
        driver_ = nullptr;
        *error = "the class factory made no driver: " + HresultText(result) +
                 " (are the twelve effect registrations in the registry?)";
        return false;
    }
    result =
        IDirectInputEffectDriver_DeviceID(driver_, kDirectInputVersion, kDevice, 1, 0, nullptr);
    if (result != S_OK) {
        *error = "the driver did not bind the controller at joystick 0: " + HresultText(result);
        return false;
    }
    startTick_ = GetTickCount();
    return true;
}

long long DriverSession::ElapsedMs() const {
    return static_cast<LONG>(GetTickCount() - startTick_);
}

DWORD DriverSession::HandleOf(const std::string& name) const {
    for (const NamedEffect& effect : effects_) {
        if (effect.name == name) {
            return effect.handle;
        }
    }
    return 0;
}

void DriverSession::Forget(const std::string& name) {
    for (auto it = effects_.begin(); it != effects_.end(); ++it) {
        if (it->name == name) {
            effects_.erase(it);
            return;
        }
    }
}

StepOutcome DriverSession::DownloadOrUpdate(const Step& step) {
    EffectRecord record(step.settings);
    DWORD handle = step.action == StepAction::Download ? 0 : HandleOf(step.effect);
    if (step.action == StepAction::Update && handle == 0) {
        return {DescribeStep(step) + ": skipped, the effect has no handle (its download failed)",
                false};
    }
    const HRESULT result = IDirectInputEffectDriver_DownloadEffect(
        driver_, kDevice, step.settings.typeIndex, &handle, &record.effect, step.flags);
    std::string what = DescribeStep(step);
    if (step.action == StepAction::Download) {
        effects_.push_back({step.effect, step.settings.typeIndex, handle});
        if (handle != 0) {
            what += ", handle " + std::to_string(handle);
        }
    }
    if (step.flags & DIEP_START) {
        what += ", started";
    }
    return Result(what, result);
}

StepOutcome DriverSession::SetDeviceValue(const char* valueName, DWORD value) {
    const std::string path = OemKeyPath(*options_.profile);
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof value);
        RegCloseKey(key);
    }
    const std::string what = std::string("\"") + valueName + "\" = " + std::to_string(value) +
                             " in the device's registry key";
    if (status != ERROR_SUCCESS) {
        return {what + ": registry error " + std::to_string(status), false};
    }
    const bool read = std::strcmp(valueName, "Rumble") != 0 || options_.profile->readsRumbleSwitch;
    return {what + (read ? " (read at the next start)" : " (this model does not read it)"), true};
}

StepOutcome DriverSession::Execute(const Step& step) {
    switch (step.action) {
        case StepAction::Download:
        case StepAction::Update:
            return DownloadOrUpdate(step);
        case StepAction::Gain:
            return Result(DescribeStep(step),
                          IDirectInputEffectDriver_SetGain(driver_, kDevice, step.value));
        case StepAction::Amplify:
            return SetDeviceValue("Amplify", step.value);
        case StepAction::Rumble:
            return SetDeviceValue("Rumble", step.value);
        case StepAction::Command: {
            const HRESULT result =
                IDirectInputEffectDriver_SendForceFeedbackCommand(driver_, kDevice, step.value);
            if (step.value == DISFFC_RESET) {
                effects_.clear();
            }
            return Result(DescribeStep(step), result);
        }
        case StepAction::Unplug:
            simwin::UnplugController(controller_);
            return {"controller unplugged", true};
        case StepAction::Replug:
            simwin::ReplugController(controller_);
            return {"controller plugged in again", true};
        case StepAction::Start:
        case StepAction::Stop:
        case StepAction::Destroy:
            break;
    }
    const DWORD handle = HandleOf(step.effect);
    if (handle == 0) {
        if (step.action == StepAction::Destroy) {
            Forget(step.effect);
        }
        return {DescribeStep(step) + ": skipped, the effect has no handle (its download failed)",
                false};
    }
    HRESULT result = S_OK;
    if (step.action == StepAction::Start) {
        result = IDirectInputEffectDriver_StartEffect(driver_, kDevice, handle,
                                                      step.solo ? DIES_SOLO : 0, step.iterations);
    } else if (step.action == StepAction::Stop) {
        result = IDirectInputEffectDriver_StopEffect(driver_, kDevice, handle);
    } else {
        result = IDirectInputEffectDriver_DestroyEffect(driver_, kDevice, handle);
        Forget(step.effect);
    }
    return Result(DescribeStep(step), result);
}

std::vector<EffectState> DriverSession::Effects() const {
    std::vector<EffectState> states;
    for (const NamedEffect& effect : effects_) {
        EffectState state{effect.name, effect.typeIndex, effect.handle, false};
        DWORD status = 0;
        if (driver_ != nullptr && effect.handle != 0 &&
            IDirectInputEffectDriver_GetEffectStatus(driver_, kDevice, effect.handle, &status) ==
                S_OK) {
            state.playing = (status & DIEGES_PLAYING) != 0;
        }
        states.push_back(state);
    }
    return states;
}

std::vector<LabReport> DriverSession::Reports() const {
    std::vector<LabReport> reports;
    for (const simwin::WrittenReport& written : simwin::WrittenReports(controller_)) {
        LabReport report;
        report.timeMs = static_cast<LONG>(written.time - startTick_);
        report.bytes = written.bytes;
        report.decoded = DecodeReport(*options_.profile, written.bytes);
        reports.push_back(std::move(report));
    }
    return reports;
}

CloseResult DriverSession::Close() {
    CloseResult result;
    if (driver_ != nullptr) {
        IDirectInputEffectDriver_Release(driver_);
        driver_ = nullptr;
    }
    effects_.clear();
    if (module_ != nullptr) {
        auto canUnloadNow = reinterpret_cast<LPFNCANUNLOADNOW>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllCanUnloadNow")));
        result.canUnload = canUnloadNow != nullptr && canUnloadNow() == S_OK;
        FreeLibrary(module_);
        module_ = nullptr;
    }
    return result;
}

}  // namespace lab
