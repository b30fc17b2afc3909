#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "simwin_fixture.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class Events : public SimwinTest {
  protected:
    void SetUp() override {
        SimwinTest::SetUp();
        // A namespace of this test process's own, so that runs never meet.
        simwin::SetEventNamespace("simwin-test-" + std::to_string(getpid()));
    }
    void TearDown() override {
        for (HANDLE handle : handles_) {
            CloseHandle(handle);
        }
        SimwinTest::TearDown();
    }
    HANDLE Create(BOOL manual, BOOL initial, const char* name = nullptr) {
        HANDLE handle = CreateEventA(nullptr, manual, initial, name);
        EXPECT_NE(handle, nullptr);
        handles_.push_back(handle);
        return handle;
    }
    std::vector<HANDLE> handles_;
};

TEST_F(Events, ResetModesAndInitialState) {
    struct Case {
        const char* what;
        BOOL manual;
        BOOL initial;
        std::vector<DWORD> polls;            // Wait(0) results straight after creation
        std::vector<DWORD> polls_after_set;  // ... after one SetEvent
    };
    const DWORD ok = WAIT_OBJECT_0, timeout = WAIT_TIMEOUT;
    const Case cases[] = {
        {"auto, clear", FALSE, FALSE, {timeout}, {ok, timeout}},
        {"auto, set", FALSE, TRUE, {ok, timeout}, {ok, timeout}},
        {"manual, clear", TRUE, FALSE, {timeout}, {ok, ok, ok}},
        {"manual, set", TRUE, TRUE, {ok, ok}, {ok, ok}},
    };
    for (const Case& c : cases) {
        for (const char* name : {static_cast<const char*>(nullptr), "ResetModes"}) {
            SCOPED_TRACE(std::string(c.what) + (name ? ", named" : ", unnamed"));
            HANDLE event = CreateEventA(nullptr, c.manual, c.initial, name);
            ASSERT_NE(event, nullptr);
            for (DWORD expected : c.polls) {
                EXPECT_EQ(WaitForSingleObject(event, 0), expected);
            }
            EXPECT_TRUE(SetEvent(event));
            EXPECT_TRUE(SetEvent(event));  // setting a set event changes nothing
            for (DWORD expected : c.polls_after_set) {
                EXPECT_EQ(WaitForSingleObject(event, 0), expected);
            }
            EXPECT_TRUE(ResetEvent(event));
            EXPECT_EQ(WaitForSingleObject(event, 0), timeout);
            EXPECT_TRUE(CloseHandle(event));
        }
    }
}

TEST_F(Events, BadHandlesFailWithInvalidHandle) {
    HANDLE closed = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    ASSERT_TRUE(CloseHandle(closed));
    HANDLE later = Create(FALSE, TRUE);
    EXPECT_NE(later, closed);  // handle values are not reused
    for (HANDLE bad : {closed, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE,
                       reinterpret_cast<HANDLE>(0x7777)}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(SetEvent(bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(ResetEvent(bad));
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    EXPECT_EQ(WaitForSingleObject(later, 0), WAIT_OBJECT_0);
}

TEST_F(Events, SameNameSharesOneEventUntilTheLastClose) {
    const char* name = "VID_0000&PID_0053";
    SetLastError(ERROR_GEN_FAILURE);
    HANDLE first = CreateEventA(nullptr, FALSE, FALSE, name);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    // The second creation gets the existing event; its own flags are ignored.
    HANDLE second = CreateEventA(nullptr, TRUE, TRUE, name);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(second, first);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    SetEvent(first);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);  // auto-reset, as first made it
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_TIMEOUT);

    // One handle closed: the event lives on.
    SetEvent(second);
    CloseHandle(second);
    HANDLE third = CreateEventA(nullptr, FALSE, FALSE, name);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(third, 0), WAIT_OBJECT_0);
    CloseHandle(third);
    CloseHandle(first);

    // All closed: the name starts a fresh event with the new flags.
    HANDLE fresh = Create(TRUE, TRUE, name);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_OBJECT_0);  // manual now
}

