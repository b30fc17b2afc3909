#include <windows.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "controller_fixture.h"

namespace {

using Bytes = std::vector<BYTE>;
using DeviceFiles = ControllerTest;

TEST_F(DeviceFiles, OpenWriteRecordAndClose) {
    simwin::ControllerId id = Plug(1);
    std::string path = PathOf(1);
    for (char& c : path) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    HANDLE device =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(device, INVALID_HANDLE_VALUE) << "paths compare without case";
    ASSERT_NE(device, nullptr);
    auto opens = simwin::Opens(id);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].access, GENERIC_READ | GENERIC_WRITE);
    EXPECT_EQ(opens[0].shareMode, static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(opens[0].disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(opens[0].flags, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(simwin::OpenHandleCount(id), 1u);

    simwin::SetTime(1234);
    const BYTE first[] = {0x02, 0xF3, 0x00, 0x7F};
    DWORD written = 99;
    EXPECT_TRUE(WriteFile(device, first, sizeof first, &written, nullptr));
    EXPECT_EQ(written, 4u);
    simwin::AdvanceTime(10);
    const BYTE second[] = {0x02, 0x00};
    EXPECT_TRUE(WriteFile(device, second, sizeof second, &written, nullptr));
    EXPECT_EQ(written, 2u);
    auto reports = simwin::WrittenReports(id);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].bytes, (Bytes{0x02, 0xF3, 0x00, 0x7F}));
    EXPECT_EQ(reports[0].time, 1234u);
    EXPECT_EQ(reports[1].bytes, (Bytes{0x02, 0x00}));
    EXPECT_EQ(reports[1].time, 1244u);
    simwin::ClearWrittenReports(id);
    EXPECT_TRUE(simwin::WrittenReports(id).empty());

    HANDLE again = Open(PathOf(1));
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_NE(again, device);
    EXPECT_EQ(simwin::OpenHandleCount(id), 2u);
    EXPECT_EQ(simwin::Opens(id).size(), 2u);

    EXPECT_TRUE(CloseHandle(device));
    EXPECT_EQ(simwin::OpenHandleCount(id), 1u);
    written = 99;
    EXPECT_FALSE(WriteFile(device, first, sizeof first, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(CloseHandle(device));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(Close(again));
    EXPECT_EQ(simwin::OpenHandleCount(id), 0u);
    EXPECT_TRUE(simwin::WrittenReports(id).empty());
}

TEST_F(DeviceFiles, RefusedOpens) {
    struct Case {
        const char* what;
        std::function<void(simwin::ControllerId)> arrange;
        const char* path;  // NULL: the controller's own
        DWORD share;
        DWORD disposition;
        DWORD error;
    };
    const DWORD both = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const Case cases[] = {
        {"unknown path", nullptr, "\\\\?\\hid#elsewhere", both, OPEN_EXISTING,
         ERROR_FILE_NOT_FOUND},
        {"empty path", nullptr, "", both, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"unplugged", simwin::UnplugController, nullptr, both, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"held elsewhere",
         [](simwin::ControllerId c) { simwin::SetHeldExclusivelyElsewhere(c, true); }, nullptr,
         both, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
        {"shares reading only", nullptr, nullptr, FILE_SHARE_READ, OPEN_EXISTING,
         ERROR_SHARING_VIOLATION},
        {"shares writing only", nullptr, nullptr, FILE_SHARE_WRITE, OPEN_EXISTING,
         ERROR_SHARING_VIOLATION},
        {"shares nothing", nullptr, nullptr, 0, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
        {"bad disposition", nullptr, nullptr, both, 0, ERROR_INVALID_PARAMETER},
        {"injected",
         [](simwin::ControllerId) { simwin::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED); },
         nullptr, both, OPEN_EXISTING, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        simwin::Reset();
        simwin::ControllerId id = Plug(1);
        if (c.arrange) {
            c.arrange(id);
        }
        const std::string path = c.path != nullptr ? c.path : PathOf(1);
        SetLastError(ERROR_SUCCESS);
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, c.share, nullptr,
                                    c.disposition, 0, nullptr);
        EXPECT_EQ(handle, INVALID_HANDLE_VALUE) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        EXPECT_TRUE(simwin::Opens(id).empty()) << c.what;
        EXPECT_EQ(simwin::OpenHandleCount(id), 0u) << c.what;
    }
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_WRITE, 3, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // The exclusive hold ends: opens work again.
    simwin::ControllerId id = Plug(2);
    simwin::SetHeldExclusivelyElsewhere(id, true);
    EXPECT_EQ(Open(PathOf(2)), INVALID_HANDLE_VALUE);
    simwin::SetHeldExclusivelyElsewhere(id, false);
    EXPECT_NE(Open(PathOf(2)), INVALID_HANDLE_VALUE);
}

TEST_F(DeviceFiles, HandlesFromBeforeAnUnplugStayDeadAfterReplug) {
    simwin::ControllerId id = Plug(1);
    simwin::ControllerId other = Plug(2);
    HANDLE old = Open(PathOf(1));
    HANDLE untouched = Open(PathOf(2));
    ASSERT_NE(old, INVALID_HANDLE_VALUE);
    const BYTE report[] = {0x00, 0x40};
    DWORD written = 99;

    simwin::UnplugController(id);
    EXPECT_FALSE(WriteFile(old, report, sizeof report, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(Open(PathOf(1)), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteFile(untouched, report, sizeof report, &written, nullptr))
        << "other controllers keep working";

    simwin::ReplugController(id);
    written = 99;
    EXPECT_FALSE(WriteFile(old, report, sizeof report, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_EQ(written, 0u);
    HANDLE fresh = Open(PathOf(1));
    ASSERT_NE(fresh, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteFile(fresh, report, sizeof report, &written, nullptr));
    EXPECT_EQ(simwin::WrittenReports(id).size(), 1u) << "only the write through the new handle";
    EXPECT_EQ(simwin::WrittenReports(other).size(), 1u);

    // A dead handle is still open until it is closed.
    EXPECT_EQ(simwin::OpenHandleCount(id), 2u);
    EXPECT_TRUE(Close(old));
    EXPECT_EQ(simwin::OpenHandleCount(id), 1u);
}

TEST_F(DeviceFiles, ArmedFailuresTransferTheirShortCount) {
    simwin::ControllerId id = Plug(1);
    HANDLE device = Open(PathOf(1));
    const BYTE report[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    struct Step {
        DWORD ok;
        DWORD error;
        DWORD written;
    };
    auto write = [&] {
        DWORD written = 99;
        SetLastError(ERROR_SUCCESS);
        const BOOL ok = WriteFile(device, report, sizeof report, &written, nullptr);
        return Step{static_cast<DWORD>(ok), ok ? 0u : GetLastError(), written};
    };

    simwin::FailNextWrites(id, 2, ERROR_GEN_FAILURE, 3);
    for (int i = 0; i < 2; ++i) {
        Step step = write();
        EXPECT_EQ(step.ok, 0u);
        EXPECT_EQ(step.error, static_cast<DWORD>(ERROR_GEN_FAILURE));
        EXPECT_EQ(step.written, 3u);
    }
    Step step = write();
    EXPECT_EQ(step.ok, 1u);
    EXPECT_EQ(step.written, 5u);
    // Nothing transferred: nothing recorded. More than the report: clipped.
    simwin::FailNextWrites(id, 1, ERROR_DEVICE_NOT_CONNECTED);
    step = write();
    EXPECT_EQ(step.error, static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_EQ(step.written, 0u);
    simwin::FailNextWrites(id, 1, ERROR_GEN_FAILURE, 50);
    step = write();
    EXPECT_EQ(step.ok, 0u);
    EXPECT_EQ(step.written, 5u);

    EXPECT_EQ(BytesOf(simwin::WrittenReports(id)),
              (std::vector<Bytes>{{1, 2, 3}, {1, 2, 3}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}}));
}

TEST_F(DeviceFiles, RefusedWritesSendNothing) {
    simwin::ControllerId id = Plug(1);
    HANDLE device = Open(PathOf(1));
    HANDLE readOnly = Open(PathOf(1), GENERIC_READ);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    handles_.push_back(event);
    const BYTE report[] = {0x00, 0x10};
    DWORD written = 0;
    struct Case {
        const char* what;
        HANDLE handle;
        const BYTE* buffer;
        DWORD size;
        DWORD* written;
        DWORD error;
    };
    const Case cases[] = {
        {"no count and no overlapped", device, report, 2, nullptr, ERROR_INVALID_PARAMETER},
        {"empty report", device, report, 0, &written, ERROR_INVALID_USER_BUFFER},
        {"no buffer", device, nullptr, 2, &written, ERROR_NOACCESS},
        {"opened for reading", readOnly, report, 2, &written, ERROR_ACCESS_DENIED},
        {"not a device file", event, report, 2, &written, ERROR_INVALID_HANDLE},
        {"invalid handle value", INVALID_HANDLE_VALUE, report, 2, &written, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        written = 99;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(WriteFile(c.handle, c.buffer, c.size, c.written, nullptr)) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        if (c.written != nullptr) {
            EXPECT_EQ(written, 0u) << c.what;
        }
    }
    simwin::FailCall("WriteFile", 1, ERROR_GEN_FAILURE);
    EXPECT_FALSE(WriteFile(device, report, 2, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_TRUE(simwin::WrittenReports(id).empty());

    // With an OVERLAPPED the count may be left out; it lands there instead.
    OVERLAPPED overlapped;
    std::memset(&overlapped, 0, sizeof overlapped);
    EXPECT_TRUE(WriteFile(device, report, 2, nullptr, &overlapped));
    EXPECT_EQ(overlapped.InternalHigh, 2u);
    EXPECT_EQ(simwin::WrittenReports(id).size(), 1u);
}

TEST_F(DeviceFiles, ResetRemovesControllersAndTheirState) {
    simwin::ControllerId id = Plug(1);
    HANDLE device = Open(PathOf(1));
    const BYTE report[] = {0x00, 0x10};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(device, report, 2, &written, nullptr));
    simwin::FailNextWrites(id, 5, ERROR_GEN_FAILURE);
    simwin::StallWrites(id, 10000);

    simwin::Reset();
    EXPECT_TRUE(simwin::WrittenReports(id).empty());
    EXPECT_TRUE(simwin::Opens(id).empty());
    EXPECT_EQ(simwin::OpenHandleCount(id), 0u);
    EXPECT_FALSE(WriteFile(device, report, 2, &written, nullptr)) << "the old handle is dead";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_EQ(Open(PathOf(1)), INVALID_HANDLE_VALUE);

    // The same controller plugged again is a new one, without the old's
    // armed failures or stall.
    simwin::ControllerId again = Plug(1);
    EXPECT_NE(again, id);
    HANDLE fresh = Open(PathOf(1));
    ASSERT_NE(fresh, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteFile(fresh, report, 2, &written, nullptr));
    EXPECT_EQ(simwin::WrittenReports(again).size(), 1u);
    EXPECT_TRUE(Close(device)) << "handles survive Reset until closed";
}

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

using DeviceFilesConcurrency = ControllerTest;

TEST_F(DeviceFilesConcurrency, AStalledWriteHoldsUpOnlyItsOwnCaller) {
    simwin::ControllerId slow = Plug(1);
    simwin::ControllerId fast = Plug(2);
    HANDLE slowDevice = Open(PathOf(1));
    HANDLE fastDevice = Open(PathOf(2));
    simwin::SetTime(500);
    simwin::StallWrites(slow, 300);

    std::atomic<bool> done{false};
    long long stalledMs = 0;
    std::thread writer([&] {
        const BYTE report[] = {0x01, 0x01};
        DWORD written = 0;
        const auto start = Clock::now();
        EXPECT_TRUE(WriteFile(slowDevice, report, 2, &written, nullptr));
        stalledMs = MsSince(start);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Meanwhile the rest of the machine answers at once.
    const auto start = Clock::now();
    const BYTE report[] = {0x02, 0x02};
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(fastDevice, report, 2, &written, nullptr));
    EXPECT_TRUE(simwin::WrittenReports(slow).empty()) << "not complete yet";
    EXPECT_EQ(simwin::WrittenReports(fast).size(), 1u);
    EXPECT_NE(Open(PathOf(1)), INVALID_HANDLE_VALUE);
    EXPECT_LT(MsSince(start), 150);
    EXPECT_FALSE(done.load());
    writer.join();
    EXPECT_GE(stalledMs, 300);
    auto reports = simwin::WrittenReports(slow);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].time, 500u);

    simwin::StallWrites(slow, 0);
    const auto unstalled = Clock::now();
    EXPECT_TRUE(WriteFile(slowDevice, report, 2, &written, nullptr));
    EXPECT_LT(MsSince(unstalled), 150);
}

TEST_F(DeviceFilesConcurrency, ConcurrentWritersLoseAndTearNoReport) {
    simwin::ControllerId shared = Plug(1);
    simwin::ControllerId toggled = Plug(2);
    constexpr int kThreads = 4;
    constexpr int kWrites = 300;
    std::vector<HANDLE> devices;
    for (int t = 0; t < kThreads; ++t) {
        devices.push_back(Open(PathOf(1)));
    }
    HANDLE toggledDevice = Open(PathOf(2));

    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kWrites; ++i) {
                const BYTE report[] = {static_cast<BYTE>(t), static_cast<BYTE>(i),
                                       static_cast<BYTE>(i >> 8), static_cast<BYTE>(t ^ i)};
                DWORD written = 0;
                EXPECT_TRUE(WriteFile(devices[t], report, sizeof report, &written, nullptr));
            }
        });
    }
    // Writes that race an unplug either go out whole or fail whole.
    std::atomic<int> toggledOk{0};
    threads.emplace_back([&] {
        while (!stop) {
            const BYTE report[] = {0xAA, 0xBB};
            DWORD written = 0;
            if (WriteFile(toggledDevice, report, 2, &written, nullptr)) {
                EXPECT_EQ(written, 2u);
                ++toggledOk;
            } else {
                EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
                EXPECT_EQ(written, 0u);
            }
        }
    });
    threads.emplace_back([&] {
        simwin::UnplugController(toggled);
        while (!stop) {
            simwin::WrittenReports(shared);
            simwin::OpenHandleCount(shared);
            HANDLE extra = CreateFileA(PathOf(1).c_str(), GENERIC_WRITE, 3, nullptr, OPEN_EXISTING,
                                       0, nullptr);
            CloseHandle(extra);
        }
    });
    for (int t = 0; t < kThreads; ++t) {
        threads[t].join();
    }
    stop = true;
    for (size_t t = kThreads; t < threads.size(); ++t) {
        threads[t].join();
    }

    auto reports = simwin::WrittenReports(shared);
    ASSERT_EQ(reports.size(), static_cast<size_t>(kThreads * kWrites));
    std::vector<int> next(kThreads, 0);
    for (const auto& r : reports) {
        ASSERT_EQ(r.bytes.size(), 4u);
        const int t = r.bytes[0];
        const int i = r.bytes[1] | (r.bytes[2] << 8);
        ASSERT_LT(t, kThreads);
        EXPECT_EQ(i, next[t]++) << "each writer's reports in its order";
        EXPECT_EQ(r.bytes[3], static_cast<BYTE>(t ^ i));
    }
    EXPECT_EQ(simwin::WrittenReports(toggled).size(), static_cast<size_t>(toggledOk.load()));
    EXPECT_EQ(simwin::OpenHandleCount(shared), static_cast<size_t>(kThreads));
}

TEST_F(DeviceFilesConcurrency, ClosingDuringWritesIsSafe) {
    simwin::ControllerId id = Plug(1);
    simwin::StallWrites(id, 20);
    HANDLE device = Open(PathOf(1));
    std::atomic<int> ok{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < 3; ++t) {
        writers.emplace_back([&] {
            for (int i = 0; i < 10; ++i) {
                const BYTE report[] = {0x01};
                DWORD written = 0;
                if (WriteFile(device, report, 1, &written, nullptr)) {
                    ++ok;
                } else {
                    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
                }
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(Close(device));
    for (auto& writer : writers) {
        writer.join();
    }
    EXPECT_EQ(simwin::OpenHandleCount(id), 0u) << "writes in flight let go of the handle";
    EXPECT_EQ(simwin::WrittenReports(id).size(), static_cast<size_t>(ok.load()));
}

}  // namespace
