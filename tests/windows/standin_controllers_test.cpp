// The stand-in controllers in the Windows runtime, seen the way the
// deliverables see a controller: listed by SetupAPI, opened by path,
// written with output reports, described by the HID functions, and taken
// away and given back. The program runs with the runtime's overrides, so
// hid and setupapi are the stand-ins beside it.
#include <windows.h>
#include <setupapi.h>
// The HID headers declare C functions without saying so.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "program_directory.h"
#include "tools/standin_controller/controller_client.h"
#include "tools/standin_controller/model_controllers.h"

namespace windows_test {
namespace {

using standin::ControllerSpec;

// Slots of this program; other programs of the suite use low slots.
constexpr uint32_t kSlot = 12;
constexpr uint32_t kOtherSlot = 13;

ControllerSpec CustomController(uint8_t reportId) {
    ControllerSpec spec = {};
    spec.vendorId = 0x1209;
    spec.productId = 0x00AB;
    spec.outputReportId = reportId;
    return spec;
}

std::string PathOf(uint32_t slot, const ControllerSpec& spec) {
    char path[standin::kPathCapacity];
    standin::FormatControllerPath(path, slot, spec);
    return path;
}

HANDLE OpenController(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct HandleCloser {
    void operator()(void* handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// The performance counter in the module's unit, 100 ns.
uint64_t Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    const uint64_t ticks = counter.QuadPart;
    const uint64_t perSecond = frequency.QuadPart;
    return ticks / perSecond * 10000000ull + ticks % perSecond * 10000000ull / perSecond;
}

// The paths SetupAPI lists for the HID interface class with these flags.
std::vector<std::string> ListedPaths(DWORD flags) {
    GUID hid;
    HidD_GetHidGuid(&hid);
    HDEVINFO set = SetupDiGetClassDevsA(&hid, nullptr, nullptr, flags);
    EXPECT_NE(set, INVALID_HANDLE_VALUE);
    std::vector<std::string> paths;
    for (DWORD member = 0;; ++member) {
        SP_DEVICE_INTERFACE_DATA data = {};
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hid, member, &data)) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
            break;
        }
        DWORD required = 0;
        EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        std::vector<char> buffer(required);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
        detail->cbSize = sizeof *detail;
        EXPECT_TRUE(
            SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr));
        paths.push_back(detail->DevicePath);
    }
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    return paths;
}

bool Contains(const std::vector<std::string>& paths, const std::string& path) {
    for (const std::string& p : paths) {
        if (p == path) {
            return true;
        }
    }
    return false;
}

class StandinControllers : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The suite's fixture starts the module; a runtime that restarted
        // since has lost it, so start it again if need be.
        const std::string module = ProgramDirectory() + "standin_controllers.sys";
        ASSERT_EQ(standin::StartControllerModule(module.c_str()),
                  static_cast<DWORD>(ERROR_SUCCESS));
    }

    void SetUp() override {
        ASSERT_TRUE(channel_.IsOpen());
        ASSERT_TRUE(channel_.Forget(kSlot));
        ASSERT_TRUE(channel_.Forget(kOtherSlot));
    }

    void TearDown() override {
        channel_.Forget(kSlot);
        channel_.Forget(kOtherSlot);
    }

    standin::ControllerInfo Info(uint32_t slot) {
        standin::ControllerList list;
        EXPECT_TRUE(channel_.List(&list));
        return list.controllers[slot];
    }

    // Every report of the slot, from sequence `first` on.
    std::vector<standin::ReceivedReport> Reports(uint32_t slot, uint64_t first = 0,
                                                 uint64_t* firstKept = nullptr) {
        auto batch = std::make_unique<standin::ReportBatch>();
        std::vector<standin::ReceivedReport> reports;
        do {
            EXPECT_TRUE(channel_.ReadReports(slot, first, batch.get()));
            reports.insert(reports.end(), batch->reports, batch->reports + batch->count);
            first = batch->nextSequence;
            if (firstKept != nullptr) {
                *firstKept = batch->firstKept;
            }
        } while (batch->count != 0);
        return reports;
    }

    standin::ControlChannel channel_;
};

