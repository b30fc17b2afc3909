#include "property_sheet/controls/axes_control.h"

#include <algorithm>

#include "property_sheet/controls/indicator_class.h"
#include "property_sheet/controls/sunken_field.h"

namespace {

constexpr DWORD kCentred = 0x80008000;

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;

    PaintSunkenField(dc, width, height);

    const POINT marker = AxesMarkerPosition(IndicatorValue(window), width, height);
    const int x1 = marker.x < 8 ? 3 : marker.x - 5;
    const int x2 = marker.x + 5 > width - 4 ? width - 4 : marker.x + 6;
    const int y1 = marker.y < 8 ? 3 : marker.y - 5;
    const int y2 = marker.y + 5 > height - 4 ? height - 4 : marker.y + 6;
    HPEN crosshair = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ previousPen = SelectObject(dc, crosshair);
    MoveToEx(dc, x1, marker.y, nullptr);
    LineTo(dc, x2, marker.y);
    MoveToEx(dc, marker.x, y1, nullptr);
    LineTo(dc, marker.x, y2);
    SelectObject(dc, previousPen);
    DeleteObject(crosshair);
    EndPaint(window, &paint);
}

}  // namespace

POINT AxesMarkerPosition(DWORD value, int width, int height) {
    const DWORD horizontal = value >> 16;
    const DWORD vertical = value & 0xFFFF;
    LONG x = static_cast<LONG>((horizontal * static_cast<DWORD>(width)) >> 16);
    LONG y = static_cast<LONG>((vertical * static_cast<DWORD>(height)) >> 16);
    x = std::min<LONG>(std::max<LONG>(x, 3), width - 4);
    y = std::min<LONG>(std::max<LONG>(y, 3), height - 4);
    return {x, y};
}

LRESULT CALLBACK AxesControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetIndicatorValue(window, kCentred);
            return 0;
        case WM_PAINT:
            Paint(window);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterAxesControlClass(HINSTANCE instance) {
    return RegisterIndicatorClass(instance, "AxesControl", AxesControlProcedure);
}

void SetAxesPosition(HWND dialog, int itemId, LONG horizontal, LONG vertical) {
    HWND control = GetDlgItem(dialog, itemId);
    if (control == nullptr) {
        return;
    }
    const DWORD value =
        ((static_cast<DWORD>(horizontal) & 0xFFFF) << 16) | (static_cast<DWORD>(vertical) & 0xFFFF);
    SetIndicatorValue(control, value);
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE);
}
