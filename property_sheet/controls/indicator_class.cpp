#include "property_sheet/controls/indicator_class.h"

namespace {

// Every class the sheet registers through RegisterIndicatorClass.
constexpr LPCSTR kIndicatorClassNames[] = {"LampControl", "AxesControl", "PovControl",
                                           "RumbleControl"};

}  // namespace

bool RegisterIndicatorClass(HINSTANCE instance, LPCSTR name, WNDPROC procedure) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

void UnregisterIndicatorClasses(HINSTANCE instance) {
    for (LPCSTR name : kIndicatorClassNames) {
        UnregisterClassA(name, instance);
    }
}

DWORD IndicatorValue(HWND control) {
    return static_cast<DWORD>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

void SetIndicatorValue(HWND control, DWORD value) {
    SetWindowLongPtrA(control, GWLP_USERDATA, static_cast<LONG_PTR>(value));
}