TEST_F(StandinControllers, PluggedControllerIsListedAndOpensUnpluggedOneIsNot) {
    const ControllerSpec spec = standin::ModelSController();
    standin::ControllerInfo info;
    ASSERT_TRUE(channel_.Plug(kSlot, spec, &info));
    const std::string path = PathOf(kSlot, spec);
    EXPECT_EQ(info.path, path);
    EXPECT_EQ(path,
              "\\\\?\\hid#vid_0000&pid_0053#12&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_TRUE(info.present);

    EXPECT_TRUE(Contains(ListedPaths(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE), path));
    {
        UniqueHandle device(OpenController(path));
        ASSERT_NE(device.get(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(Info(kSlot).openHandles, 1u);
    }
    EXPECT_EQ(Info(kSlot).openHandles, 0u);

    ASSERT_TRUE(channel_.Unplug(kSlot));
    EXPECT_FALSE(Contains(ListedPaths(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE), path));
    // Without DIGCF_PRESENT, interfaces that were there once are listed too.
    EXPECT_TRUE(Contains(ListedPaths(DIGCF_DEVICEINTERFACE), path));
    EXPECT_EQ(OpenController(path), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(StandinControllers, WrittenReportsAreKeptWithBytesLengthAndArrivalTime) {
    ASSERT_TRUE(channel_.Plug(kSlot, standin::ModelSController()));
    UniqueHandle device(OpenController(PathOf(kSlot, standin::ModelSController())));
    ASSERT_NE(device.get(), INVALID_HANDLE_VALUE);

    const BYTE strength[8] = {3, 0x51, 0x80, 0x40, 0, 0, 0, 0};
    BYTE longReport[24];
    for (BYTE i = 0; i < sizeof longReport; ++i) {
        longReport[i] = static_cast<BYTE>(0xA0 + i);
    }
    const uint64_t before = Now();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(device.get(), strength, sizeof strength, &written, nullptr));
    EXPECT_EQ(written, sizeof strength);
    ASSERT_TRUE(WriteFile(device.get(), longReport, sizeof longReport, &written, nullptr));
    EXPECT_EQ(written, sizeof longReport);
    const uint64_t after = Now();

    const std::vector<standin::ReceivedReport> reports = Reports(kSlot);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].sequence, 0u);
    EXPECT_EQ(reports[0].length, sizeof strength);
    EXPECT_EQ(std::memcmp(reports[0].bytes, strength, sizeof strength), 0);
    EXPECT_GE(reports[0].time, before);
    EXPECT_LE(reports[0].time, reports[1].time);
    EXPECT_LE(reports[1].time, after);
    // A report longer than the module keeps: its length whole, its start kept.
    EXPECT_EQ(reports[1].sequence, 1u);
    EXPECT_EQ(reports[1].length, sizeof longReport);
    EXPECT_EQ(std::memcmp(reports[1].bytes, longReport, standin::kMaxReportLength), 0);
    EXPECT_EQ(Info(kSlot).reportsReceived, 2u);

    // An empty write is no report.
    EXPECT_FALSE(WriteFile(device.get(), strength, 0, &written, nullptr));
    EXPECT_EQ(Info(kSlot).reportsReceived, 2u);
}

TEST_F(StandinControllers, UnplugFailsOldHandlesForGoodAndReplugTakesNewOnes) {
    const ControllerSpec spec = standin::ModelTController();
    const std::string path = PathOf(kSlot, spec);
    ASSERT_TRUE(channel_.Plug(kSlot, spec));
    UniqueHandle before(OpenController(path));
    ASSERT_NE(before.get(), INVALID_HANDLE_VALUE);
    const BYTE report[5] = {3, 0x10, 0x20, 0, 0};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(before.get(), report, sizeof report, &written, nullptr));

    ASSERT_TRUE(channel_.Unplug(kSlot));
    for (int attempt = 0; attempt < 2; ++attempt) {
        written = 123;
        EXPECT_FALSE(WriteFile(before.get(), report, sizeof report, &written, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
        EXPECT_EQ(written, 0u);
    }
    EXPECT_EQ(OpenController(path), INVALID_HANDLE_VALUE);
    standin::ControllerInfo info = Info(kSlot);
    EXPECT_FALSE(info.present);
    EXPECT_TRUE(info.known);
    EXPECT_EQ(info.writesRefused, 2u);
    EXPECT_EQ(info.reportsReceived, 1u);

    // Plugged in again, it is a new device: the old handle stays refused,
    // a new one writes, and the reports go on from where they were.
    ASSERT_TRUE(channel_.Plug(kSlot, spec));
    EXPECT_FALSE(WriteFile(before.get(), report, sizeof report, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    UniqueHandle after(OpenController(path));
    ASSERT_NE(after.get(), INVALID_HANDLE_VALUE);
    ASSERT_TRUE(WriteFile(after.get(), report, sizeof report, &written, nullptr));
    info = Info(kSlot);
    EXPECT_EQ(info.writesRefused, 3u);
    EXPECT_EQ(info.reportsReceived, 2u);
    EXPECT_EQ(Reports(kSlot).back().sequence, 1u);

    // Forgetting the slot drops its reports and counts.
    ASSERT_TRUE(channel_.Forget(kSlot));
    info = Info(kSlot);
    EXPECT_FALSE(info.known);
    EXPECT_EQ(info.reportsReceived, 0u);
    EXPECT_EQ(info.writesRefused, 0u);
    EXPECT_TRUE(Reports(kSlot).empty());
}

TEST_F(StandinControllers, ReportRingKeepsTheNewestAndSaysWhatWasDropped) {
    ASSERT_TRUE(channel_.Plug(kSlot, standin::ModelSController()));
    UniqueHandle device(OpenController(PathOf(kSlot, standin::ModelSController())));
    ASSERT_NE(device.get(), INVALID_HANDLE_VALUE);
    const uint32_t total = standin::kReportHistory + 10;
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    for (uint32_t i = 0; i < total; ++i) {
        BYTE report[8] = {3, static_cast<BYTE>(i), static_cast<BYTE>(i >> 8)};
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(device.get(), report, sizeof report, &written, nullptr)) << i;
    }
    QueryPerformanceCounter(&end);
    RecordProperty("microseconds_per_write", std::to_string((end.QuadPart - begin.QuadPart) * 1e6 /
                                                            frequency.QuadPart / total));

    uint64_t firstKept = 0;
    const std::vector<standin::ReceivedReport> reports = Reports(kSlot, 0, &firstKept);
    EXPECT_EQ(firstKept, 10u);
    ASSERT_EQ(reports.size(), standin::kReportHistory);
    for (size_t i = 0; i < reports.size(); ++i) {
        const uint64_t sequence = firstKept + i;
        ASSERT_EQ(reports[i].sequence, sequence);
        ASSERT_EQ(reports[i].bytes[1], static_cast<BYTE>(sequence));
        ASSERT_EQ(reports[i].bytes[2], static_cast<BYTE>(sequence >> 8));
    }
    // Asking from the middle, or beyond the newest report.
    EXPECT_EQ(Reports(kSlot, total - 3).size(), 3u);
    EXPECT_TRUE(Reports(kSlot, total + 100).empty());
}

TEST_F(StandinControllers, InputIsSetAndReadBackWhilePlugged) {
    standin::InputState input = standin::CentredInput();
    input.x = 0;
    input.y = 255;
    input.z = 17;
    input.rz = 200;
    input.hat = 27000;
    input.buttons[0] = 1;
    input.buttons[11] = 1;
    // Set while unplugged, read once plugged.
    ASSERT_TRUE(channel_.SetInput(kSlot, input));
    standin::InputState read;
    EXPECT_FALSE(channel_.GetInput(kSlot, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    ASSERT_TRUE(channel_.Plug(kSlot, standin::ModelSController()));
    ASSERT_TRUE(channel_.GetInput(kSlot, &read));
    EXPECT_EQ(std::memcmp(&read, &input, sizeof read), 0);

    // A hat reading of a full turn or more is no direction.
    standin::InputState badHat = input;
    badHat.hat = 36000;
    EXPECT_FALSE(channel_.SetInput(kSlot, badHat));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // Forgetting centres it.
    ASSERT_TRUE(channel_.Forget(kSlot));
    ASSERT_TRUE(channel_.Plug(kSlot, standin::ModelSController()));
    ASSERT_TRUE(channel_.GetInput(kSlot, &read));
    const standin::InputState centred = standin::CentredInput();
    EXPECT_EQ(std::memcmp(&read, &centred, sizeof read), 0);
}

TEST_F(StandinControllers, HidFunctionsDescribeTheControllerBehindAHandle) {
    struct Case {
        const char* what;
        ControllerSpec spec;
    } cases[] = {
        {"model S", standin::ModelSController()},
        {"model T", standin::ModelTController()},
        {"other report id", CustomController(7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(channel_.Forget(kSlot));
        ASSERT_TRUE(channel_.Plug(kSlot, c.spec));
        UniqueHandle device(OpenController(PathOf(kSlot, c.spec)));
        ASSERT_NE(device.get(), INVALID_HANDLE_VALUE);

        HIDD_ATTRIBUTES attributes = {};
        attributes.Size = sizeof attributes;
        ASSERT_TRUE(HidD_GetAttributes(device.get(), &attributes));
        EXPECT_EQ(attributes.VendorID, c.spec.vendorId);
        EXPECT_EQ(attributes.ProductID, c.spec.productId);

        PHIDP_PREPARSED_DATA preparsed = nullptr;
        ASSERT_TRUE(HidD_GetPreparsedData(device.get(), &preparsed));
        // The driver's question: output values of any page and usage.
        HIDP_VALUE_CAPS caps[4] = {};
        USHORT count = 4;
        EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &count, preparsed),
                  HIDP_STATUS_SUCCESS);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(caps[0].ReportID, c.spec.outputReportId);
        HIDP_CAPS deviceCaps = {};
        EXPECT_EQ(HidP_GetCaps(preparsed, &deviceCaps), HIDP_STATUS_SUCCESS);
        EXPECT_EQ(deviceCaps.NumberOutputValueCaps, 1);

        count = 4;
        EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Input, 0, 0, 0, caps, &count, preparsed),
                  HIDP_STATUS_USAGE_NOT_FOUND);
        EXPECT_EQ(count, 0);
        count = 4;
        EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0x0001, 0, 0, caps, &count, preparsed),
                  HIDP_STATUS_USAGE_NOT_FOUND);
        count = 0;
        EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &count, preparsed),
                  HIDP_STATUS_BUFFER_TOO_SMALL);
        EXPECT_EQ(count, 1);

        EXPECT_TRUE(HidD_FreePreparsedData(preparsed));
        // Taken back, the data is no longer theirs to read or free.
        count = 4;
        EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &count, preparsed),
                  HIDP_STATUS_INVALID_PREPARSED_DATA);
        EXPECT_FALSE(HidD_FreePreparsedData(preparsed));

        // Unplugged, the handle describes nothing.
        ASSERT_TRUE(channel_.Unplug(kSlot));
        EXPECT_FALSE(HidD_GetPreparsedData(device.get(), &preparsed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    }
}

