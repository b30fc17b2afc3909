#include <windows.h>
#include <dinput.h>
#include <dinputd.h>

#include <cstring>
#include <string>

#include "calibration_registry.h"
#include "property_sheet/calibration_store.h"
#include "property_sheet/directx_version.h"
#include "property_sheet/windows_version.h"
#include "simwin/control.h"
#include "simwin/control_system.h"

namespace {

using namespace calibration_registry;

const GUID kInstance = {0x6A000001u, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kOtherInstance = {0x6A000002u, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
const std::string kOurInterface = "##?#HID#Ours#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::string kOurInstance = "1";
const char* const kWrittenAxes[] = {"0", "1", "2", "5"};

// A record whose four axes all differ, and whose other members are set too,
// so that a wrong member or a wrong order shows.
DIJOYCONFIG_DX5 DistinctRecord() {
    DIJOYCONFIG_DX5 record;
    std::memset(&record, 0, sizeof record);
    record.dwSize = sizeof record;
    JOYREGHWCONFIG& hwc = record.hwc;
    hwc.hws.dwFlags = 0x11;
    hwc.hws.dwNumButtons = 12;
    hwc.dwUsageSettings = 0x22;
    JOYRANGE& range = hwc.hwv.jrvHardware;
    range.jpMin = {3, 10, 40, 70, 0x44, 0x55};
    range.jpCenter = {129, 20, 50, 80, 0x44, 0x55};
    range.jpMax = {250, 30, 60, 90, 0x44, 0x55};
    hwc.hwv.dwCalFlags = 0x33;
    hwc.dwType = 0x66;
    hwc.dwReserved = 0x77;
    return record;
}

// What each written axis's "Calibration" holds for DistinctRecord.
Bytes ExpectedCalibration(const char* axis) {
    const std::string name = axis;
    if (name == "0") {
        return {0x03, 0, 0, 0, 0x81, 0, 0, 0, 0xFA, 0, 0, 0};
    }
    if (name == "1") {
        return {10, 0, 0, 0, 20, 0, 0, 0, 30, 0, 0, 0};
    }
    if (name == "2") {
        return {40, 0, 0, 0, 50, 0, 0, 0, 60, 0, 0, 0};
    }
    return {70, 0, 0, 0, 80, 0, 0, 0, 90, 0, 0, 0};
}

Bytes HwcBytes(const DIJOYCONFIG_DX5& record) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&record.hwc);
    return Bytes(bytes, bytes + sizeof record.hwc);
}

// All three places present: the legacy settings key (with a value of its
// own), two HID interfaces of which the second is ours, and two private
// calibration instances of which the second is ours.
void AddEveryPlace() {
    WriteValue(kLegacySettingsKey, "Keep", {9});
    AddInterface("##?#HID#Other#{4d1e55b2-f16f-11cf-88cb-001111000030}", GuidBytes(kOtherInstance));
    AddInterface(kOurInterface, GuidBytes(kInstance));
    AddInstance("0", GuidBytes(kOtherInstance));
    AddInstance(kOurInstance, GuidBytes(kInstance));
}

enum class Place { None, Legacy, Interface, Instance };

using CalibrationStore = RegistryTest;

TEST_F(CalibrationStore, WritesWhereTheWindowsAndDirectXVersionsSay) {
    struct Case {
        WindowsRelease windows;
        const char* directX;  // none: no DirectX key
        USHORT joystickId;
        LONG result;
        Place place;
        const char* legacyValue;  // the name the legacy place uses
    };
    const Case cases[] = {
        {kRelease98, nullptr, 0, ERROR_SUCCESS, Place::Legacy, "Joystick1Configuration"},
        {kReleaseMe, "4.09.00.0904", 3, ERROR_SUCCESS, Place::Legacy, "Joystick4Configuration"},
        {kRelease2000, "4.08.00.0400", 0, ERROR_SUCCESS, Place::Interface, nullptr},
        {kReleaseXp, "4.08.00.0400", 0, ERROR_SUCCESS, Place::Interface, nullptr},
        {kReleaseXp, "4.08.01.0810", 0, ERROR_SUCCESS, Place::Instance, nullptr},
        {kRelease2000, "4.09.00.0904", 0, ERROR_SUCCESS, Place::Instance, nullptr},
        {kReleaseXp, nullptr, 0, ERROR_SUCCESS, Place::Interface, nullptr},
        {kReleaseVista, "4.09.00.0904", 0, E_FAIL, Place::None, nullptr},
        {kRelease95, nullptr, 0, E_FAIL, Place::None, nullptr},
        {kReleaseNt4, "4.09.00.0904", 0, E_FAIL, Place::None, nullptr},
    };
    const DIJOYCONFIG_DX5 record = DistinctRecord();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.windows.name) + " with DirectX " +
                     (c.directX != nullptr ? c.directX : "unknown"));
        simwin::Reset();
        SetWindows(c.windows);
        SetDirectXVersion(c.directX);
        AddEveryPlace();
        const size_t changesBefore = simwin::RegistryChanges();

        EXPECT_EQ(StoreCalibration(record, kStoreAxisValues, kInstance, c.joystickId), c.result);

        size_t expectedChanges = 0;
        if (c.place == Place::Legacy) {
            EXPECT_EQ(ReadValue(kLegacySettingsKey, c.legacyValue), HwcBytes(record));
            EXPECT_EQ(ReadValue(kLegacySettingsKey, "Keep"), Bytes{9});
            expectedChanges = 1;
        }
        for (const char* axis : kWrittenAxes) {
            const std::optional<Bytes> atInterface =
                ReadValue(InterfaceAxisKey(kOurInterface, axis), "Calibration");
            const std::optional<Bytes> atInstance =
                ReadValue(InstanceAxisKey(kOurInstance, axis), "Calibration");
            EXPECT_EQ(atInterface.has_value(), c.place == Place::Interface) << "axis " << axis;
            EXPECT_EQ(atInstance.has_value(), c.place == Place::Instance) << "axis " << axis;
            const std::optional<Bytes>& written =
                c.place == Place::Interface ? atInterface : atInstance;
            if (written) {
                EXPECT_EQ(*written, ExpectedCalibration(axis)) << "axis " << axis;
            }
        }
        if (c.place == Place::Interface || c.place == Place::Instance) {
            // The keys "Type" and "Axes", four axis subkeys and four values.
            expectedChanges = 2 + 4 + 4;
        }
        EXPECT_EQ(simwin::RegistryChanges() - changesBefore, expectedChanges);
    }
}

