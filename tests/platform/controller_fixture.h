// A fresh machine plus helpers to plug simulated HID controllers in and open
// them; handles the test opens are closed at the end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "simwin/control_devices.h"
#include "simwin_fixture.h"

class ControllerTest : public SimwinTest {
  protected:
    void TearDown() override {
        for (HANDLE handle : handles_) {
            CloseHandle(handle);
        }
        SimwinTest::TearDown();
    }

    // An interface path in the platform's form; `n` tells controllers apart.
    static std::string PathOf(int n) {
        return "\\\\?\\hid#vid_0000&pid_005" + std::to_string(n) + "#7&1a2b&0&000" +
               std::to_string(n) + "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    }
    static GUID InstanceOf(int n) {
        return {0x6A000000u + static_cast<DWORD>(n), 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
    }

    simwin::ControllerId Plug(int n, BYTE outputReportId = 0, bool hasOutputValue = true) {
        simwin::HidControllerSpec spec;
        spec.vendorId = 0x0000;
        spec.productId = static_cast<WORD>(0x0050 + n);
        spec.interfacePath = PathOf(n);
        spec.directInputInstance = InstanceOf(n);
        spec.hasOutputValue = hasOutputValue;
        spec.outputReportId = outputReportId;
        return simwin::AddHidController(spec);
    }

    // Opens the way the driver does; the handle is closed at the end.
    HANDLE Open(const std::string& path, DWORD access = GENERIC_READ | GENERIC_WRITE,
                DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE) {
        HANDLE handle =
            CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handles_.push_back(handle);
        }
        return handle;
    }

    // Closes a handle Open returned before the end of the test.
    BOOL Close(HANDLE handle) {
        for (auto it = handles_.begin(); it != handles_.end(); ++it) {
            if (*it == handle) {
                handles_.erase(it);
                break;
            }
        }
        return CloseHandle(handle);
    }

    static std::vector<std::vector<BYTE>> BytesOf(const std::vector<simwin::WrittenReport>& all) {
        std::vector<std::vector<BYTE>> bytes;
        for (const auto& report : all) {
            bytes.push_back(report.bytes);
        }
        return bytes;
    }

    std::vector<HANDLE> handles_;
};
