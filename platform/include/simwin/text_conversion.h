// Narrow strings: their length and their conversion to UTF-16. The ANSI code
// page of the simulated machine is Western European (windows-1252).
#pragma once

#include "types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define ERROR_INVALID_FLAGS 1004L

extern "C" {

int WINAPI lstrlenA(LPCSTR lpString);
int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar);

}  // extern "C"