TEST_F(Events, DistinctNamesStayDistinct) {
    // Names that a careless mapping onto shared-memory names would merge.
    const std::string long_base(300, 'x');
    const std::pair<std::string, std::string> pairs[] = {
        {"a&b", "a_26b"},
        {"a&b", "a_b"},
        {"Lock", "lock"},
        {"Global\\Lock", "Global/Lock"},
        {long_base + "1", long_base + "2"},
    };
    for (const auto& [one, other] : pairs) {
        SCOPED_TRACE(one.substr(0, 20) + " / " + other.substr(0, 20));
        HANDLE a = CreateEventA(nullptr, TRUE, TRUE, one.c_str());
        ASSERT_NE(a, nullptr);
        HANDLE b = CreateEventA(nullptr, TRUE, FALSE, other.c_str());
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT);
        CloseHandle(a);
        CloseHandle(b);
    }
    // Unnamed events are never shared.
    HANDLE a = Create(TRUE, TRUE, "");
    HANDLE b = Create(TRUE, FALSE, "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT);
}

TEST_F(Events, InjectedCreateFailure) {
    simwin::FailCall("CreateEventA", 2, ERROR_ACCESS_DENIED);
    Create(FALSE, FALSE, "Faulted");
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, "Faulted"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    Create(FALSE, FALSE, "Faulted");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

// --- Threads -----------------------------------------------------------------

using EventConcurrency = Events;

TEST_F(EventConcurrency, TimeOutsRunOnRealTimeWhateverTheClock) {
    HANDLE event = Create(FALSE, FALSE, "TimeOut");
    simwin::SetTime(5);  // stepped, and nobody steps it
    auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_LT(MsSince(start), 50);
    start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 120), WAIT_TIMEOUT);
    const long long waited = MsSince(start);
    EXPECT_GE(waited, 120);
    EXPECT_LT(waited, 1000);
    EXPECT_EQ(GetTickCount(), 5u);
}

TEST_F(EventConcurrency, AutoResetReleasesOneWaiterPerSet) {
    HANDLE event = Create(FALSE, FALSE);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
            ++released;
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // all blocked
    auto released_settles_at = [&](int expected) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (released.load() < expected && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return released.load();
    };
    SetEvent(event);
    EXPECT_EQ(released_settles_at(1), 1);
    // Two quick sets release two blocked waiters, not one.
    SetEvent(event);
    SetEvent(event);
    EXPECT_EQ(released_settles_at(3), 3);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // nothing left over
    SetEvent(event);
    EXPECT_EQ(released_settles_at(4), 4);
    for (auto& waiter : waiters) {
        waiter.join();
    }
}