TEST_F(StandinControllers, HidFunctionsRefuseHandlesThatAreNoController) {
    char file[MAX_PATH];
    ASSERT_NE(GetTempFileNameA((ProgramDirectory()).c_str(), "hid", 0, file), 0u);
    UniqueHandle plainFile(CreateFileA(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_NE(plainFile.get(), INVALID_HANDLE_VALUE);
    UniqueHandle control(CreateFileA(standin::kControlDevicePath, GENERIC_READ | GENERIC_WRITE, 0,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(control.get(), INVALID_HANDLE_VALUE);
    for (HANDLE handle : {plainFile.get(), control.get(), INVALID_HANDLE_VALUE}) {
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(HidD_GetPreparsedData(handle, &preparsed));
        EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(preparsed, nullptr);
    }
    HIDP_VALUE_CAPS caps[4] = {};
    USHORT count = 4;
    BYTE notPreparsed[64] = {};
    EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &count,
                                        reinterpret_cast<PHIDP_PREPARSED_DATA>(notPreparsed)),
              HIDP_STATUS_INVALID_PREPARSED_DATA);
}

TEST_F(StandinControllers, SetupApiAnswersMistakesWithThePlatformsErrors) {
    ASSERT_TRUE(channel_.Plug(kSlot, standin::ModelSController()));
    GUID hid;
    HidD_GetHidGuid(&hid);
    HDEVINFO set =
        SetupDiGetClassDevsA(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = sizeof data;
    ASSERT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &hid, 0, &data));
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr);
    const std::string path = PathOf(kSlot, standin::ModelSController());
    std::vector<char> buffer(required);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
    detail->cbSize = sizeof *detail;

    SP_DEVICE_INTERFACE_DATA badSize = data;
    badSize.cbSize = sizeof badSize - 4;
    SP_DEVICE_INTERFACE_DETAIL_DATA_A wrongDetail = {};
    wrongDetail.cbSize = 5;
    const auto notASet = reinterpret_cast<HDEVINFO>(buffer.data());
    DWORD needed = 0;
    struct Case {
        const char* what;
        std::function<BOOL()> call;
        DWORD error;
    } cases[] = {
        {"enumeration past the end",
         [&] {
             return SetupDiEnumDeviceInterfaces(set, nullptr, &hid, standin::kSlotCount, &data);
         },
         ERROR_NO_MORE_ITEMS},
        {"enumeration with a wrong record size",
         [&] { return SetupDiEnumDeviceInterfaces(set, nullptr, &hid, 0, &badSize); },
         ERROR_INVALID_USER_BUFFER},
        {"enumeration of what is no set",
         [&] { return SetupDiEnumDeviceInterfaces(notASet, nullptr, &hid, 0, &data); },
         ERROR_INVALID_HANDLE},
        {"detail into a buffer one byte short",
         [&] {
             return SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required - 1, &needed,
                                                     nullptr);
         },
         ERROR_INSUFFICIENT_BUFFER},
        {"detail record with a wrong size",
         [&] {
             return SetupDiGetDeviceInterfaceDetailA(set, &data, &wrongDetail, sizeof wrongDetail,
                                                     nullptr, nullptr);
         },
         ERROR_INVALID_USER_BUFFER},
        {"detail of an interface with a wrong record size",
         [&] {
             return SetupDiGetDeviceInterfaceDetailA(set, &badSize, detail, required, nullptr,
                                                     nullptr);
         },
         ERROR_INVALID_PARAMETER},
        {"destroying what is no set", [&] { return SetupDiDestroyDeviceInfoList(notASet); },
         ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(required, offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
    EXPECT_EQ(needed, required);

    ASSERT_TRUE(SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr));
    EXPECT_EQ(std::string(detail->DevicePath), path);
    // The wide form lists the same path.
    DWORD wideRequired = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &wideRequired, nullptr);
    std::vector<char> wideBuffer(wideRequired);
    auto* wide = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(wideBuffer.data());
    wide->cbSize = sizeof *wide;
    ASSERT_TRUE(SetupDiGetDeviceInterfaceDetailW(set, &data, wide, wideRequired, nullptr, nullptr));
    EXPECT_EQ(std::wstring(wide->DevicePath), std::wstring(path.begin(), path.end()));

    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // Other classes have no members; no class at all is a mistake.
    const GUID otherClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    HDEVINFO other =
        SetupDiGetClassDevsA(&otherClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(other, nullptr, &otherClass, 0, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(other));
    EXPECT_EQ(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_DEVICEINTERFACE),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(StandinControllers, ControlDeviceRefusesMalformedRequests) {
    UniqueHandle control(CreateFileA(standin::kControlDevicePath, GENERIC_READ | GENERIC_WRITE, 0,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(control.get(), INVALID_HANDLE_VALUE);
    // Room for any request and answer of the channel.
    std::vector<BYTE> in(sizeof(standin::ReportBatch)), out(sizeof(standin::ReportBatch));
    auto slotIn = [&in](uint32_t slot) {
        std::memcpy(in.data(), &slot, sizeof slot);
        return in.data();
    };
    struct Case {
        const char* what;
        DWORD code;
        uint32_t slot;
        DWORD inSize;
        DWORD outSize;
        DWORD error;
    } cases[] = {
        {"plug, request short", standin::kIoctlPlug, kSlot, sizeof(standin::PlugRequest) - 1, 0,
         ERROR_INVALID_PARAMETER},
        {"plug, answer short", standin::kIoctlPlug, kSlot, sizeof(standin::PlugRequest),
         sizeof(standin::ControllerInfo) - 1, ERROR_INSUFFICIENT_BUFFER},
        {"plug, slot beyond the last", standin::kIoctlPlug, standin::kSlotCount,
         sizeof(standin::PlugRequest), 0, ERROR_INVALID_PARAMETER},
        {"unplug, request long", standin::kIoctlUnplug, kSlot, sizeof(standin::SlotRequest) + 1, 0,
         ERROR_INVALID_PARAMETER},
        {"unplug, slot beyond the last", standin::kIoctlUnplug, standin::kSlotCount,
         sizeof(standin::SlotRequest), 0, ERROR_INVALID_PARAMETER},
        {"forget, slot beyond the last", standin::kIoctlForget, 0xFFFFFFFF,
         sizeof(standin::SlotRequest), 0, ERROR_INVALID_PARAMETER},
        {"set input, request short", standin::kIoctlSetInput, kSlot,
         sizeof(standin::InputRequest) - 1, 0, ERROR_INVALID_PARAMETER},
        {"get input, answer short", standin::kIoctlGetInput, kSlot, sizeof(standin::SlotRequest),
         sizeof(standin::InputState) - 1, ERROR_INSUFFICIENT_BUFFER},
        {"get input, slot beyond the last", standin::kIoctlGetInput, standin::kSlotCount,
         sizeof(standin::SlotRequest), sizeof(standin::InputState), ERROR_INVALID_PARAMETER},
        {"list, answer short", standin::kIoctlList, 0, 0, sizeof(standin::ControllerList) - 1,
         ERROR_INSUFFICIENT_BUFFER},
        {"reports, no room for the header", standin::kIoctlReadReports, kSlot,
         sizeof(standin::ReportRequest), offsetof(standin::ReportBatch, reports) - 1,
         ERROR_INSUFFICIENT_BUFFER},
        {"reports, slot beyond the last", standin::kIoctlReadReports, standin::kSlotCount,
         sizeof(standin::ReportRequest), sizeof(standin::ReportBatch), ERROR_INVALID_PARAMETER},
        {"a controller's request", standin::kIoctlDescribe, 0, 0,
         sizeof(standin::DeviceDescription), ERROR_INVALID_FUNCTION},
        {"unknown request", standin::kIoctlDescribe + 4, 0, 0, 0, ERROR_INVALID_FUNCTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::fill(in.begin(), in.end(), 0);
        DWORD returned = 0;
        EXPECT_FALSE(DeviceIoControl(control.get(), c.code, slotIn(c.slot), c.inSize, out.data(),
                                     c.outSize, &returned, nullptr));
        EXPECT_EQ(GetLastError(), c.error);
    }
    // None of them plugged anything.
    EXPECT_FALSE(Info(kSlot).known);

    // A smaller batch takes as many reports as fit.
    ASSERT_TRUE(channel_.Plug(kSlot, standin::ModelSController()));
    UniqueHandle device(OpenController(PathOf(kSlot, standin::ModelSController())));
    const BYTE report[8] = {3};
    DWORD written = 0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WriteFile(device.get(), report, sizeof report, &written, nullptr));
    }
    standin::ReportRequest request = {kSlot, 0, 0};
    DWORD returned = 0;
    const DWORD twoReports =
        offsetof(standin::ReportBatch, reports) + 2 * sizeof(standin::ReceivedReport);
    ASSERT_TRUE(DeviceIoControl(control.get(), standin::kIoctlReadReports, &request, sizeof request,
                                out.data(), twoReports, &returned, nullptr));
    EXPECT_EQ(returned, twoReports);
    standin::ReportBatch* batch = reinterpret_cast<standin::ReportBatch*>(out.data());
    EXPECT_EQ(batch->count, 2u);
    EXPECT_EQ(batch->nextSequence, 2u);
}

}  // namespace
}  // namespace windows_test
