#include <windows.h>

#include <thread>
#include <vector>

#include "simwin/effect_driver_interface.h"
#include "simwin_fixture.h"

namespace {

using KernelBasics = SimwinTest;

TEST_F(KernelBasics, LastErrorBelongsToEachThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seen_by_other = 0xFFFF;
    std::thread other([&] {
        seen_by_other = GetLastError();
        SetLastError(ERROR_GEN_FAILURE);
    });
    other.join();
    EXPECT_EQ(seen_by_other, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(KernelBasics, InterlockedReturnValues) {
    LONG volatile value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedDecrement(&value), 4);
    EXPECT_EQ(InterlockedExchange(&value, -7), 4);  // the value before
    EXPECT_EQ(value, -7);
    EXPECT_EQ(InterlockedCompareExchange(&value, 10, 3), -7);  // no match: unchanged
    EXPECT_EQ(value, -7);
    EXPECT_EQ(InterlockedCompareExchange(&value, 10, -7), -7);  // match: swapped
    EXPECT_EQ(value, 10);
    value = 0x7FFFFFFF;
    EXPECT_EQ(InterlockedIncrement(&value), static_cast<LONG>(0x80000000u));  // wraps
}

using KernelBasicsConcurrency = SimwinTest;

TEST_F(KernelBasicsConcurrency, InterlockedCountersLoseNoUpdate) {
    LONG volatile counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                InterlockedIncrement(&counter);
                InterlockedIncrement(&counter);
                InterlockedDecrement(&counter);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, 40000);
}

TEST_F(KernelBasics, HeapBlocksAreZeroedCountedAndFreedOnce) {
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    const size_t before = simwin::LiveAllocations();
    auto* block = static_cast<unsigned char*>(HeapAlloc(heap, 0, 64));
    void* empty = HeapAlloc(heap, HEAP_ZERO_MEMORY, 0);
    ASSERT_NE(block, nullptr);
    ASSERT_NE(empty, nullptr);
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(block[i], 0) << i;
    }
    EXPECT_EQ(simwin::LiveAllocations(), before + 2);

    EXPECT_TRUE(HeapFree(heap, 0, block));
    EXPECT_FALSE(HeapFree(heap, 0, block));  // twice: refused, nothing corrupted
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    int not_from_heap = 0;
    EXPECT_FALSE(HeapFree(heap, 0, &not_from_heap));
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
    EXPECT_FALSE(HeapFree(reinterpret_cast<HANDLE>(0x10), 0, empty));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(HeapFree(heap, 0, empty));
    EXPECT_EQ(simwin::LiveAllocations(), before);
}

TEST_F(KernelBasics, FailAllocationHitsExactlyTheNthCall) {
    HANDLE heap = GetProcessHeap();
    simwin::FailAllocation(2);
    void* first = HeapAlloc(heap, 0, 8);
    SetLastError(ERROR_SUCCESS);
    void* second = HeapAlloc(heap, 0, 8);
    const DWORD error = GetLastError();
    void* third = HeapAlloc(heap, 0, 8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_NE(third, nullptr);
    HeapFree(heap, 0, first);
    HeapFree(heap, 0, third);

    // Disarmed by ClearFaults and by Reset.
    simwin::FailAllocation(1);
    simwin::ClearFaults();
    void* kept = HeapAlloc(heap, 0, 8);
    EXPECT_NE(kept, nullptr);
    HeapFree(heap, 0, kept);
    simwin::FailAllocation(1);
    simwin::Reset();
    kept = HeapAlloc(heap, 0, 8);
    EXPECT_NE(kept, nullptr);
    HeapFree(heap, 0, kept);
}

TEST_F(KernelBasics, FaultsForOneFunctionCountIndependently) {
    // Armed: the 1st and 3rd RegOpenKeyA from now; other functions' calls
    // do not count.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "K", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    simwin::FailCall("RegOpenKeyA", 3, ERROR_GEN_FAILURE);
    simwin::FailCall("RegOpenKeyA", 1, ERROR_ACCESS_DENIED);
    simwin::FailCall("RegOpenKeyA", 0, ERROR_ACCESS_DENIED);  // arms nothing
    const DWORD unused = 0;
    RegSetValueExA(HKEY_CURRENT_USER, "x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&unused), 4);

    std::vector<LSTATUS> results;
    for (int i = 0; i < 4; ++i) {
        results.push_back(RegOpenKeyA(HKEY_CURRENT_USER, "K", &key));
        if (results.back() == ERROR_SUCCESS) {
            RegCloseKey(key);
        }
    }
    EXPECT_EQ(results, (std::vector<LSTATUS>{ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_GEN_FAILURE,
                                             ERROR_SUCCESS}));
}

TEST_F(KernelBasics, InterfaceIdentifiers) {
    struct Case {
        const IID* iid;
        GUID expected;
    };
    const Case cases[] = {
        {&IID_IUnknown, {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}},
        {&IID_IClassFactory, {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}},
        {&IID_IDirectInputEffectDriver,
         {0x02538130, 0x898F, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(IsEqualGUID(*c.iid, c.expected)) << std::hex << c.expected.Data1;
    }
}

}  // namespace
