// Fault injection: a list of armed faults, each a function name, the number
// of that function's calls still to let through, and the error to report.
// Armed faults survive until they fire or until ClearFaults/Reset; a count of
// 0 arms nothing. One mutex guards the list; it is never held while the
// failing function runs.
#include "faults.h"

#include <map>
#include <mutex>
#include <vector>

#include "simwin/control.h"

namespace simwin::detail {
namespace {

struct ArmedFault {
    std::string function;
    unsigned remaining;  // calls until it fires; 1 = the next call
    DWORD error;
};

std::mutex g_mutex;
std::vector<ArmedFault> g_faults;
// Calls of each function that can be made to fail, so that a test can learn
// which failures an operation could meet before arming them one by one.
std::map<std::string, unsigned> g_calls;

}  // namespace

bool ShouldFail(const char* function, DWORD* error) {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls[function];
    bool fails = false;
    for (auto it = g_faults.begin(); it != g_faults.end();) {
        if (it->function == function && --it->remaining == 0) {
            // Two faults due on the same call: the first armed one reports.
            if (!fails) {
                *error = it->error;
                fails = true;
            }
            it = g_faults.erase(it);
        } else {
            ++it;
        }
    }
    return fails;
}

void ArmFault(const std::string& function, unsigned nth, DWORD error) {
    if (nth == 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_faults.push_back({function, nth, error});
}

void ClearAllFaults() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_faults.clear();
}

}  // namespace simwin::detail

namespace simwin {

void FailCall(const std::string& function, unsigned nth, DWORD error) {
    detail::ArmFault(function, nth, error);
}

void FailAllocation(unsigned nth) {
    detail::ArmFault("HeapAlloc", nth, ERROR_NOT_ENOUGH_MEMORY);
}

void ClearFaults() {
    detail::ClearAllFaults();
}

std::map<std::string, unsigned> FaultPointCalls() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    return detail::g_calls;
}

void ResetFaultPointCalls() {
    std::lock_guard<std::mutex> lock(detail::g_mutex);
    detail::g_calls.clear();
}

}  // namespace simwin
