// GetVersionExA answers the version tests chose with SetWindowsVersion
// (Reset brings back 5.1 build 2600, NT platform, Service Pack 2). Both the
// plain and the extended record are filled according to
// dwOSVersionInfoSize; any other size fails with ERROR_INSUFFICIENT_BUFFER,
// as on the platform. The chosen version is guarded by a mutex.
#include <mutex>

#include "faults.h"
#include "kernel_extras_internal.h"
#include "simwin/control_system.h"
#include "simwin/kernel.h"
#include "simwin/version_info.h"

namespace simwin::detail {
namespace {

std::mutex g_mutex;
auto* g_version = new WindowsVersion;  // never destroyed: may be asked at exit

}  // namespace

void ResetWindowsVersion() {
    std::lock_guard<std::mutex> lock(g_mutex);
    *g_version = WindowsVersion{};
}

}  // namespace simwin::detail

void simwin::SetWindowsVersion(const WindowsVersion& version) {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    *detail::g_version = version;
}

extern "C" BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("GetVersionExA", &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (lpVersionInformation == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    simwin::WindowsVersion version;
    {
        std::lock_guard<std::mutex> lock(simwin::detail::g_mutex);
        version = *simwin::detail::g_version;
    }
    lpVersionInformation->dwMajorVersion = version.major;
    lpVersionInformation->dwMinorVersion = version.minor;
    lpVersionInformation->dwBuildNumber = version.build;
    lpVersionInformation->dwPlatformId = version.platformId;
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof(lpVersionInformation->szCSDVersion));
    version.servicePack.copy(lpVersionInformation->szCSDVersion,
                             sizeof(lpVersionInformation->szCSDVersion) - 1);
    if (size == sizeof(OSVERSIONINFOEXA)) {
        auto* extended = reinterpret_cast<LPOSVERSIONINFOEXA>(lpVersionInformation);
        extended->wServicePackMajor = version.servicePackMajor;
        extended->wServicePackMinor = version.servicePackMinor;
        extended->wSuiteMask = 0;
        extended->wProductType = VER_NT_WORKSTATION;
        extended->wReserved = 0;
    }
    return TRUE;
}
