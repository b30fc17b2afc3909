// The handles that processes hold on one named kernel object, counted per
// process inside the object's shared state. The system closes every handle
// of a process that ends, however it ends; a killed process runs no code of
// the simulated machine, so here its count simply stops counting the next
// time any process opens or closes the object. A named object is gone once
// no living process holds a handle on it, as on the system.
// Every member is called with the object's state lock held.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace simwin::detail {

class ProcessHandleCounts {
  public:
    void Clear() {
        std::memset(pid_, 0, sizeof pid_);
        std::memset(handles_, 0, sizeof handles_);
    }

    // One more handle of this process; false when the table has no room.
    bool Add() {
        const int32_t self = static_cast<int32_t>(getpid());
        int free = -1;
        for (int i = 0; i < kProcesses; ++i) {
            if (handles_[i] != 0 && pid_[i] == self) {
                ++handles_[i];
                return true;
            }
            if (free < 0 && (handles_[i] == 0 || !Alive(pid_[i]))) {
                free = i;
            }
        }
        if (free < 0) {
            return false;
        }
        pid_[free] = self;
        handles_[free] = 1;
        return true;
    }

    // One handle of this process fewer.
    void Remove() {
        const int32_t self = static_cast<int32_t>(getpid());
        for (int i = 0; i < kProcesses; ++i) {
            if (handles_[i] != 0 && pid_[i] == self) {
                --handles_[i];
                return;
            }
        }
    }

    // Whether a living process still holds a handle; the dead are forgotten.
    bool AnyAlive() {
        bool any = false;
        for (int i = 0; i < kProcesses; ++i) {
            if (handles_[i] != 0 && !Alive(pid_[i])) {
                handles_[i] = 0;
            }
            any = any || handles_[i] != 0;
        }
        return any;
    }

  private:
    static constexpr int kProcesses = 64;

    // A process that has ended but is not yet reaped (a zombie) holds no
    // handles any more.
    static bool Alive(int32_t pid) {
        if (pid == static_cast<int32_t>(getpid())) {
            return true;
        }
        if (kill(pid, 0) != 0 && errno != EPERM) {
            return false;
        }
        char path[32];
        std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
        FILE* stat = std::fopen(path, "r");
        if (stat == nullptr) {
            return true;  // no way to look closer: it exists
        }
        char line[512] = {};
        const size_t got = std::fread(line, 1, sizeof line - 1, stat);
        std::fclose(stat);
        line[got] = '\0';
        const char* end = std::strrchr(line, ')');  // the name may hold anything
        return end == nullptr || end[1] != ' ' || (end[2] != 'Z' && end[2] != 'X');
    }

    int32_t pid_[kProcesses];
    uint32_t handles_[kProcesses];
};

}  // namespace simwin::detail
