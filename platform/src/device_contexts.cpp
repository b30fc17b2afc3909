// Device contexts that record. Three kinds exist: the paint context of
// BeginPaint/EndPaint, the window context of GetDC/ReleaseDC, and the
// recording contexts tests create for direct paint calls. Each starts with
// the black pen, the white brush, the system font, black text on an opaque
// white background, and the current position at (0, 0).
// Semantics kept and choices:
//  - BeginPaint answers the bounding box of the window's invalid areas,
//    clipped to the client area, as rcPaint, and validates the whole client
//    area at once (invalidations made while painting stay for the next
//    paint). When any invalidation asked for erasing it first sends
//    WM_ERASEBKGND with the new context; what that draws is recorded as the
//    paint's background, and fErase is TRUE only when the window did not
//    erase (answered 0).
//  - EndPaint and ReleaseDC end the context and keep what it drew as the
//    window's last paint (simwin::LastPaint). Objects still selected are
//    simply deselected; they stay alive until deleted.
//  - SelectObject answers the object of the same kind that was selected
//    before. Regions cannot be selected (clipping is not simulated):
//    HGDI_ERROR.
#include <algorithm>
#include <map>

#include "gdi_internal.h"
#include "simwin/kernel.h"
#include "simwin/rectangles.h"
#include "simwin/window_painting.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

uintptr_t g_next_handle = 0x50010;
auto* g_contexts = new std::map<uintptr_t, DeviceContext>;  // never destroyed
auto* g_last_paints = new std::map<HWND, PaintRecord>;
auto* g_paint_counts = new std::map<HWND, size_t>;

HDC NewContext(HWND window, bool painting) {
    DeviceContext dc = {};
    dc.window = window;
    dc.painting = painting;
    dc.pen = GetStockObject(BLACK_PEN);
    dc.brush = GetStockObject(WHITE_BRUSH);
    dc.font = GetStockObject(SYSTEM_FONT);
    dc.textColor = RGB(0, 0, 0);
    dc.backgroundColor = RGB(255, 255, 255);
    dc.backgroundMode = OPAQUE;
    const uintptr_t value = g_next_handle;
    g_next_handle += 4;
    g_contexts->emplace(value, std::move(dc));
    return reinterpret_cast<HDC>(value);
}

// Ends a window's context and keeps what it drew.
void Finish(HDC handle) {
    auto it = g_contexts->find(reinterpret_cast<uintptr_t>(handle));
    DeviceContext& dc = it->second;
    if (dc.window != nullptr) {
        PaintRecord record;
        record.paintRect = dc.paintRect;
        record.erased = dc.erased;
        record.background = std::move(dc.background);
        record.primitives = std::move(dc.primitives);
        (*g_last_paints)[dc.window] = std::move(record);
        ++(*g_paint_counts)[dc.window];
    }
    g_contexts->erase(it);
}

}  // namespace

DeviceContext* FindDeviceContext(HDC dc) {
    auto it = g_contexts->find(reinterpret_cast<uintptr_t>(dc));
    return it == g_contexts->end() ? nullptr : &it->second;
}

void Record(DeviceContext& dc, Primitive primitive) {
    if (const GdiObject* pen = FindGdiObject(dc.pen)) {
        primitive.pen = pen->pen;
    }
    if (primitive.kind != PrimitiveKind::FillRect) {
        if (const GdiObject* brush = FindGdiObject(dc.brush)) {
            primitive.brush = brush->brush;
        }
    }
    primitive.textColor = dc.textColor;
    primitive.backgroundColor = dc.backgroundColor;
    primitive.backgroundMode = dc.backgroundMode;
    primitive.font = dc.font;
    (dc.erasing ? dc.background : dc.primitives).push_back(std::move(primitive));
}

bool IsSelectedAnywhere(HGDIOBJ object) {
    return std::any_of(g_contexts->begin(), g_contexts->end(), [object](const auto& entry) {
        const DeviceContext& dc = entry.second;
        return dc.pen == object || dc.brush == object || dc.font == object;
    });
}

void ForgetPaints(HWND window) {
    g_last_paints->erase(window);
    g_paint_counts->erase(window);
}

void ResetDeviceContexts() {
    g_contexts->clear();
    g_last_paints->clear();
    g_paint_counts->clear();
}

}  // namespace simwin::detail

using simwin::detail::DeviceContext;
using simwin::detail::FindDeviceContext;

