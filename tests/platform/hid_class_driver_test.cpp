#include <windows.h>
extern "C" {
#include <hidsdi.h>
}

#include "controller_fixture.h"

namespace {

using HidClassDriver = ControllerTest;

TEST_F(HidClassDriver, HidInterfaceClass) {
    GUID guid = {};
    HidD_GetHidGuid(&guid);
    const GUID expected = {
        0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    EXPECT_TRUE(IsEqualGUID(guid, expected));
}

TEST_F(HidClassDriver, OutputValueCaps) {
    Plug(1, /*outputReportId=*/0x09);
    Plug(2, 0x05, /*hasOutputValue=*/false);
    PHIDP_PREPARSED_DATA withValue = nullptr;
    PHIDP_PREPARSED_DATA withoutValue = nullptr;
    ASSERT_TRUE(HidD_GetPreparsedData(Open(PathOf(1)), &withValue));
    ASSERT_TRUE(HidD_GetPreparsedData(Open(PathOf(2)), &withoutValue));

    const USAGE page = simwin::kOutputValueUsagePage;
    const USAGE usage = simwin::kOutputValueUsage;
    struct Case {
        const char* what;
        PHIDP_PREPARSED_DATA preparsed;
        HIDP_REPORT_TYPE type;
        USAGE page;
        USHORT link;
        USAGE usage;
        USHORT room;
        NTSTATUS status;
        USHORT length;  // *ValueCapsLength afterwards
    };
    const Case cases[] = {
        {"any output value", withValue, HidP_Output, 0, 0, 0, 4, HIDP_STATUS_SUCCESS, 1},
        {"by page and usage", withValue, HidP_Output, page, 0, usage, 1, HIDP_STATUS_SUCCESS, 1},
        {"by page", withValue, HidP_Output, page, 0, 0, 1, HIDP_STATUS_SUCCESS, 1},
        {"other page", withValue, HidP_Output, 0x0009, 0, 0, 4, HIDP_STATUS_USAGE_NOT_FOUND, 0},
        {"other usage", withValue, HidP_Output, page, 0, 0x0035, 4, HIDP_STATUS_USAGE_NOT_FOUND, 0},
        {"other collection", withValue, HidP_Output, 0, 1, 0, 4, HIDP_STATUS_USAGE_NOT_FOUND, 0},
        {"input", withValue, HidP_Input, 0, 0, 0, 4, HIDP_STATUS_USAGE_NOT_FOUND, 0},
        {"feature", withValue, HidP_Feature, 0, 0, 0, 4, HIDP_STATUS_USAGE_NOT_FOUND, 0},
        {"no room", withValue, HidP_Output, 0, 0, 0, 0, HIDP_STATUS_BUFFER_TOO_SMALL, 1},
        {"no output value", withoutValue, HidP_Output, 0, 0, 0, 4, HIDP_STATUS_USAGE_NOT_FOUND, 0},
    };
    for (const Case& c : cases) {
        HIDP_VALUE_CAPS caps[4];
        std::memset(caps, 0xCD, sizeof caps);
        USHORT length = c.room;
        EXPECT_EQ(
            HidP_GetSpecificValueCaps(c.type, c.page, c.link, c.usage, caps, &length, c.preparsed),
            c.status)
            << c.what;
        EXPECT_EQ(length, c.length) << c.what;
        const size_t filled = c.status == HIDP_STATUS_SUCCESS ? 1 : 0;
        for (size_t i = filled; i < 4; ++i) {
            EXPECT_EQ(reinterpret_cast<const BYTE*>(&caps[i])[0], 0xCD) << c.what << " " << i;
        }
        if (filled != 0) {
            EXPECT_EQ(caps[0].ReportID, 0x09) << c.what;
            EXPECT_EQ(caps[0].UsagePage, page) << c.what;
            EXPECT_EQ(caps[0].NotRange.Usage, usage) << c.what;
            EXPECT_FALSE(caps[0].IsRange) << c.what;
            EXPECT_EQ(caps[0].LinkCollection, 0) << c.what;
            EXPECT_EQ(caps[0].BitSize, 8) << c.what;
            EXPECT_EQ(caps[0].ReportCount, 1) << c.what;
            EXPECT_EQ(caps[0].LogicalMax, 255) << c.what;
        }
    }
    EXPECT_TRUE(HidD_FreePreparsedData(withValue));
    EXPECT_TRUE(HidD_FreePreparsedData(withoutValue));
}

TEST_F(HidClassDriver, PreparsedDataIsCountedAndCheckedUntilFreed) {
    simwin::ControllerId id = Plug(1, 0x02);
    HANDLE device = Open(PathOf(1));
    PHIDP_PREPARSED_DATA first = nullptr;
    PHIDP_PREPARSED_DATA second = nullptr;
    ASSERT_TRUE(HidD_GetPreparsedData(device, &first));
    ASSERT_TRUE(HidD_GetPreparsedData(device, &second));
    EXPECT_NE(first, second);
    EXPECT_EQ(simwin::LivePreparsedData(), 2u);

    // Still readable after its device has gone.
    simwin::UnplugController(id);
    HIDP_VALUE_CAPS caps[1];
    USHORT length = 1;
    EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &length, second),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps[0].ReportID, 0x02);

    EXPECT_TRUE(HidD_FreePreparsedData(first));
    EXPECT_EQ(simwin::LivePreparsedData(), 1u);
    EXPECT_FALSE(HidD_FreePreparsedData(first)) << "twice";
    length = 1;
    EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &length, first),
              HIDP_STATUS_INVALID_PREPARSED_DATA);
    int notPreparsed = 0;
    auto* bogus = reinterpret_cast<PHIDP_PREPARSED_DATA>(&notPreparsed);
    EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &length, bogus),
              HIDP_STATUS_INVALID_PREPARSED_DATA);
    EXPECT_EQ(HidP_GetSpecificValueCaps(HidP_Output, 0, 0, 0, caps, &length, nullptr),
              HIDP_STATUS_INVALID_PREPARSED_DATA);
    EXPECT_FALSE(HidD_FreePreparsedData(bogus));
    EXPECT_FALSE(HidD_FreePreparsedData(nullptr));
    EXPECT_TRUE(HidD_FreePreparsedData(second));
    EXPECT_EQ(simwin::LivePreparsedData(), 0u);
}

TEST_F(HidClassDriver, PreparsedDataNeedsAConnectedDeviceFile) {
    simwin::ControllerId id = Plug(1);
    HANDLE dead = Open(PathOf(1));
    simwin::UnplugController(id);
    simwin::ReplugController(id);
    HANDLE closed = Open(PathOf(1));
    Close(closed);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    handles_.push_back(event);
    struct Case {
        const char* what;
        HANDLE handle;
        DWORD error;
    };
    const Case cases[] = {
        {"from before an unplug", dead, ERROR_DEVICE_NOT_CONNECTED},
        {"closed", closed, ERROR_INVALID_HANDLE},
        {"an event", event, ERROR_INVALID_HANDLE},
        {"invalid handle value", INVALID_HANDLE_VALUE, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(HidD_GetPreparsedData(c.handle, &preparsed)) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        EXPECT_EQ(preparsed, nullptr) << c.what;
    }
    HANDLE live = Open(PathOf(1));
    EXPECT_FALSE(HidD_GetPreparsedData(live, nullptr));
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    simwin::FailCall("HidD_GetPreparsedData", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(HidD_GetPreparsedData(live, &preparsed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(simwin::LivePreparsedData(), 0u);
}

}  // namespace
