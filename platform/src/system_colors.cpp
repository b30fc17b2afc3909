// System colours of the simulated machine: the classic scheme, fixed.
// GetSysColorBrush hands out one shared brush per colour, which is never
// counted and never deleted, as on the platform. Indexes outside the table
// answer black and no brush.
#include "gdi_internal.h"
#include "simwin/system_colors.h"

namespace {

constexpr COLORREF kColors[COLOR_INFOBK + 1] = {
    RGB(212, 208, 200),  // scroll bar
    RGB(58, 110, 165),   // background
    RGB(10, 36, 106),    // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(212, 208, 200),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(212, 208, 200),  // active border
    RGB(212, 208, 200),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(10, 36, 106),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(212, 208, 200),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(212, 208, 200),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3D dark shadow
    RGB(212, 208, 200),  // 3D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
};

HBRUSH g_brushes[COLOR_INFOBK + 1] = {};

bool Known(int index) {
    return index >= 0 && index <= COLOR_INFOBK;
}

}  // namespace

extern "C" {

DWORD WINAPI GetSysColor(int nIndex) {
    return Known(nIndex) ? kColors[nIndex] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
    if (!Known(nIndex)) {
        return nullptr;
    }
    if (g_brushes[nIndex] == nullptr) {
        simwin::detail::GdiObject brush = {};
        brush.kind = simwin::detail::GdiKind::Brush;
        brush.stock = true;
        brush.brush = {BS_SOLID, kColors[nIndex]};
        g_brushes[nIndex] = static_cast<HBRUSH>(simwin::detail::InsertGdiObject(brush));
    }
    return g_brushes[nIndex];
}

BOOL WINAPI MessageBeep(UINT uType) {
    (void)uType;
    return TRUE;
}

}  // extern "C"
