#include <windows.h>
#include <devguid.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
}

#include <string>
#include <vector>

#include "controller_fixture.h"

namespace {

static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == (sizeof(void*) == 8 ? 32 : 28),
              "the platform's interface record");
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == (sizeof(void*) == 8 ? 8 : 5),
              "the platform's detail record");

class SetupApi : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        HidD_GetHidGuid(&hid_);
        setsBefore_ = simwin::LiveDeviceInfoSets();
    }
    void TearDown() override {
        EXPECT_EQ(simwin::LiveDeviceInfoSets(), setsBefore_) << "a set was left undestroyed";
        ControllerTest::TearDown();
    }

    HDEVINFO HidSet(DWORD flags = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE) {
        return SetupDiGetClassDevsA(&hid_, nullptr, nullptr, flags);
    }

    SP_DEVICE_INTERFACE_DATA Member(HDEVINFO set, DWORD index) {
        SP_DEVICE_INTERFACE_DATA data;
        std::memset(&data, 0, sizeof data);
        data.cbSize = sizeof data;
        EXPECT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &hid_, index, &data)) << index;
        return data;
    }

    // Every member's path, by the size-query protocol, until the end.
    std::vector<std::string> Paths(HDEVINFO set) {
        std::vector<std::string> paths;
        for (DWORD index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA data;
            std::memset(&data, 0, sizeof data);
            data.cbSize = sizeof data;
            if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hid_, index, &data)) {
                EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
                return paths;
            }
            EXPECT_TRUE(IsEqualGUID(data.InterfaceClassGuid, hid_));
            EXPECT_EQ(data.Flags, static_cast<DWORD>(SPINT_ACTIVE));
            DWORD required = 0;
            SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr);
            std::vector<BYTE> buffer(required);
            auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
            EXPECT_TRUE(
                SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr));
            paths.push_back(detail->DevicePath);
        }
    }

    GUID hid_ = {};
    size_t setsBefore_ = 0;
};

TEST_F(SetupApi, SetsAreSnapshotsOfTheControllersInPlugOrder) {
    Plug(3);
    simwin::ControllerId b = Plug(1);
    simwin::ControllerId c = Plug(2);
    simwin::UnplugController(b);

    HDEVINFO present = HidSet();
    ASSERT_NE(present, INVALID_HANDLE_VALUE);
    EXPECT_EQ(simwin::LiveDeviceInfoSets(), setsBefore_ + 1);
    HDEVINFO all = HidSet(DIGCF_DEVICEINTERFACE);
    simwin::UnplugController(c);
    Plug(4);
    EXPECT_EQ(Paths(present), (std::vector<std::string>{PathOf(3), PathOf(2)}));
    EXPECT_EQ(Paths(all), (std::vector<std::string>{PathOf(3), PathOf(1), PathOf(2)}));
    HDEVINFO later = HidSet();
    EXPECT_EQ(Paths(later), (std::vector<std::string>{PathOf(3), PathOf(4)}));
    simwin::ReplugController(b);
    HDEVINFO replugged = HidSet();
    EXPECT_EQ(Paths(replugged), (std::vector<std::string>{PathOf(3), PathOf(1), PathOf(4)}))
        << "a replugged controller keeps its place";

    for (HDEVINFO set : {present, all, later, replugged}) {
        EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    }
    EXPECT_EQ(simwin::LiveDeviceInfoSets(), setsBefore_);
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(present)) << "twice";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SetupApi, SetsWithoutHidInterfacesAreEmpty) {
    Plug(1);
    const GUID other = {0x12345678, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};
    struct Case {
        const char* what;
        const GUID* guid;
        DWORD flags;
        size_t members;
    };
    const Case cases[] = {
        {"another interface class", &other, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, 0},
        {"the HID setup class as interface class", &GUID_DEVCLASS_HIDCLASS,
         DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, 0},
        {"no device interfaces asked for", &hid_, DIGCF_PRESENT, 0},
        {"all classes", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, 1},
    };
    for (const Case& c : cases) {
        HDEVINFO set = SetupDiGetClassDevsA(c.guid, nullptr, nullptr, c.flags);
        ASSERT_NE(set, INVALID_HANDLE_VALUE) << c.what;
        EXPECT_EQ(Paths(set).size(), c.members) << c.what;
        SetupDiDestroyDeviceInfoList(set);
    }
    // Enumerating another interface class than the set's finds nothing.
    HDEVINFO set = HidSet();
    SP_DEVICE_INTERFACE_DATA data;
    data.cbSize = sizeof data;
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &other, 0, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    SetupDiDestroyDeviceInfoList(set);

    EXPECT_EQ(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_DEVICEINTERFACE),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(SetupApi, DetailSizeQueryProtocol) {
    simwin::ControllerId id = Plug(1);
    const std::string path = PathOf(1);
    const DWORD required = static_cast<DWORD>(4 + path.size() + 1);
    HDEVINFO set = HidSet();
    SP_DEVICE_INTERFACE_DATA data = Member(set, 0);

    DWORD reported = 0;
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &reported, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(reported, required);

    // One byte short: refused, the record untouched beyond its size field.
    std::vector<BYTE> buffer(required + 8, 0xEE);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    reported = 0;
    EXPECT_FALSE(
        SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required - 1, &reported, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(reported, required);
    for (size_t i = 4; i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], 0xEE) << i;
    }

    // Exactly enough, with the device's information asked for too.
    SP_DEVINFO_DATA device;
    std::memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    EXPECT_TRUE(SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, &device));
    EXPECT_EQ(std::string(detail->DevicePath), path);
    EXPECT_EQ(buffer[required], 0xEE) << "nothing past the size given";
    EXPECT_TRUE(IsEqualGUID(device.ClassGuid, GUID_DEVCLASS_HIDCLASS));
    EXPECT_EQ(device.DevInst, static_cast<DWORD>(id));
    SetupDiDestroyDeviceInfoList(set);
}

