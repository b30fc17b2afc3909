#include "fuzz/machine_setup.h"

#include <cstdio>
#include <cstdlib>

namespace fuzz {

std::string EffectRegistrationPath(const ModelConstants& model, unsigned position) {
    char path[256];
    std::snprintf(path, sizeof path,
                  "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\VID_%04X&PID_%04X\\OEMForceFeedback\\Effects\\"
                  "{13541C2%X-8E33-11D0-9AD0-00A0C9A06E35}",
                  model.vendorId, model.productId, position);
    return path;
}

void InstallEffectRegistrations(const ModelConstants& model, DWORD skipped) {
    for (unsigned position = 0; position < 12; ++position) {
        if ((skipped >> position) & 1) {
            continue;
        }
        const DWORD attributes[5] = {position, 0x1 + position, 0xFF, 0xFF, 0x30};
        const BYTE* bytes = reinterpret_cast<const BYTE*>(attributes);
        SetMachineValue(EffectRegistrationPath(model, position), "Attributes", REG_BINARY,
                        std::vector<BYTE>(bytes, bytes + sizeof attributes));
    }
}

PluggedController PlugController(const ModelConstants& model, unsigned n, UINT joystickId,
                                 BYTE outputReportId) {
    GUID instance = {0x6A000000u + n, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
    char path[160];
    std::snprintf(path, sizeof path,
                  "\\\\?\\hid#vid_%04x&pid_%04x#7&%u&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  model.vendorId, model.productId, n);
    simwin::HidControllerSpec description;
    description.vendorId = model.vendorId;
    description.productId = model.productId;
    description.interfacePath = path;
    description.directInputInstance = instance;
    description.outputReportId = outputReportId;
    simwin::ControllerId id = simwin::AddHidController(description);
    if (joystickId < 16) {
        simwin::SetJoystick(joystickId, instance);
    }
    return {id, instance};
}

std::string OemKeyPath(const ModelConstants& model) {
    char path[256];
    std::snprintf(path, sizeof path,
                  "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\VID_%04X&PID_%04X",
                  model.vendorId, model.productId);
    return path;
}

void SetMachineValue(const std::string& keyPath, const char* name, DWORD type,
                     const std::vector<BYTE>& bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str(), &key) != ERROR_SUCCESS) {
        std::abort();
    }
    RegSetValueExA(key, name, 0, type, bytes.empty() ? nullptr : bytes.data(),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

void SetOemValue(const ModelConstants& model, const char* name, DWORD type,
                 const std::vector<BYTE>& bytes) {
    SetMachineValue(OemKeyPath(model), name, type, bytes);
}

void DeleteOemValue(const ModelConstants& model, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, OemKeyPath(model).c_str(), &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
}

}  // namespace fuzz
