// The version of the simulated Windows, as GetVersionExA reports it. Tests
// choose it with simwin::SetWindowsVersion; a fresh machine is 5.1 build
// 2600, platform VER_PLATFORM_WIN32_NT, "Service Pack 2".
#pragma once

#include "types.h"

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

typedef struct _OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
} OSVERSIONINFOEXA, *POSVERSIONINFOEXA, *LPOSVERSIONINFOEXA;

static_assert(sizeof(OSVERSIONINFOA) == 148, "version record");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record");

#define VER_NT_WORKSTATION 0x0000001

extern "C" {

// dwOSVersionInfoSize must be the size of one of the two records, else
// FALSE with ERROR_INSUFFICIENT_BUFFER.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);

}  // extern "C"
