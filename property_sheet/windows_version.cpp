#include "property_sheet/windows_version.h"

#include <cstring>

namespace {

WindowsVersionCode Windows9xCode(DWORD major, DWORD minor) {
    if (major != 4) {
        return kUnrecognisedWindows;
    }
    if (minor == 0) {
        return kWindows95;
    }
    return minor == 90 ? kWindowsMe : kWindows98;
}

WindowsVersionCode WindowsNtCode(DWORD major, DWORD minor) {
    switch (major) {
        case 3:
        case 4:
            return kWindowsNt4;
        case 5:
            return minor == 0 ? kWindows2000 : kWindowsXp;
        default:
            return kUnrecognisedWindows;
    }
}

}  // namespace

WindowsVersionCode GetWindowsVersionCode() {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) {
        return kUnrecognisedWindows;
    }
    switch (version.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
            return kWin32s;
        case VER_PLATFORM_WIN32_WINDOWS:
            return Windows9xCode(version.dwMajorVersion, version.dwMinorVersion);
        case VER_PLATFORM_WIN32_NT:
            return WindowsNtCode(version.dwMajorVersion, version.dwMinorVersion);
        default:
            return kUnrecognisedWindows;
    }
}
