#include "property_sheet/controls/rumble_control.h"

#include "property_sheet/controls/indicator_class.h"
#include "property_sheet/controls/sunken_field.h"

namespace {

// The dot travels within the field inset by 5 on every side.
constexpr int kDotAreaInset = 7;

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;

    PaintSunkenField(dc, width, height);

    const int cx = width / 2;
    const int cy = height / 2;
    HPEN crosshair = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ previousPen = SelectObject(dc, crosshair);
    MoveToEx(dc, cx - 9, cy, nullptr);
    LineTo(dc, cx + 10, cy);
    MoveToEx(dc, cx, cy - 9, nullptr);
    LineTo(dc, cx, cy + 10);

    // Drawn last, over the crosshair, outlined by its pen.
    const POINT dot = RumbleDotPosition(IndicatorValue(window), width, height);
    HGDIOBJ previousBrush = SelectObject(dc, red);
    Ellipse(dc, dot.x - 5, dot.y - 5, dot.x + 6, dot.y + 6);

    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    DeleteObject(crosshair);
    DeleteObject(red);
    EndPaint(window, &paint);
}

}  // namespace

POINT RumbleDotPosition(DWORD value, int width, int height) {
    const RECT area = {kDotAreaInset, kDotAreaInset, width - kDotAreaInset, height - kDotAreaInset};
    const int cx = (area.left + area.right) / 2;
    const int cy = (area.top + area.bottom) / 2;
    const int halfWidth = (area.right - area.left) / 2;
    const int halfHeight = (area.bottom - area.top) / 2;
    const SHORT horizontal = static_cast<SHORT>(value >> 16);
    const SHORT vertical = static_cast<SHORT>(value & 0xFFFF);
    // The centre is added before truncation: -1 lands left of it wherever
    // the half-extent is at least one pixel.
    return {static_cast<LONG>(cx + horizontal * static_cast<double>(halfWidth) / 10000.0),
            static_cast<LONG>(cy + vertical * static_cast<double>(halfHeight) / 10000.0)};
}

LRESULT CALLBACK RumbleControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return 0;
        case WM_PAINT:
            Paint(window);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterRumbleControlClass(HINSTANCE instance) {
    return RegisterIndicatorClass(instance, "RumbleControl", RumbleControlProcedure);
}
