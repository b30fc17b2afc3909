#include "shown_controller_sheet.h"

#include <dinputd.h>

#include <cstring>

#include "program_directory.h"

namespace windows_test {
namespace {

constexpr DWORD kPumpSliceMs = 5;

}  // namespace

standin::InputState AxesInput(uint8_t x, uint8_t y, uint8_t z, uint8_t rz) {
    standin::InputState input = standin::CentredInput();
    input.x = x;
    input.y = y;
    input.z = z;
    input.rz = rz;
    return input;
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

void ShownControllerSheet::SetUp() {
    ASSERT_TRUE(controller_.plugged())
        << "no stand-in controller (is the controller module running?), error "
        << controller_.error();
    ASSERT_TRUE(controller_.SetInput(standin::CentredInput()));
}

void ShownControllerSheet::TearDown() {
    EXPECT_EQ(S_OK, panel_.Close()) << "the closed sheet left the module in use";
}

void ShownControllerSheet::Open(UINT tab) {
    const std::string path = ProgramDirectory() + PADSCOPE_MODULE_NAME;
    const std::wstring widePath(path.begin(), path.end());
    ASSERT_EQ(S_OK,
              panel_.Open(widePath, kModelProfile.propertySheetClassId, kSheetJoystickId, tab))
        << "failed at " << panel_.failure();
    char dinputPath[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("dinput.dll"), dinputPath, MAX_PATH);
    ASSERT_EQ(0, _strnicmp(dinputPath, ProgramDirectory().c_str(), ProgramDirectory().size()))
        << "the sheet uses the runtime's own DirectInput (" << dinputPath
        << "): the program needs its DLL overrides";
    Pump();
}

HWND ShownControllerSheet::Visit(UINT tab) {
    EXPECT_TRUE(panel_.SelectTab(tab)) << "tab " << tab;
    Pump();
    return panel_.currentPage();
}

void ShownControllerSheet::Pump() {
    panel_.PumpMessages(kPumpSliceMs);
}

bool ShownControllerSheet::PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    return WaitUntil(condition, timeoutMs, [this] { Pump(); });
}

bool ShownControllerSheet::PumpUntilText(int item, const std::wstring& text) {
    return PumpUntil([&] { return WindowText(GetDlgItem(page(), item)) == text; });
}

void ShownControllerSheet::Click(int item) {
    HWND current = page();
    SendMessageW(current, WM_COMMAND, MAKEWPARAM(item, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(current, item)));
}

std::optional<std::array<DWORD, 4>> ShownControllerSheet::SweepAxes() {
    // The page's numbers for X, Y, Z and Rz: the readings' high bytes.
    constexpr int kAxisNumbers[] = {1016, 1017, 1018, 1019};
    for (uint8_t end : {0, 255}) {
        if (!controller_.SetInput(AxesInput(end, end, end, end))) {
            return std::nullopt;
        }
        const std::wstring shown = std::to_wstring(end);
        const bool followed = PumpUntil([&] {
            for (int item : kAxisNumbers) {
                if (WindowText(GetDlgItem(page(), item)) != shown) {
                    return false;
                }
            }
            return true;
        });
        if (!followed) {
            return std::nullopt;
        }
    }
    // The middle lies inside the runtime's dead zone, which decides the
    // exact reading.
    if (!controller_.SetInput(standin::CentredInput())) {
        return std::nullopt;
    }
    std::array<DWORD, 4> middle = {};
    const bool centred = PumpUntil([&] {
        for (size_t i = 0; i < middle.size(); ++i) {
            const int number = _wtoi(WindowText(GetDlgItem(page(), kAxisNumbers[i])).c_str());
            if (number < 120 || number > 136) {
                return false;
            }
            middle[i] = static_cast<DWORD>(number);
        }
        return true;
    });
    if (!centred) {
        return std::nullopt;
    }
    return middle;
}

GUID ShownControllerSheet::JoystickInstance() {
    IDirectInputJoyConfig* joyConfig = nullptr;
    IDIGameCntrlPropSheet_GetJoyConfigObject(panel_.sheet(), &joyConfig);
    DIJOYCONFIG_DX5 config;
    std::memset(&config, 0, sizeof config);
    config.dwSize = sizeof config;
    if (joyConfig == nullptr || FAILED(IDirectInputJoyConfig_GetConfig(
                                    joyConfig, kSheetJoystickId,
                                    reinterpret_cast<LPDIJOYCONFIG>(&config), DIJC_GUIDINSTANCE))) {
        return GUID_NULL;
    }
    return config.guidInstance;
}

}  // namespace windows_test
