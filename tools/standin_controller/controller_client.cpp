// The user-mode side of the stand-in controllers: the module's service in the
// runtime's service manager, and the control channel.
#include "tools/standin_controller/controller_client.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "tools/standin_controller/controller_path.h"

namespace standin {
namespace {

// How long a start may take in all, and how often the runtime is asked
// meanwhile.
constexpr DWORD kStartBudgetMs = 30000;
constexpr DWORD kPollMs = 20;

HANDLE OpenControlDevice() {
    return CreateFileA(kControlDevicePath, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool ControlDeviceAnswers() {
    HANDLE handle = OpenControlDevice();
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(handle);
    return true;
}

// Closes a service manager handle at the end of a scope.
class ServiceHandle {
  public:
    explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceHandle() {
        if (handle_ != nullptr) {
            CloseServiceHandle(handle_);
        }
    }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    SC_HANDLE get() const { return handle_; }

  private:
    SC_HANDLE handle_;
};

// The service registration pointing at `imagePath`, created or updated.
DWORD RegisterService(SC_HANDLE manager, const char* imagePath, SC_HANDLE* service) {
    *service = OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS);
    if (*service != nullptr) {
        if (!ChangeServiceConfigA(*service, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                  SERVICE_ERROR_IGNORE, imagePath, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, kServiceName)) {
            return GetLastError();
        }
        return ERROR_SUCCESS;
    }
    if (GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST) {
        return GetLastError();
    }
    *service = CreateServiceA(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                              SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                              imagePath, nullptr, nullptr, nullptr, nullptr, nullptr);
    return *service != nullptr ? ERROR_SUCCESS : GetLastError();
}

// The names of the services the runtime starts on its own at its start.
std::vector<std::string> AutoStartServices(SC_HANDLE manager) {
    std::vector<std::string> names;
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    EnumServicesStatusA(manager, SERVICE_DRIVER | SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0,
                        &needed, &count, &resume);
    if (GetLastError() != ERROR_MORE_DATA || needed == 0) {
        return names;
    }
    std::vector<char> buffer(needed);
    auto* services = reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data());
    resume = 0;
    if (!EnumServicesStatusA(manager, SERVICE_DRIVER | SERVICE_WIN32, SERVICE_STATE_ALL, services,
                             needed, &needed, &count, &resume)) {
        return names;
    }
    for (DWORD i = 0; i < count; ++i) {
        ServiceHandle service(
            OpenServiceA(manager, services[i].lpServiceName, SERVICE_QUERY_CONFIG));
        DWORD size = 0;
        if (service.get() == nullptr) {
            continue;
        }
        QueryServiceConfigA(service.get(), nullptr, 0, &size);
        std::vector<char> config(size > 0 ? size : 1);
        auto* record = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(config.data());
        if (size > 0 && QueryServiceConfigA(service.get(), record, size, &size) &&
            record->dwStartType <= SERVICE_AUTO_START) {
            names.push_back(services[i].lpServiceName);
        }
    }
    return names;
}

bool AllRunning(SC_HANDLE manager, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        ServiceHandle service(OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS));
        SERVICE_STATUS status;
        if (service.get() == nullptr || !QueryServiceStatus(service.get(), &status) ||
            status.dwCurrentState != SERVICE_RUNNING) {
            return false;
        }
    }
    return true;
}

// Waits, within the start's budget, until the runtime has started its own
// services. A fresh runtime starts them (plug and play, its bus drivers)
// in the background once its first start is over; a kernel driver started
// while that runs can leave the runtime's device host unable to take the
// new service, and the start times out or finds the service database
// locked. A service of the runtime that never comes up costs the budget,
// not the start: the start is tried afterwards all the same.
void WaitForRuntimeStart(SC_HANDLE manager, DWORD begin) {
    const std::vector<std::string> names = AutoStartServices(manager);
    while (!AllRunning(manager, names) && GetTickCount() - begin < kStartBudgetMs / 2) {
        Sleep(kPollMs);
    }
}

// The errors with which the service manager turns a start away while the
// runtime is busy with its own; asking again later succeeds.
bool IsBusyRuntime(DWORD error) {
    return error == ERROR_SERVICE_REQUEST_TIMEOUT || error == ERROR_SERVICE_DATABASE_LOCKED;
}

}  // namespace