TEST_F(SetupApi, RecordSizesAndReferencesAreChecked) {
    Plug(1);
    HDEVINFO set = HidSet();
    HDEVINFO other = HidSet();
    SP_DEVICE_INTERFACE_DATA fromOther = Member(other, 0);
    SP_DEVICE_INTERFACE_DATA data = Member(set, 0);
    std::vector<BYTE> buffer(512);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());

    // Enumeration.
    for (DWORD size : {0u, 28u, 31u, 33u, 64u}) {
        SP_DEVICE_INTERFACE_DATA wrong;
        wrong.cbSize = size;
        EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &hid_, 0, &wrong)) << size;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER)) << size;
    }
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &hid_, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    int notASet = 0;
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(&notASet, nullptr, &hid_, 0, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // Detail.
    struct Case {
        const char* what;
        SP_DEVICE_INTERFACE_DATA* data;
        DWORD detailSize;  // detail->cbSize
        bool withDetail;
        DWORD bufferSize;
        DWORD error;
    };
    SP_DEVICE_INTERFACE_DATA badSize = data;
    badSize.cbSize = 28;
    const Case cases[] = {
        {"detail cbSize 5", &data, 5, true, 512, ERROR_INVALID_USER_BUFFER},
        {"detail cbSize 0", &data, 0, true, 512, ERROR_INVALID_USER_BUFFER},
        {"detail cbSize the whole buffer", &data, 512, true, 512, ERROR_INVALID_USER_BUFFER},
        {"buffer smaller than the record", &data, 8, true, 4, ERROR_INVALID_USER_BUFFER},
        {"size without a buffer", &data, 8, false, 64, ERROR_INVALID_USER_BUFFER},
        {"interface record of another set", &fromOther, 8, true, 512, ERROR_INVALID_PARAMETER},
        {"interface record with a bad size", &badSize, 8, true, 512, ERROR_INVALID_USER_BUFFER},
        {"no interface record", nullptr, 8, true, 512, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        detail->cbSize = c.detailSize;
        DWORD required = 0;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, c.data, c.withDetail ? detail : nullptr,
                                                      c.bufferSize, &required, nullptr))
            << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    SP_DEVINFO_DATA device;
    device.cbSize = 4;
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &data, detail, 512, nullptr, &device));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));

    SetupDiDestroyDeviceInfoList(other);
    EXPECT_FALSE(
        SetupDiGetDeviceInterfaceDetailA(other, &fromOther, detail, 512, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << "a destroyed set";
    SetupDiDestroyDeviceInfoList(set);
}

TEST_F(SetupApi, InjectedFaults) {
    Plug(1);
    Plug(2);
    Plug(3);
    simwin::FailCall("SetupDiGetClassDevsA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(HidSet(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(simwin::LiveDeviceInfoSets(), setsBefore_);

    // The second member fails to enumerate, the third's detail fails: the
    // enumeration goes on past both.
    HDEVINFO set = HidSet();
    simwin::FailCall("SetupDiEnumDeviceInterfaces", 2, ERROR_GEN_FAILURE);
    simwin::FailCall("SetupDiGetDeviceInterfaceDetailA", 3, ERROR_NOT_ENOUGH_MEMORY);
    std::vector<std::string> outcomes;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data;
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hid_, index, &data)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) {
                break;
            }
            outcomes.push_back("enum error " + std::to_string(GetLastError()));
            continue;
        }
        DWORD required = 0;
        if (!SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr) &&
            GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            outcomes.push_back("size error " + std::to_string(GetLastError()));
            continue;
        }
        std::vector<BYTE> buffer(required);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr)) {
            outcomes.push_back("detail error " + std::to_string(GetLastError()));
            continue;
        }
        outcomes.push_back(detail->DevicePath);
    }
    EXPECT_EQ(outcomes, (std::vector<std::string>{PathOf(1), "enum error 31", "size error 8"}));
    SetupDiDestroyDeviceInfoList(set);
}

}  // namespace
