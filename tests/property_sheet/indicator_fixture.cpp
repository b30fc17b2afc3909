#include "indicator_fixture.h"

#include "property_sheet/controls/axes_control.h"
#include "property_sheet/controls/lamp_control.h"
#include "property_sheet/controls/pov_control.h"
#include "property_sheet/controls/rumble_control.h"

namespace {
const HINSTANCE kModule = reinterpret_cast<HINSTANCE>(0x51000);
}

void IndicatorTest::SetUp() {
    SimwinTest::SetUp();
    ASSERT_TRUE(RegisterLampControlClass(kModule));
    ASSERT_TRUE(RegisterAxesControlClass(kModule));
    ASSERT_TRUE(RegisterPovControlClass(kModule));
    ASSERT_TRUE(RegisterRumbleControlClass(kModule));
    parent_ = CreateWindowExA(0, "STATIC", "page", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 400, 300,
                              nullptr, nullptr, kModule, nullptr);
    ASSERT_NE(nullptr, parent_);
}

void IndicatorTest::TearDown() {
    DestroyWindow(parent_);
    EXPECT_EQ(0u, simwin::LiveGdiObjects()) << "a drawing object outlived the controls";
    SimwinTest::TearDown();
}

HWND IndicatorTest::MakeControl(const char* className, int id, int width, int height,
                                const char* text) {
    HWND control =
        CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE, 10, 10, width, height, parent_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), kModule, nullptr);
    EXPECT_NE(nullptr, control);
    return control;
}

std::vector<simwin::Primitive> IndicatorTest::Paint(HWND control) {
    const size_t before = simwin::LiveGdiObjects();
    SendMessageA(control, WM_PAINT, 0, 0);
    EXPECT_EQ(before, simwin::LiveGdiObjects()) << "the paint leaked a drawing object";
    EXPECT_EQ(0u, simwin::LiveDeviceContexts());
    simwin::PaintRecord record;
    EXPECT_TRUE(simwin::LastPaint(control, &record));
    return record.primitives;
}
