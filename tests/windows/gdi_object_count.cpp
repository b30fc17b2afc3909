#include "gdi_object_count.h"

#include <windows.h>
#include <winternl.h>

namespace windows_test {
namespace {

// One entry of the process's GDI handle table, in the x64 layout: the
// object's kernel address, its owner, the handle's upper word, the object
// type (0 while the entry is free) and the user-side pointer.
struct GdiHandleEntry {
    ULONGLONG kernelObject;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    ULONGLONG userObject;
};
static_assert(sizeof(GdiHandleEntry) == 24, "x64 layout of a GDI handle table entry");

constexpr size_t kGdiHandleTableEntries = 0x10000;
// Where the x64 process environment block keeps the table's address.
constexpr size_t kGdiHandleTableOffset = 0xF8;

size_t EntriesInUse() {
    PROCESS_BASIC_INFORMATION process = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process,
                                  sizeof process, nullptr) != 0) {
        return 0;
    }
    const auto* environment = reinterpret_cast<const BYTE*>(process.PebBaseAddress);
    const auto* table =
        *reinterpret_cast<const GdiHandleEntry* const*>(environment + kGdiHandleTableOffset);
    if (table == nullptr) {
        return 0;
    }
    size_t inUse = 0;
    for (size_t i = 0; i < kGdiHandleTableEntries; ++i) {
        if (table[i].type != 0) {
            ++inUse;
        }
    }
    return inUse;
}

}  // namespace

size_t LiveGdiObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return counted != 0 ? counted : EntriesInUse();
}

}  // namespace windows_test
