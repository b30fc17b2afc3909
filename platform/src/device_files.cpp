// Device files: CreateFileA on a HID controller's interface path and
// WriteFile of output reports through the handle; CloseHandle goes through
// the kernel handle table like any other handle.
//
// Semantics kept:
//  - An open of an unknown path, the empty path, or the path of an unplugged
//    controller fails with ERROR_FILE_NOT_FOUND: once a device leaves, its
//    interface path no longer exists. An open that meets another program's
//    exclusive hold, or that does not share both reading and writing, fails
//    with ERROR_SHARING_VIOLATION. A NULL path or a creation disposition
//    outside CREATE_NEW..TRUNCATE_EXISTING fails with
//    ERROR_INVALID_PARAMETER.
//  - A write needs a handle opened with write access (else
//    ERROR_ACCESS_DENIED). A HID device takes no empty report: a zero-byte
//    write fails with ERROR_INVALID_USER_BUFFER; a NULL buffer with bytes to
//    write fails with ERROR_NOACCESS.
//  - The count of bytes written is zeroed first and always set. Without an
//    OVERLAPPED there is nowhere else to report it, so a NULL count pointer
//    fails the write with ERROR_INVALID_PARAMETER before anything goes out;
//    with one, the count also lands in its InternalHigh.
//  - Writes through a handle from before an unplug fail with
//    ERROR_DEVICE_NOT_CONNECTED and write nothing, even after a replug.
//  - Armed write failures (FailNextWrites) transfer min(bytesWritten, size)
//    bytes; a transfer of more than 0 bytes is recorded as a report, since
//    that part did go out. The count written is set to what was transferred
//    and the write fails with the armed error.
//  - A stalled write blocks in real time, holding no lock of the machine;
//    it is judged (connected? failing?) when it starts, and its report is
//    recorded when it completes, stamped with the tick count at the start.
//  - A handle counts as open on its controller until its object is gone:
//    CloseHandle, or the end of a write still running on it.
#include "device_files.h"

#include <chrono>
#include <thread>

#include "faults.h"
#include "handle_table.h"
#include "simwin/files.h"
#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

constexpr DWORD kTruncateExisting = 5;
// Rights that include writing data, besides GENERIC_WRITE.
constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kFileWriteData = 0x00000002u;

class DeviceFile : public KernelObject {
  public:
    DeviceFile(std::shared_ptr<Controller> controller, unsigned connection, DWORD access)
        : KernelObject(ObjectKind::DeviceFile),
          controller_(std::move(controller)),
          connection_(connection),
          access_(access) {}
    ~DeviceFile() override { NoteHandleClosed(*controller_); }

    Controller& controller() const { return *controller_; }
    const std::shared_ptr<Controller>& shared_controller() const { return controller_; }
    unsigned connection() const { return connection_; }
    bool may_write() const {
        return (access_ & (GENERIC_WRITE | kGenericAll | kFileWriteData)) != 0;
    }

  private:
    std::shared_ptr<Controller> controller_;
    unsigned connection_;
    DWORD access_;
};

BOOL FailWrite(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

bool DeviceFileTarget(HANDLE handle, std::shared_ptr<Controller>* controller,
                      unsigned* connection) {
    auto file = LookupHandleAs<DeviceFile>(handle, ObjectKind::DeviceFile);
    if (file == nullptr) {
        return false;
    }
    *controller = file->shared_controller();
    *connection = file->connection();
    return true;
}

}  // namespace simwin::detail

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    (void)lpSecurityAttributes;
    (void)hTemplateFile;
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("CreateFileA", &error)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    if (lpFileName == nullptr || dwCreationDisposition < CREATE_NEW ||
        dwCreationDisposition > simwin::detail::kTruncateExisting) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const simwin::OpenRecord record{dwDesiredAccess, dwShareMode, dwCreationDisposition,
                                    dwFlagsAndAttributes};
    std::shared_ptr<simwin::detail::Controller> controller;
    unsigned connection = 0;
    error = simwin::detail::OpenController(lpFileName, record, &controller, &connection);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return simwin::detail::InsertHandle(std::make_shared<simwin::detail::DeviceFile>(
        std::move(controller), connection, dwDesiredAccess));
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    using simwin::detail::FailWrite;
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = 0;
    }
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("WriteFile", &error)) {
        return FailWrite(error);
    }
    if (lpNumberOfBytesWritten == nullptr && lpOverlapped == nullptr) {
        return FailWrite(ERROR_INVALID_PARAMETER);
    }
    auto file = simwin::detail::LookupHandleAs<simwin::detail::DeviceFile>(
        hFile, simwin::detail::ObjectKind::DeviceFile);
    if (file == nullptr) {
        return FailWrite(ERROR_INVALID_HANDLE);
    }
    if (!file->may_write()) {
        return FailWrite(ERROR_ACCESS_DENIED);
    }
    if (nNumberOfBytesToWrite == 0) {
        return FailWrite(ERROR_INVALID_USER_BUFFER);
    }
    if (lpBuffer == nullptr) {
        return FailWrite(ERROR_NOACCESS);
    }
    const DWORD started = GetTickCount();
    const simwin::detail::WritePlan plan =
        simwin::detail::PlanWrite(file->controller(), file->connection(), nNumberOfBytesToWrite);
    if (plan.stallMs != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(plan.stallMs));
    }
    if (plan.transferred != 0) {
        simwin::detail::RecordReport(file->controller(), static_cast<const BYTE*>(lpBuffer),
                                     plan.transferred, started);
    }
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = plan.transferred;
    }
    if (lpOverlapped != nullptr) {
        lpOverlapped->Internal = 0;
        lpOverlapped->InternalHigh = plan.transferred;
    }
    if (plan.error != ERROR_SUCCESS) {
        return FailWrite(plan.error);
    }
    return TRUE;
}

}  // extern "C"
