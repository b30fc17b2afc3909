#include <windows.h>

#include <thread>
#include <vector>

#include "simwin/control_system.h"
#include "simwin_fixture.h"

namespace {

using KernelExtras = SimwinTest;

TEST_F(KernelExtras, LocalBlocksAreZeroedCountedAndFaultable) {
    const size_t before = simwin::LiveAllocations();
    auto* block = static_cast<unsigned char*>(LocalAlloc(LMEM_ZEROINIT, 128));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 128; ++i) {
        ASSERT_EQ(block[i], 0) << i;
    }
    EXPECT_EQ(simwin::LiveAllocations(), before + 1);
    EXPECT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(simwin::LiveAllocations(), before);
    EXPECT_EQ(LocalFree(block), block);  // twice: refused, handed back
    EXPECT_EQ(LocalFree(nullptr), nullptr);

    simwin::FailAllocation(1);
    EXPECT_EQ(LocalAlloc(LPTR, 16), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    simwin::FailCall("LocalAlloc", 2, ERROR_ACCESS_DENIED);
    void* first = LocalAlloc(LPTR, 16);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(LocalAlloc(LPTR, 16), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    LocalFree(first);
    EXPECT_EQ(LocalAlloc(LMEM_MOVEABLE, 16), nullptr);  // handles that need locking: not simulated
    EXPECT_EQ(simwin::LiveAllocations(), before);
}

TEST_F(KernelExtras, MultiByteToWideCharConvertsTheWesternCodePage) {
    // The control panel's caption conversion: length from lstrlenA, so no
    // terminator is copied and the zero-filled buffer ends the text.
    const char* name = "Gamepad \x80\xE9";
    WCHAR caption[64] = {};
    const int length = lstrlenA(name);
    EXPECT_EQ(length, 10);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name, length, caption, 64), 10);
    const WCHAR expected[] = {'G', 'a', 'm', 'e', 'p', 'a', 'd', ' ', 0x20AC, 0x00E9, 0};
    EXPECT_EQ(std::memcmp(caption, expected, sizeof(expected)), 0);
    EXPECT_EQ(lstrlenA(nullptr), 0);

    struct Case {
        const char* what;
        UINT codePage;
        DWORD flags;
        const char* source;
        int sourceLength;
        int outputSize;
        int result;
        DWORD error;
    };
    const Case cases[] = {
        {"size query counts the terminator", CP_ACP, MB_PRECOMPOSED, "abc", -1, 0, 4, 0},
        {"explicit length without terminator", CP_ACP, 0, "abc", 3, 0, 3, 0},
        {"output too small", CP_ACP, 0, "abcdef", -1, 3, 0, ERROR_INSUFFICIENT_BUFFER},
        {"empty source", CP_ACP, 0, "", 0, 8, 0, ERROR_INVALID_PARAMETER},
        {"null source", CP_ACP, 0, nullptr, 3, 8, 0, ERROR_INVALID_PARAMETER},
        {"conflicting flags", CP_ACP, MB_PRECOMPOSED | MB_COMPOSITE, "a", 1, 8, 0,
         ERROR_INVALID_FLAGS},
        {"code page not simulated", CP_UTF8, 0, "a", 1, 8, 0, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        WCHAR output[8] = {0x7777, 0x7777, 0x7777, 0x7777, 0x7777, 0x7777, 0x7777, 0x7777};
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(c.codePage, c.flags, c.source, c.sourceLength,
                                      c.outputSize == 0 ? nullptr : output, c.outputSize),
                  c.result)
            << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(output[0], 0x7777) << c.what << ": a failed call writes nothing";
        }
    }
}

TEST_F(KernelExtras, PointerChecksFindDeclaredAndReservedMemoryBad) {
    char block[64] = {};
    simwin::DeclareUnreadable(block + 32, 8);
    simwin::DeclareUnwritable(block + 48, 8);
    struct Case {
        const void* address;
        UINT_PTR size;
        BOOL badRead;
        BOOL badWrite;
    };
    const Case cases[] = {
        {block, 32, FALSE, FALSE},                         // ordinary memory
        {block, 33, TRUE, TRUE},                           // reaches into unreadable bytes
        {block + 39, 1, TRUE, TRUE},                       // last unreadable byte
        {block + 40, 8, FALSE, FALSE},                     // between the two ranges
        {block + 50, 2, FALSE, TRUE},                      // read-only
        {nullptr, 4, TRUE, TRUE},                          // NULL
        {nullptr, 0, FALSE, FALSE},                        // size 0 is never bad
        {block + 32, 0, FALSE, FALSE},                     // not even inside a bad range
        {reinterpret_cast<void*>(0x8000), 4, TRUE, TRUE},  // reserved low memory
        {reinterpret_cast<void*>(~uintptr_t{0} - 2), 8, TRUE, TRUE},  // wraps around
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsBadReadPtr(c.address, c.size), c.badRead) << c.address << " " << c.size;
        EXPECT_EQ(IsBadWritePtr(const_cast<void*>(c.address), c.size), c.badWrite)
            << c.address << " " << c.size;
    }
    simwin::Reset();
    EXPECT_FALSE(IsBadReadPtr(block + 32, 8));
}

TEST_F(KernelExtras, CriticalSectionsAreRecursiveAndCounted) {
    const size_t before = simwin::LiveCriticalSections();
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EXPECT_EQ(simwin::LiveCriticalSections(), before + 1);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);  // recursive on the owning thread
    EXPECT_EQ(section.RecursionCount, 2);
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = TryEnterCriticalSection(&section) != FALSE; }).join();
    EXPECT_FALSE(otherGotIt);
    LeaveCriticalSection(&section);
    std::thread([&] { otherGotIt = TryEnterCriticalSection(&section) != FALSE; }).join();
    EXPECT_FALSE(otherGotIt) << "one Leave of two Enters keeps it held";
    LeaveCriticalSection(&section);
    std::thread([&] {
        otherGotIt = TryEnterCriticalSection(&section) != FALSE;
        if (otherGotIt) {
            LeaveCriticalSection(&section);
        }
    }).join();
    EXPECT_TRUE(otherGotIt);
    LeaveCriticalSection(&section);  // not the owner: ignored
    DeleteCriticalSection(&section);
    EXPECT_EQ(simwin::LiveCriticalSections(), before);
}

using KernelExtrasConcurrency = SimwinTest;

TEST_F(KernelExtrasConcurrency, CriticalSectionExcludesOtherThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                EnterCriticalSection(&section);
                EnterCriticalSection(&section);
                ++counter;
                LeaveCriticalSection(&section);
                LeaveCriticalSection(&section);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, 20000);
    DeleteCriticalSection(&section);
}

TEST_F(KernelExtras, GetVersionExAnswersTheChosenVersion) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwBuildNumber, 2600u);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 2");

    simwin::WindowsVersion chosen;
    chosen.major = 6;
    chosen.minor = 0;
    chosen.build = 6002;
    chosen.servicePack = "";
    chosen.servicePackMajor = 0;
    simwin::SetWindowsVersion(chosen);
    OSVERSIONINFOEXA extended = {};
    extended.dwOSVersionInfoSize = sizeof(extended);
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&extended)));
    EXPECT_EQ(extended.dwMajorVersion, 6u);
    EXPECT_EQ(extended.dwBuildNumber, 6002u);
    EXPECT_EQ(extended.wServicePackMajor, 0);
    EXPECT_EQ(extended.wProductType, VER_NT_WORKSTATION);

    info.dwOSVersionInfoSize = sizeof(info) - 1;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    simwin::Reset();
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u);
}

}  // namespace
