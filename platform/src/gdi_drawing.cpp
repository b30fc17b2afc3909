// Drawing calls: each appends one primitive with the context's state (see
// device_contexts.cpp) instead of setting pixels. Coordinates are recorded
// as given. Text has fixed metrics: every character is 6 pixels wide and a
// line 13 pixels high (the machine's dialog base units), which is what
// DrawTextA's DT_CALCRECT and its result use. Every call fails (FALSE, or 0
// for the int results) on a context that does not exist.
#include <algorithm>

#include "gdi_internal.h"
#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

constexpr int kCharWidth = 6;
constexpr int kLineHeight = 13;

Primitive Make(PrimitiveKind kind) {
    Primitive primitive = {};
    primitive.kind = kind;
    return primitive;
}

DeviceContext* Require(HDC dc) {
    DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return context;
}

BOOL RecordBox(HDC hdc, PrimitiveKind kind, int left, int top, int right, int bottom) {
    DeviceContext* dc = Require(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    Primitive primitive = Make(kind);
    primitive.rect = {left, top, right, bottom};
    Record(*dc, std::move(primitive));
    return TRUE;
}

}  // namespace
}  // namespace simwin::detail

using simwin::Primitive;
using simwin::PrimitiveKind;
using simwin::detail::DeviceContext;

extern "C" {

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    DeviceContext* dc = simwin::detail::Require(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    if (lppt != nullptr) {
        *lppt = dc->position;
    }
    dc->position = {x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    DeviceContext* dc = simwin::detail::Require(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    Primitive line = simwin::detail::Make(PrimitiveKind::Line);
    line.from = dc->position;
    line.to = {x, y};
    dc->position = {x, y};
    simwin::detail::Record(*dc, std::move(line));
    return TRUE;
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    DeviceContext* dc = simwin::detail::Require(hDC);
    Primitive fill = simwin::detail::Make(PrimitiveKind::FillRect);
    if (dc == nullptr || lprc == nullptr || !simwin::detail::ResolveBrush(hbr, &fill.brush)) {
        return 0;
    }
    fill.rect = *lprc;
    simwin::detail::Record(*dc, std::move(fill));
    return 1;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    return simwin::detail::RecordBox(hdc, PrimitiveKind::Rectangle, left, top, right, bottom);
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    return simwin::detail::RecordBox(hdc, PrimitiveKind::Ellipse, left, top, right, bottom);
}

BOOL WINAPI Arc(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    DeviceContext* dc = simwin::detail::Require(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    Primitive arc = simwin::detail::Make(PrimitiveKind::Arc);
    arc.rect = {x1, y1, x2, y2};
    arc.arcStart = {x3, y3};
    arc.arcEnd = {x4, y4};
    simwin::detail::Record(*dc, std::move(arc));
    return TRUE;
}

BOOL WINAPI Polygon(HDC hdc, const POINT* apt, int cpt) {
    DeviceContext* dc = simwin::detail::Require(hdc);
    if (dc == nullptr || apt == nullptr || cpt < 2) {
        return FALSE;
    }
    Primitive polygon = simwin::detail::Make(PrimitiveKind::Polygon);
    polygon.points.assign(apt, apt + cpt);
    polygon.fillMode = ALTERNATE;
    simwin::detail::Record(*dc, std::move(polygon));
    return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    DeviceContext* dc = simwin::detail::Require(hdc);
    if (dc == nullptr || lprc == nullptr || lpchText == nullptr || cchText < -1) {
        return 0;
    }
    const std::string text(lpchText,
                           cchText == -1 ? std::strlen(lpchText) : static_cast<size_t>(cchText));
    size_t lines = 1;
    size_t widest = 0;
    size_t current = 0;
    for (char c : text) {
        if (c == '\n' && !(format & DT_SINGLELINE)) {
            ++lines;
            current = 0;
        } else if (c != '\r') {
            widest = std::max(widest, ++current);
        }
    }
    const int height = static_cast<int>(lines) * simwin::detail::kLineHeight;
    if (format & DT_CALCRECT) {
        lprc->right = lprc->left + static_cast<LONG>(widest) * simwin::detail::kCharWidth;
        lprc->bottom = lprc->top + height;
        return height;
    }
    Primitive drawn = simwin::detail::Make(PrimitiveKind::DrawText);
    drawn.text = text;
    drawn.rect = *lprc;
    drawn.format = format;
    simwin::detail::Record(*dc, std::move(drawn));
    return height;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    DeviceContext* dc = simwin::detail::Require(hdc);
    if (dc == nullptr || c < 0 || (c > 0 && lpString == nullptr)) {
        return FALSE;
    }
    Primitive drawn = simwin::detail::Make(PrimitiveKind::TextOut);
    drawn.text.assign(lpString == nullptr ? "" : lpString, static_cast<size_t>(c));
    drawn.from = {x, y};
    simwin::detail::Record(*dc, std::move(drawn));
    return TRUE;
}

BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
    DeviceContext* dc = simwin::detail::Require(hDC);
    if (dc == nullptr || hIcon == nullptr) {
        return FALSE;
    }
    Primitive drawn = simwin::detail::Make(PrimitiveKind::Icon);
    drawn.from = {X, Y};
    drawn.icon = hIcon;
    simwin::detail::Record(*dc, std::move(drawn));
    return TRUE;
}

}  // extern "C"