TEST_F(EventConcurrency, ManualSetReleasesAllWaitersEvenIfResetAtOnce) {
    HANDLE event = Create(TRUE, FALSE, "Manual");
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            EXPECT_EQ(WaitForSingleObject(event, 5000), WAIT_OBJECT_0);
            ++released;
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SetEvent(event);
    ResetEvent(event);
    for (auto& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(released.load(), 3);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST_F(EventConcurrency, ClosingAHandleDuringAWaitIsSafe) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, "ClosedWhileWaiting");
    ASSERT_NE(event, nullptr);
    DWORD result = 0;
    std::thread waiter([&] { result = WaitForSingleObject(event, 200); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(CloseHandle(event));
    waiter.join();
    EXPECT_EQ(result, WAIT_TIMEOUT);
}

// --- Another process ---------------------------------------------------------

// simwin_event_peer, spoken to line by line over its standard streams.
class Peer {
  public:
    explicit Peer(const std::string& event_name) {
        int to_child[2], from_child[2];
        if (pipe(to_child) != 0 || pipe(from_child) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, to_child[0], 0);
        posix_spawn_file_actions_adddup2(&actions, from_child[1], 1);
        posix_spawn_file_actions_addclose(&actions, to_child[1]);
        posix_spawn_file_actions_addclose(&actions, from_child[0]);
        std::string program = SIMWIN_EVENT_PEER;
        char* argv[] = {program.data(), const_cast<char*>(event_name.c_str()), nullptr};
        if (posix_spawn(&pid_, SIMWIN_EVENT_PEER, &actions, nullptr, argv, environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(to_child[0]);
        close(from_child[1]);
        in_ = to_child[1];
        out_ = from_child[0];
    }
    ~Peer() {
        if (in_ >= 0) {
            close(in_);
        }
        if (out_ >= 0) {
            close(out_);
        }
        if (pid_ > 0) {
            Exit();
        }
    }
    bool started() const { return pid_ > 0; }

    // The next line, or "" after 5 s of silence or at end of stream.
    std::string ReadLine() {
        std::string line;
        for (;;) {
            pollfd fd{out_, POLLIN, 0};
            if (poll(&fd, 1, 5000) <= 0) {
                return "";
            }
            char c;
            if (read(out_, &c, 1) != 1) {
                return "";
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
    }
    void WriteLine() { EXPECT_EQ(write(in_, "\n", 1), 1); }
    // Ends it at once: it closes nothing.
    void Kill() {
        kill(pid_, SIGKILL);
        Exit();
    }
    int Exit() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
};

using CrossProcessEventConcurrency = Events;

TEST_F(CrossProcessEventConcurrency, TwoProcessesShareAnEventAsALock) {
    const char* name = "VID_0000&PID_0053";
    HANDLE lock = Create(FALSE, TRUE, name);  // free
    Peer peer(name);
    ASSERT_TRUE(peer.started());
    EXPECT_EQ(peer.ReadLine(), "opened 1");  // inherited the namespace, found our event
    EXPECT_EQ(peer.ReadLine(), "held");
    EXPECT_EQ(WaitForSingleObject(lock, 100), WAIT_TIMEOUT);  // the peer holds it

    // Blocked here, released by the peer's SetEvent.
    DWORD result = 0;
    long long waited = 0;
    std::thread waiter([&] {
        const auto start = Clock::now();
        result = WaitForSingleObject(lock, 5000);
        waited = MsSince(start);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    peer.WriteLine();
    waiter.join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_LT(waited, 2000);
    EXPECT_EQ(peer.Exit(), 0);
    EXPECT_EQ(WaitForSingleObject(lock, 0), WAIT_TIMEOUT);  // we hold it now
}

TEST_F(CrossProcessEventConcurrency, TheLastCloseInAnyProcessEndsTheEvent) {
    const char* name = "Shared\\Lifetime";
    Peer peer(name);
    ASSERT_TRUE(peer.started());
    EXPECT_EQ(peer.ReadLine(), "opened 0");  // the peer created it, signalled
    EXPECT_EQ(peer.ReadLine(), "held");

    HANDLE ours = CreateEventA(nullptr, TRUE, TRUE, name);
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(ours, 0), WAIT_TIMEOUT);
    CloseHandle(ours);  // the peer's handle keeps it alive

    ours = CreateEventA(nullptr, TRUE, FALSE, name);
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    peer.WriteLine();
    EXPECT_EQ(peer.Exit(), 0);
    EXPECT_EQ(WaitForSingleObject(ours, 0), WAIT_OBJECT_0);  // the peer's SetEvent
    EXPECT_EQ(WaitForSingleObject(ours, 0), WAIT_TIMEOUT);   // still auto-reset
    CloseHandle(ours);

    HANDLE fresh = Create(TRUE, FALSE, name);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_TIMEOUT);
}

TEST_F(CrossProcessEventConcurrency, AKilledProcessHoldsNoHandles) {
    const char* name = "Shared\\Killed";
    Peer peer(name);
    ASSERT_TRUE(peer.started());
    EXPECT_EQ(peer.ReadLine(), "opened 0");
    EXPECT_EQ(peer.ReadLine(), "held");
    HANDLE ours = CreateEventA(nullptr, FALSE, TRUE, name);
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    peer.Kill();
    EXPECT_EQ(WaitForSingleObject(ours, 0), WAIT_TIMEOUT) << "our handle keeps it as it was left";
    CloseHandle(ours);
    HANDLE fresh = Create(FALSE, TRUE, name);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "ours was the last live handle";
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_OBJECT_0);

    // A process that dies as the only holder leaves nothing behind either.
    Peer alone("Shared\\KilledAlone");
    ASSERT_TRUE(alone.started());
    EXPECT_EQ(alone.ReadLine(), "opened 0");
    EXPECT_EQ(alone.ReadLine(), "held");
    alone.Kill();
    Create(FALSE, TRUE, "Shared\\KilledAlone");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

}  // namespace