TEST_F(CalibrationStore, MissingKeysAreCreatedAndExistingOnesKeepTheirOtherValues) {
    const DIJOYCONFIG_DX5 record = DistinctRecord();
    struct Case {
        const char* directX;
        std::string (*axisKey)(const std::string&, const char*);
        std::string located;
    };
    const Case cases[] = {
        {"4.08.00.0400", InterfaceAxisKey, kOurInterface},
        {"4.09.00.0904", InstanceAxisKey, kOurInstance},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directX);
        for (bool existing : {false, true}) {
            SCOPED_TRACE(existing ? "existing axis keys" : "no axes key");
            simwin::Reset();
            SetWindows(kReleaseXp);
            SetDirectXVersion(c.directX);
            AddEveryPlace();
            if (existing) {
                for (const char* axis : {"0", "1", "2", "3", "4", "5"}) {
                    WriteValue(c.axisKey(c.located, axis), "Calibration", {0xEE});
                    WriteValue(c.axisKey(c.located, axis), "Other", {0xAB, 0xCD});
                }
            }

            EXPECT_EQ(StoreCalibration(record, kStoreAxisValues, kInstance, 0), ERROR_SUCCESS);

            for (const char* axis : kWrittenAxes) {
                EXPECT_EQ(ReadValue(c.axisKey(c.located, axis), "Calibration"),
                          ExpectedCalibration(axis))
                    << "axis " << axis;
                if (existing) {
                    EXPECT_EQ(ReadValue(c.axisKey(c.located, axis), "Other"), (Bytes{0xAB, 0xCD}))
                        << "axis " << axis;
                }
            }
            for (const char* untouched : {"3", "4"}) {
                EXPECT_EQ(KeyExists(c.axisKey(c.located, untouched)), existing);
                if (existing) {
                    EXPECT_EQ(ReadValue(c.axisKey(c.located, untouched), "Calibration"),
                              Bytes{0xEE});
                }
            }
        }
    }
}

