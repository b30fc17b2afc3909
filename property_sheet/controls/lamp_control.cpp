#include "property_sheet/controls/lamp_control.h"

#include "property_sheet/controls/indicator_class.h"

namespace {

constexpr int kCaptionCapacity = 64;

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;

    HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(IndicatorValue(window)));
    HGDIOBJ previousBrush = SelectObject(dc, fill);
    Ellipse(dc, 0, 0, width, height);
    SelectObject(dc, previousBrush);
    DeleteObject(fill);

    // The lamp's number, from the template, in the device context's font.
    char caption[kCaptionCapacity] = {};
    GetWindowTextA(window, caption, kCaptionCapacity);
    SetTextColor(dc, RGB(202, 202, 202));
    SetBkMode(dc, TRANSPARENT);
    const int middle = height / 2;
    RECT band = {0, middle - 8, width, middle + 8};
    DrawTextA(dc, caption, -1, &band, DT_CENTER);

    // The highlight runs counter-clockwise along the lower and right rim.
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    Arc(dc, 0, 0, width, height, static_cast<int>(width * 0.3), static_cast<int>(height * 0.8),
        static_cast<int>(width * 0.8), static_cast<int>(height * 0.3));
    SelectObject(dc, previousPen);
    EndPaint(window, &paint);
}

}  // namespace

LRESULT CALLBACK LampControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        Paint(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterLampControlClass(HINSTANCE instance) {
    return RegisterIndicatorClass(instance, "LampControl", LampControlProcedure);
}

void SetLampColor(HWND dialog, int itemId, COLORREF color) {
    HWND control = GetDlgItem(dialog, itemId);
    if (control == nullptr) {
        return;
    }
    SetIndicatorValue(control, color);
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE);
}
