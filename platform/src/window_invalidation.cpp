// Invalid areas. Each window keeps the list of invalidations it received,
// one record per call with the rectangle as given (client coordinates, not
// clipped to the client area, so tests see exactly what the code asked
// for), its erase flag and the RDW flags (InvalidateRect records
// RDW_INVALIDATE, plus RDW_ERASE when erasing). Empty rectangles add
// nothing. The window needs painting while its list is not empty.
//  - Validation (ValidateRect, RDW_VALIDATE) removes the validated part:
//    records are cut into the pieces that lie outside it.
//  - BeginPaint validates the whole client area (device_contexts.cpp).
//  - WM_PAINT is sent only on request: UpdateWindow and RDW_UPDATENOW for
//    one window (or its tree with RDW_ALLCHILDREN), simwin::PaintNow for
//    all. Only windows shown on screen (WS_VISIBLE on them and every
//    ancestor) are painted; hidden windows keep their invalid areas.
//  - A NULL window (the whole desktop) is accepted and changes nothing.
//  - RDW_ALLCHILDREN invalidates every descendant's whole client area.
#include <algorithm>

#include "simwin/control_windows.h"
#include "simwin/kernel.h"
#include "simwin/rectangles.h"
#include "simwin/window_painting.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

bool Intersects(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void Subtract(const InvalidArea& area, const RECT& valid, std::vector<InvalidArea>* out) {
    const RECT& r = area.rect;
    if (!Intersects(r, valid)) {
        out->push_back(area);
        return;
    }
    auto add = [&](LONG left, LONG top, LONG right, LONG bottom) {
        if (right > left && bottom > top) {
            out->push_back({{left, top, right, bottom}, area.erase, area.flags});
        }
    };
    const LONG middleTop = std::max(r.top, valid.top);
    const LONG middleBottom = std::min(r.bottom, valid.bottom);
    add(r.left, r.top, r.right, valid.top);
    add(r.left, middleTop, valid.left, middleBottom);
    add(valid.right, middleTop, r.right, middleBottom);
    add(r.left, valid.bottom, r.right, r.bottom);
}

void Validate(Window& window, const RECT* rect) {
    if (rect == nullptr) {
        window.invalid.clear();
        return;
    }
    std::vector<InvalidArea> remaining;
    for (const InvalidArea& area : window.invalid) {
        Subtract(area, *rect, &remaining);
    }
    window.invalid = std::move(remaining);
}

void Invalidate(Window& window, const RECT& rect, bool erase, UINT flags) {
    if (rect.right > rect.left && rect.bottom > rect.top) {
        window.invalid.push_back({rect, erase, flags});
    }
}

void InvalidateDescendants(HWND handle, UINT flags) {
    Window* window = FindWindowRecord(handle);
    for (HWND child : window->children) {
        Window* record = FindWindowRecord(child);
        Invalidate(*record, ClientRectOf(*record), (flags & RDW_ERASE) != 0, flags);
        InvalidateDescendants(child, flags);
    }
}

void PaintIfNeeded(HWND handle) {
    Window* window = FindWindowRecord(handle);
    if (window != nullptr && !window->invalid.empty() && IsShown(handle)) {
        SendMessageA(handle, WM_PAINT, 0, 0);
    }
}

void PaintTree(HWND handle) {
    PaintIfNeeded(handle);
    Window* window = FindWindowRecord(handle);
    if (window == nullptr) {
        return;
    }
    const std::vector<HWND> children = window->children;
    for (HWND child : children) {
        PaintTree(child);
    }
}

}  // namespace
}  // namespace simwin::detail

using simwin::detail::FindWindowRecord;
using simwin::detail::RequireWindow;
using simwin::detail::Window;

extern "C" {

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    if (hWnd == nullptr) {
        return TRUE;
    }
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    const RECT rect = lpRect != nullptr ? *lpRect : simwin::detail::ClientRectOf(*window);
    simwin::detail::Invalidate(*window, rect, bErase != FALSE,
                               RDW_INVALIDATE | (bErase ? RDW_ERASE : 0u));
    return TRUE;
}

BOOL WINAPI InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
    if (hRgn == nullptr) {
        return InvalidateRect(hWnd, nullptr, bErase);
    }
    RECT box;
    if (GetRgnBox(hRgn, &box) == ERROR) {
        return FALSE;
    }
    return InvalidateRect(hWnd, &box, bErase);
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
    if (hWnd == nullptr) {
        return TRUE;
    }
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    simwin::detail::Validate(*window, lpRect);
    return TRUE;
}

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags) {
    if (hWnd == nullptr) {
        return TRUE;
    }
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    RECT area = simwin::detail::ClientRectOf(*window);
    if (lprcUpdate != nullptr) {
        area = *lprcUpdate;
    } else if (hrgnUpdate != nullptr && GetRgnBox(hrgnUpdate, &area) == ERROR) {
        return FALSE;
    }
    if (flags & RDW_INVALIDATE) {
        simwin::detail::Invalidate(*window, area, (flags & RDW_ERASE) != 0, flags);
        if (flags & RDW_ALLCHILDREN) {
            simwin::detail::InvalidateDescendants(hWnd, flags);
        }
    } else if (flags & RDW_VALIDATE) {
        simwin::detail::Validate(*window,
                                 lprcUpdate == nullptr && hrgnUpdate == nullptr ? nullptr : &area);
    }
    if (flags & RDW_UPDATENOW) {
        if (flags & RDW_ALLCHILDREN) {
            simwin::detail::PaintTree(hWnd);
        } else {
            simwin::detail::PaintIfNeeded(hWnd);
        }
    }
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    if (RequireWindow(hWnd) == nullptr) {
        return FALSE;
    }
    simwin::detail::PaintIfNeeded(hWnd);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
    (void)bErase;
    Window* window = RequireWindow(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    RECT box = {0, 0, 0, 0};
    for (const auto& area : window->invalid) {
        UnionRect(&box, &box, &area.rect);
    }
    if (lpRect != nullptr) {
        *lpRect = box;
    }
    return IsRectEmpty(&box) ? FALSE : TRUE;
}

}  // extern "C"

namespace simwin {

std::vector<InvalidArea> InvalidAreas(HWND window) {
    Window* record = FindWindowRecord(window);
    return record == nullptr ? std::vector<InvalidArea>() : record->invalid;
}

void ClearInvalidAreas(HWND window) {
    if (window != nullptr) {
        if (Window* record = FindWindowRecord(window)) {
            record->invalid.clear();
        }
        return;
    }
    for (HWND each : AllWindows()) {
        FindWindowRecord(each)->invalid.clear();
    }
}

size_t PaintNow() {
    size_t painted = 0;
    for (HWND window : AllWindows()) {
        Window* record = FindWindowRecord(window);
        if (record != nullptr && !record->invalid.empty() && detail::IsShown(window)) {
            SendMessageA(window, WM_PAINT, 0, 0);
            ++painted;
        }
    }
    return painted;
}

}  // namespace simwin
