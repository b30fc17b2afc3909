#include "support/effect_registrations_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>

namespace test_support {

std::string EffectRegistrationPath(WORD vendorId, WORD productId, unsigned position) {
    char path[256];
    std::snprintf(path, sizeof path,
                  "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
                  "Joystick\\OEM\\VID_%04X&PID_%04X\\OEMForceFeedback\\Effects\\"
                  "{13541C2%X-8E33-11D0-9AD0-00A0C9A06E35}",
                  vendorId, productId, position);
    return path;
}

void InstallEffectRegistrations(WORD vendorId, WORD productId,
                                std::initializer_list<unsigned> skipped) {
    for (unsigned position = 0; position < 12; ++position) {
        if (std::find(skipped.begin(), skipped.end(), position) != skipped.end()) {
            continue;
        }
        HKEY key = nullptr;
        std::string path = EffectRegistrationPath(vendorId, productId, position);
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) {
            std::abort();
        }
        const DWORD attributes[5] = {position, 0x1 + position, 0xFF, 0xFF, 0x30};
        RegSetValueExA(key, "Attributes", 0, REG_BINARY, reinterpret_cast<const BYTE*>(attributes),
                       sizeof attributes);
        RegCloseKey(key);
    }
}

}  // namespace test_support