extern "C" {

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    simwin::detail::Window* window = simwin::detail::RequireWindow(hWnd);
    if (window == nullptr || lpPaint == nullptr) {
        return nullptr;
    }
    RECT box = {0, 0, 0, 0};
    bool erase = false;
    for (const auto& area : window->invalid) {
        UnionRect(&box, &box, &area.rect);
        erase = erase || area.erase;
    }
    const RECT client = simwin::detail::ClientRectOf(*window);
    if (!IntersectRect(&box, &box, &client)) {
        box = {0, 0, 0, 0};
    }
    window->invalid.clear();

    const HDC handle = simwin::detail::NewContext(hWnd, true);
    FindDeviceContext(handle)->paintRect = box;
    BOOL notErased = FALSE;
    if (erase) {
        FindDeviceContext(handle)->erasing = true;
        const LRESULT erased =
            SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(handle), 0);
        if (DeviceContext* dc = FindDeviceContext(handle)) {
            dc->erasing = false;
        }
        notErased = erased == 0 ? TRUE : FALSE;
    }
    if (DeviceContext* dc = FindDeviceContext(handle)) {
        dc->erased = erase;
    }
    *lpPaint = {};
    lpPaint->hdc = handle;
    lpPaint->fErase = notErased;
    lpPaint->rcPaint = box;
    return handle;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (lpPaint == nullptr) {
        return FALSE;
    }
    DeviceContext* dc = FindDeviceContext(lpPaint->hdc);
    if (dc == nullptr || !dc->painting || dc->window != hWnd) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    simwin::detail::Finish(lpPaint->hdc);
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) {
    simwin::detail::Window* window = nullptr;
    if (hWnd != nullptr && (window = simwin::detail::RequireWindow(hWnd)) == nullptr) {
        return nullptr;
    }
    const HDC handle = simwin::detail::NewContext(hWnd, false);
    if (window != nullptr) {
        FindDeviceContext(handle)->paintRect = simwin::detail::ClientRectOf(*window);
    }
    return handle;
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    DeviceContext* dc = FindDeviceContext(hDC);
    if (dc == nullptr || dc->painting || dc->window != hWnd) {
        return 0;
    }
    simwin::detail::Finish(hDC);
    return 1;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    DeviceContext* dc = FindDeviceContext(hdc);
    const simwin::detail::GdiObject* object = simwin::detail::FindGdiObject(h);
    if (dc == nullptr || object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ* slot = nullptr;
    switch (object->kind) {
        case simwin::detail::GdiKind::Pen:
            slot = &dc->pen;
            break;
        case simwin::detail::GdiKind::Brush:
            slot = &dc->brush;
            break;
        case simwin::detail::GdiKind::Font:
            slot = &dc->font;
            break;
        case simwin::detail::GdiKind::Region:
            return HGDI_ERROR;
    }
    HGDIOBJ previous = *slot;
    *slot = h;
    return previous;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    DeviceContext* dc = FindDeviceContext(hdc);
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    const COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    DeviceContext* dc = FindDeviceContext(hdc);
    return dc == nullptr ? CLR_INVALID : dc->textColor;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    DeviceContext* dc = FindDeviceContext(hdc);
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    const COLORREF previous = dc->backgroundColor;
    dc->backgroundColor = color;
    return previous;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    DeviceContext* dc = FindDeviceContext(hdc);
    return dc == nullptr ? CLR_INVALID : dc->backgroundColor;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    DeviceContext* dc = FindDeviceContext(hdc);
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int previous = dc->backgroundMode;
    dc->backgroundMode = mode;
    return previous;
}

int WINAPI GetBkMode(HDC hdc) {
    DeviceContext* dc = FindDeviceContext(hdc);
    return dc == nullptr ? 0 : dc->backgroundMode;
}

}  // extern "C"

namespace simwin {

bool LastPaint(HWND window, PaintRecord* paint) {
    auto it = detail::g_last_paints->find(window);
    if (it == detail::g_last_paints->end()) {
        return false;
    }
    *paint = it->second;
    return true;
}

size_t PaintCount(HWND window) {
    auto it = detail::g_paint_counts->find(window);
    return it == detail::g_paint_counts->end() ? 0 : it->second;
}

HDC CreateRecordingDC() {
    return detail::NewContext(nullptr, false);
}

std::vector<Primitive> RecordedPrimitives(HDC dc) {
    DeviceContext* context = FindDeviceContext(dc);
    return context == nullptr ? std::vector<Primitive>() : context->primitives;
}

void DeleteRecordingDC(HDC dc) {
    DeviceContext* context = FindDeviceContext(dc);
    if (context != nullptr && context->window == nullptr && !context->painting) {
        detail::g_contexts->erase(reinterpret_cast<uintptr_t>(dc));
    }
}

size_t LiveDeviceContexts() {
    return detail::g_contexts->size();
}

}  // namespace simwin
