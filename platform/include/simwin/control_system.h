// The control panel of the simulated machine's system facts, for tests:
// memory that pointer checks must find bad, the Windows version, and the
// counts of critical sections alive and registry keys open.
#pragma once

#include <cstddef>
#include <string>

#include "types.h"

namespace simwin {

// Declares [start, start + bytes) bad: unreadable memory fails both
// IsBadReadPtr and IsBadWritePtr, unwritable memory only IsBadWritePtr.
void DeclareUnreadable(const void* start, size_t bytes);
void DeclareUnwritable(const void* start, size_t bytes);
void ClearDeclaredMemory();

struct WindowsVersion {
    DWORD major = 5;
    DWORD minor = 1;
    DWORD build = 2600;
    DWORD platformId = 2;  // VER_PLATFORM_WIN32_NT
    std::string servicePack = "Service Pack 2";
    WORD servicePackMajor = 2;
    WORD servicePackMinor = 0;
};
void SetWindowsVersion(const WindowsVersion& version);

// Critical sections initialised and not yet deleted.
size_t LiveCriticalSections();

// Registry key handles opened or created and not yet closed (predefined
// roots are not counted). Reset leaves open handles open, so tests compare
// against the count they started with.
size_t OpenRegistryKeys();
// Changes to the registry since Reset: keys made (by RegCreateKeyA, one per
// key of the path that was missing), values set, values and keys deleted.
size_t RegistryChanges();

}  // namespace simwin
