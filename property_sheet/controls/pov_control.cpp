#include "property_sheet/controls/pov_control.h"

#include <cstdlib>

#include "property_sheet/controls/indicator_class.h"
#include "property_sheet/controls/pov_arrow.h"

// The areas of the last two arrows that SetPovDirection drew, shared by
// every hat indicator of the process (the pages show one at a time). Only
// the user-interface thread touches them. After a direction change the two
// are the same region; a window's destruction empties both.

namespace {

constexpr DWORD kCentredAtFullSize = 0x0064FFFF;
constexpr COLORREF kArrowGrey = RGB(100, 100, 100);

HRGN g_currentArrow = nullptr;
HRGN g_previousArrow = nullptr;

struct Ring {
    int cx, cy, rx, ry;
};

Ring RingOf(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2, (r.right - r.left) / 2,
            (r.bottom - r.top) / 2};
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const DWORD value = IndicatorValue(window);
    const DWORD direction = value & 0xFFFF;
    const double scale = (value >> 16) * 0.01;

    HPEN pen = CreatePen(PS_SOLID, 1, kArrowGrey);
    HBRUSH brush = CreateSolidBrush(kArrowGrey);
    RECT ring = {0, 0, client.right - 1, client.bottom - 1};
    InflateRect(&ring, -10, -10);

    // The ring takes the device context's own (white) brush.
    HGDIOBJ previousPen = SelectObject(dc, pen);
    Ellipse(dc, ring.left, ring.top, ring.right, ring.bottom);
    HGDIOBJ previousBrush = SelectObject(dc, brush);
    const Ring geometry = RingOf(ring);
    Ellipse(dc, geometry.cx - 5, geometry.cy - 5, geometry.cx + 6, geometry.cy + 6);
    if (direction < kPovCentred) {
        POINT arrow[kPovArrowPoints];
        BuildPovArrow(direction, scale, geometry.cx, geometry.cy, geometry.rx, geometry.ry, arrow);
        Polygon(dc, arrow, kPovArrowPoints);
    }
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    DeleteObject(pen);
    DeleteObject(brush);
    EndPaint(window, &paint);
}

void InvalidateAround(HWND control, HRGN region) {
    RECT box;
    GetRgnBox(region, &box);
    InflateRect(&box, 3, 3);
    InvalidateRect(control, &box, TRUE);
}

void ForgetArrows() {
    if (g_previousArrow != nullptr && g_previousArrow != g_currentArrow) {
        DeleteObject(g_previousArrow);
    }
    if (g_currentArrow != nullptr) {
        DeleteObject(g_currentArrow);
    }
    g_previousArrow = nullptr;
    g_currentArrow = nullptr;
}

// The arrow's size by the direction's octant: the vertical magnitude up and
// down, the horizontal one right and left, their mean on the diagonals.
// Magnitudes count by their size whatever their sign.
DWORD MagnitudeFor(DWORD direction, LONG horizontal, LONG vertical) {
    const long long h = std::llabs(static_cast<long long>(horizontal));
    const long long v = std::llabs(static_cast<long long>(vertical));
    switch (direction / 4500) {
        case 0:
        case 4:
            return static_cast<DWORD>(v);
        case 2:
        case 6:
            return static_cast<DWORD>(h);
        default:
            return static_cast<DWORD>((h + v) / 2);
    }
}

}  // namespace

LRESULT CALLBACK PovControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetIndicatorValue(window, kCentredAtFullSize);
            return 0;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_DESTROY:
            ForgetArrows();
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterPovControlClass(HINSTANCE instance) {
    return RegisterIndicatorClass(instance, "PovControl", PovControlProcedure);
}

void SetPovDirection(HWND dialog, int itemId, DWORD direction, LONG horizontalMagnitude,
                     LONG verticalMagnitude) {
    HWND control = GetDlgItem(dialog, itemId);
    if (control == nullptr) {
        return;
    }
    const DWORD d = direction & 0xFFFF;
    if (d >= kPovCentred) {
        // A centred hat has no size of its own: the control keeps the one
        // it had, and draws no arrow.
        SetIndicatorValue(control, (IndicatorValue(control) & 0xFFFF0000u) | d);
    } else {
        const DWORD magnitude = MagnitudeFor(d, horizontalMagnitude, verticalMagnitude);
        SetIndicatorValue(control, d + (magnitude << 16));

        RECT bounds;
        GetClientRect(control, &bounds);
        InflateRect(&bounds, -12, -12);
        const Ring geometry = RingOf(bounds);
        POINT outline[kPovArrowPoints + 1];
        BuildPovArrow(d, (magnitude & 0xFFFF) * 0.01, geometry.cx, geometry.cy, geometry.rx,
                      geometry.ry, outline);
        outline[kPovArrowPoints] = outline[0];
        g_currentArrow = CreatePolygonRgn(outline, kPovArrowPoints + 1, ALTERNATE);
    }
    if (g_currentArrow == nullptr) {
        return;
    }
    if (g_previousArrow != nullptr && g_previousArrow != g_currentArrow) {
        InvalidateAround(control, g_previousArrow);
        InvalidateAround(control, g_currentArrow);
        DeleteObject(g_previousArrow);
    } else {
        InvalidateAround(control, g_currentArrow);
    }
    g_previousArrow = g_currentArrow;
}