DWORD StartControllerModule(const char* modulePath) {
    char imagePath[MAX_PATH];
    const DWORD length = GetFullPathNameA(modulePath, MAX_PATH, imagePath, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
    }
    if (GetFileAttributesA(imagePath) == INVALID_FILE_ATTRIBUTES) {
        return GetLastError();
    }
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (manager.get() == nullptr) {
        return GetLastError();
    }
    const DWORD begin = GetTickCount();
    WaitForRuntimeStart(manager.get(), begin);
    SC_HANDLE rawService = nullptr;
    DWORD registered = RegisterService(manager.get(), imagePath, &rawService);
    while (IsBusyRuntime(registered) && GetTickCount() - begin < kStartBudgetMs) {
        if (rawService != nullptr) {
            CloseServiceHandle(rawService);
            rawService = nullptr;
        }
        Sleep(kPollMs);
        registered = RegisterService(manager.get(), imagePath, &rawService);
    }
    ServiceHandle service(rawService);
    if (registered != ERROR_SUCCESS) {
        return registered;
    }
    DWORD error = ERROR_SUCCESS;
    if (!StartServiceA(service.get(), 0, nullptr)) {
        error = GetLastError();
        if (error == ERROR_SERVICE_ALREADY_RUNNING) {
            error = ERROR_SUCCESS;
        }
    }
    // A start the service manager gave up on may still have loaded the
    // module, and one it reported may not have made the device yet: the
    // control device decides.
    while (!ControlDeviceAnswers()) {
        if (error != ERROR_SUCCESS && !IsBusyRuntime(error)) {
            return error;
        }
        if (GetTickCount() - begin >= kStartBudgetMs) {
            return error != ERROR_SUCCESS ? error : ERROR_SERVICE_REQUEST_TIMEOUT;
        }
        if (IsBusyRuntime(error)) {
            if (StartServiceA(service.get(), 0, nullptr) ||
                GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
                error = ERROR_SUCCESS;
            } else {
                error = GetLastError();
            }
        }
        Sleep(kPollMs);
    }
    return ERROR_SUCCESS;
}

DWORD StopControllerModule() {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (manager.get() == nullptr) {
        return GetLastError();
    }
    ServiceHandle service(OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
    if (service.get() == nullptr) {
        return GetLastError();
    }
    SERVICE_STATUS status;
    if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        const DWORD error = GetLastError();
        return error == ERROR_SERVICE_NOT_ACTIVE ? ERROR_SUCCESS : error;
    }
    const DWORD begin = GetTickCount();
    while (QueryServiceStatus(service.get(), &status) && status.dwCurrentState != SERVICE_STOPPED) {
        if (GetTickCount() - begin >= kStartBudgetMs) {
            return ERROR_SERVICE_REQUEST_TIMEOUT;
        }
        Sleep(kPollMs);
    }
    return ERROR_SUCCESS;
}

InputState CentredInput() {
    InputState input;
    std::memset(&input, 0, sizeof input);
    input.x = input.y = input.z = input.rz = kAxisCentre;
    input.hat = kHatCentred;
    return input;
}

ControlChannel::ControlChannel() : handle_(OpenControlDevice()) {}

ControlChannel::~ControlChannel() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
    }
}

bool ControlChannel::Call(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
    if (handle_ == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    DWORD returned = 0;
    if (!DeviceIoControl(handle_, code, const_cast<void*>(in), inSize, out, outSize, &returned,
                         nullptr)) {
        return false;
    }
    // Every answer but a batch of reports fills its record whole; a batch
    // holds exactly the reports it counts.
    bool whole = returned == outSize;
    if (code == kIoctlReadReports) {
        constexpr DWORD kHeader = offsetof(ReportBatch, reports);
        const auto* batch = static_cast<const ReportBatch*>(out);
        whole = returned >= kHeader && batch->count <= kReportsPerRead &&
                returned == kHeader + batch->count * sizeof(ReceivedReport);
    }
    if (!whole) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

bool ControlChannel::Plug(uint32_t slot, const ControllerSpec& spec, ControllerInfo* info) {
    const PlugRequest request = {slot, spec};
    return Call(kIoctlPlug, &request, sizeof request, info, info != nullptr ? sizeof *info : 0);
}

bool ControlChannel::Unplug(uint32_t slot) {
    const SlotRequest request = {slot};
    return Call(kIoctlUnplug, &request, sizeof request, nullptr, 0);
}

bool ControlChannel::Forget(uint32_t slot) {
    const SlotRequest request = {slot};
    return Call(kIoctlForget, &request, sizeof request, nullptr, 0);
}

bool ControlChannel::SetInput(uint32_t slot, const InputState& input) {
    const InputRequest request = {slot, input};
    return Call(kIoctlSetInput, &request, sizeof request, nullptr, 0);
}

bool ControlChannel::GetInput(uint32_t slot, InputState* input) {
    const SlotRequest request = {slot};
    return Call(kIoctlGetInput, &request, sizeof request, input, sizeof *input);
}

bool ControlChannel::List(ControllerList* list) {
    return Call(kIoctlList, nullptr, 0, list, sizeof *list);
}

bool ControlChannel::ReadReports(uint32_t slot, uint64_t firstSequence, ReportBatch* batch) {
    ReportRequest request;
    std::memset(&request, 0, sizeof request);
    request.slot = slot;
    request.firstSequence = firstSequence;
    return Call(kIoctlReadReports, &request, sizeof request, batch, sizeof *batch);
}

bool DescribeDevice(HANDLE device, DeviceDescription* description) {
    DWORD returned = 0;
    if (!DeviceIoControl(device, kIoctlDescribe, nullptr, 0, description, sizeof *description,
                         &returned, nullptr)) {
        return false;
    }
    if (returned != sizeof *description) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

void FormatControllerPath(char (&path)[kPathCapacity], uint32_t slot, const ControllerSpec& spec) {
    WriteControllerPath(path, slot, spec);
}

}  // namespace standin