TEST_F(CalibrationStore, NoMatchingIdentifierWritesNothing) {
    const Bytes ours = GuidBytes(kInstance);
    Bytes longer = ours;
    longer.push_back(0);
    const Bytes shorter(ours.begin(), ours.end() - 1);
    struct Case {
        const char* what;
        std::optional<Bytes> guid;  // none: no "GUID" value
    };
    const Case cases[] = {
        {"other identifiers only", GuidBytes(kOtherInstance)},
        {"no GUID value", std::nullopt},
        {"our identifier and one byte more", longer},
        {"our identifier less its last byte", shorter},
        {"an empty GUID value", Bytes{}},
    };
    for (const char* directX : {"4.08.00.0400", "4.09.00.0904"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(directX) + ": " + c.what);
            simwin::Reset();
            SetWindows(kReleaseXp);
            SetDirectXVersion(directX);
            // Three candidates in each place, none of them a match; the
            // last one is the case's.
            for (const char* name : {"A", "B"}) {
                AddInterface(name, GuidBytes(kOtherInstance));
                AddInstance(name, GuidBytes(kOtherInstance));
            }
            AddInterface("C", c.guid);
            AddInstance("C", c.guid);
            const size_t changesBefore = simwin::RegistryChanges();

            EXPECT_EQ(StoreCalibration(DistinctRecord(), kStoreAxisValues, kInstance, 0), E_FAIL);
            EXPECT_EQ(simwin::RegistryChanges(), changesBefore);
        }
    }
    // An interface key without the DirectX subkey is passed over as well.
    simwin::Reset();
    SetWindows(kReleaseXp);
    WriteValue(InterfaceKey("Bare"), "GUID", ours);
    EXPECT_EQ(StoreCalibration(DistinctRecord(), kStoreAxisValues, kInstance, 0), E_FAIL);
}

