#include "effect_driver/device_connection.h"

#include <cstring>

HANDLE OpenDevicePath(const char* path) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

namespace {

void Replace(DeviceEntry& entry, const char* path, HANDLE handle, const BYTE* reportId) {
    HANDLE replaced;
    {
        std::lock_guard<std::mutex> guard(entry.connectionGuard);
        if (reportId != nullptr) {
            entry.reportId = *reportId;
        }
        std::strncpy(entry.devicePath, path, kDevicePathCapacity - 1);
        entry.devicePath[kDevicePathCapacity - 1] = '\0';
        replaced = entry.deviceHandle;
        entry.deviceHandle = handle;
    }
    // No writer can hold the replaced handle any more.
    if (IsOpenHandle(replaced) && replaced != handle) {
        CloseHandle(replaced);
    }
}

}  // namespace

void ReplaceConnection(DeviceEntry& entry, const char* path, HANDLE handle) {
    Replace(entry, path, handle, nullptr);
}

void ReplaceConnection(DeviceEntry& entry, const char* path, HANDLE handle, BYTE reportId) {
    Replace(entry, path, handle, &reportId);
}

bool EnsureConnected(DeviceEntry& entry) {
    std::lock_guard<std::mutex> guard(entry.connectionGuard);
    if (!IsOpenHandle(entry.deviceHandle)) {
        entry.deviceHandle = OpenDevicePath(entry.devicePath);
    }
    return IsOpenHandle(entry.deviceHandle);
}

void CloseConnection(DeviceEntry& entry) {
    std::lock_guard<std::mutex> guard(entry.connectionGuard);
    if (IsOpenHandle(entry.deviceHandle)) {
        CloseHandle(entry.deviceHandle);
    }
    entry.deviceHandle = nullptr;
}
