// lstrlenA and MultiByteToWideChar. The ANSI and OEM code pages of the
// simulated machine are both windows-1252: bytes below 0x80 and from 0xA0
// are their own code points, 0x80..0x9F follow the code page's table (its
// five unassigned bytes map to the control code of the same value, as the
// platform does). CP_UTF8 is not simulated. Semantics kept:
//  - a source length of -1 converts through the terminator, which counts;
//    any other length converts exactly that many bytes, without adding one;
//  - an output size of 0 only reports the size needed;
//  - an output that is too small fails with ERROR_INSUFFICIENT_BUFFER and
//    is left untouched;
//  - MB_PRECOMPOSED with MB_COMPOSITE is ERROR_INVALID_FLAGS; with this
//    code page no character composes, so either flag alone changes nothing.
#include "simwin/kernel.h"
#include "simwin/text_conversion.h"

namespace {

constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

WCHAR FromWestern(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

}  // namespace

extern "C" {

int WINAPI lstrlenA(LPCSTR lpString) {
    if (lpString == nullptr) {
        return 0;
    }
    return static_cast<int>(std::strlen(lpString));
}

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    if (CodePage != CP_ACP && CodePage != CP_OEMCP && CodePage != CP_THREAD_ACP &&
        CodePage != 1252) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD known = MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
    if ((dwFlags & ~known) != 0 || ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && lpWideCharStr == nullptr) ||
        static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t length =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    if (length > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (cchWideChar == 0) {
        return static_cast<int>(length);
    }
    if (static_cast<size_t>(cchWideChar) < length) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (size_t i = 0; i < length; ++i) {
        lpWideCharStr[i] = FromWestern(static_cast<unsigned char>(lpMultiByteStr[i]));
    }
    return static_cast<int>(length);
}

}  // extern "C"