TEST_F(CalibrationStore, MissingParentKeysAndFailuresOnTheWay) {
    const DIJOYCONFIG_DX5 record = DistinctRecord();

    // No legacy settings key: its open error comes back and it is not made.
    simwin::Reset();
    SetWindows(kRelease98);
    EXPECT_EQ(StoreCalibration(record, kStoreAxisValues, kInstance, 0), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(simwin::RegistryChanges(), 0u);

    // No HID class key, no private calibration key.
    for (const char* directX : {"4.08.00.0400", "4.09.00.0904"}) {
        simwin::Reset();
        SetWindows(kRelease2000);
        SetDirectXVersion(directX);
        const size_t changesBefore = simwin::RegistryChanges();
        EXPECT_EQ(StoreCalibration(record, kStoreAxisValues, kInstance, 0), E_FAIL) << directX;
        EXPECT_EQ(simwin::RegistryChanges(), changesBefore);
    }

    // Without the write flag the newer places are only located; the legacy
    // place does not look at the flags.
    simwin::Reset();
    SetWindows(kReleaseXp);
    AddEveryPlace();
    size_t changesBefore = simwin::RegistryChanges();
    EXPECT_EQ(StoreCalibration(record, 0, kInstance, 0), ERROR_SUCCESS);
    EXPECT_EQ(simwin::RegistryChanges(), changesBefore);
    SetWindows(kRelease98);
    EXPECT_EQ(StoreCalibration(record, 0, kInstance, 0), ERROR_SUCCESS);
    EXPECT_EQ(ReadValue(kLegacySettingsKey, "Joystick1Configuration"), HwcBytes(record));

    // The axes key cannot be made: its error, nothing written.
    simwin::Reset();
    SetWindows(kReleaseXp);
    AddEveryPlace();
    changesBefore = simwin::RegistryChanges();
    simwin::FailCall("RegCreateKeyA", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(StoreCalibration(record, kStoreAxisValues, kInstance, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(simwin::RegistryChanges(), changesBefore);

    // The last axis's subkey cannot be made: the others are written and its
    // error is the result.
    simwin::Reset();
    SetWindows(kReleaseXp);
    AddEveryPlace();
    simwin::FailCall("RegCreateKeyA", 5, ERROR_ACCESS_DENIED);  // axes, 0, 1, 2, then 5
    EXPECT_EQ(StoreCalibration(record, kStoreAxisValues, kInstance, 0), ERROR_ACCESS_DENIED);
    for (const char* axis : {"0", "1", "2"}) {
        EXPECT_EQ(ReadValue(InterfaceAxisKey(kOurInterface, axis), "Calibration"),
                  ExpectedCalibration(axis));
    }
    EXPECT_FALSE(KeyExists(InterfaceAxisKey(kOurInterface, "5")));
}

TEST_F(CalibrationStore, WindowsVersionCodes) {
    struct Case {
        DWORD platformId;
        DWORD major;
        DWORD minor;
        WindowsVersionCode code;
    };
    const Case cases[] = {
        {0, 3, 11, kWin32s},
        {1, 4, 0, kWindows95},
        {1, 4, 10, kWindows98},
        {1, 4, 3, kWindows98},
        {1, 4, 90, kWindowsMe},
        {1, 3, 10, kUnrecognisedWindows},
        {1, 5, 0, kUnrecognisedWindows},
        {2, 3, 51, kWindowsNt4},
        {2, 4, 0, kWindowsNt4},
        {2, 5, 0, kWindows2000},
        {2, 5, 1, kWindowsXp},
        {2, 5, 2, kWindowsXp},
        {2, 6, 0, kUnrecognisedWindows},
        {2, 10, 0, kUnrecognisedWindows},
        {2, 2, 0, kUnrecognisedWindows},
        {3, 5, 1, kUnrecognisedWindows},
    };
    for (const Case& c : cases) {
        SetWindows({"", c.platformId, c.major, c.minor});
        EXPECT_EQ(GetWindowsVersionCode(), c.code)
            << "platform " << c.platformId << ", " << c.major << "." << c.minor;
    }
    SetWindows(kReleaseXp);
    simwin::FailCall("GetVersionExA");
    EXPECT_EQ(GetWindowsVersionCode(), kUnrecognisedWindows);
    EXPECT_EQ(GetWindowsVersionCode(), kWindowsXp);
}

TEST_F(CalibrationStore, DirectXVersionFromItsText) {
    const std::string padded = "4.09.00.0904" + std::string(256 - 12, ' ');
    struct Case {
        const char* what;
        Bytes value;
        DWORD number;
    };
    const auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    const auto terminated = [](const std::string& s) {
        Bytes bytes(s.begin(), s.end());
        bytes.push_back(0);
        return bytes;
    };
    const Case cases[] = {
        {"9.0c", terminated("4.09.00.0904"), 0x900},
        {"8.1", terminated("4.08.01.0810"), 0x801},
        {"8.0", terminated("4.08.00.0400"), 0x800},
        {"hexadecimal fields", terminated("4.0a.0B.0"), 0xA0B},
        {"no terminator", text("4.08.01.0810"), 0x801},
        {"256 bytes without terminator", text(padded), 0x900},
        {"257 bytes", text(padded + " "), 0x700},
        {"three fields", terminated("4.09.00"), 0x700},
        {"a field without digits", terminated("4..00.0904"), 0x700},
        {"another separator", terminated("4,09,00,0904"), 0x700},
        {"empty", Bytes{}, 0x700},
        {"text after the fourth field", terminated("4.09.00.0904 beta"), 0x900},
        {"terminator inside",
         terminated(std::string("4.09.00.0904\0"
                                "9.9.9.9",
                                20)),
         0x900},
        {"a field beyond 32 bits", terminated("4.100000000.00.0904"), 0x700},
        {"a number (DWORD)", Bytes{0x04, 0x09, 0x00, 0x00}, 0x700},
    };
    for (const Case& c : cases) {
        simwin::Reset();
        WriteValue("Software\\Microsoft\\DirectX", "Version", c.value);
        EXPECT_EQ(ReadDirectXVersion(), c.number) << c.what;
    }
    simwin::Reset();
    EXPECT_EQ(ReadDirectXVersion(), 0x700u) << "no DirectX key";
    WriteValue("Software\\Microsoft\\DirectX", "Other", {1});
    EXPECT_EQ(ReadDirectXVersion(), 0x700u) << "no Version value";
}

}  // namespace
