// Drawing objects: pens, brushes, fonts (stock only) and the stock objects.
// Semantics kept and choices:
//  - Handles count up and are never reused, so a deleted object's handle
//    stays invalid.
//  - Stock objects (GetStockObject) and system-colour brushes exist once
//    per process; DeleteObject on them succeeds and does nothing, and they
//    never count in simwin::LiveGdiObjects. Stock pens are solid and 1
//    pixel wide.
//  - DeleteObject of an object still selected into a device context fails
//    (FALSE) and the object stays alive and counted, so a paint that
//    deletes before reselecting shows as a leak instead of leaving a
//    context with a dangling object.
//  - CreatePen and CreateSolidBrush can be made to fail with FailCall.
#include <map>

#include "faults.h"
#include "gdi_internal.h"
#include "simwin/kernel.h"
#include "simwin/system_colors.h"

namespace simwin::detail {
namespace {

uintptr_t g_next_handle = 0x30010;
auto* g_objects = new std::map<uintptr_t, GdiObject>;  // never destroyed
HGDIOBJ g_stock[DEFAULT_GUI_FONT + 1] = {};

GdiObject Pen(int style, int width, COLORREF color, bool stock) {
    GdiObject object = {};
    object.kind = GdiKind::Pen;
    object.stock = stock;
    object.pen = {style, width, color};
    return object;
}

GdiObject Brush(UINT style, COLORREF color, bool stock) {
    GdiObject object = {};
    object.kind = GdiKind::Brush;
    object.stock = stock;
    object.brush = {style, color};
    return object;
}

GdiObject Font(const char* name) {
    GdiObject object = {};
    object.kind = GdiKind::Font;
    object.stock = true;
    object.fontName = name;
    return object;
}

bool MakeStock(int index, GdiObject* object) {
    switch (index) {
        case WHITE_BRUSH:
            *object = Brush(BS_SOLID, RGB(255, 255, 255), true);
            return true;
        case LTGRAY_BRUSH:
            *object = Brush(BS_SOLID, RGB(192, 192, 192), true);
            return true;
        case GRAY_BRUSH:
            *object = Brush(BS_SOLID, RGB(128, 128, 128), true);
            return true;
        case DKGRAY_BRUSH:
            *object = Brush(BS_SOLID, RGB(64, 64, 64), true);
            return true;
        case BLACK_BRUSH:
            *object = Brush(BS_SOLID, RGB(0, 0, 0), true);
            return true;
        case NULL_BRUSH:
            *object = Brush(BS_NULL, 0, true);
            return true;
        case WHITE_PEN:
            *object = Pen(PS_SOLID, 1, RGB(255, 255, 255), true);
            return true;
        case BLACK_PEN:
            *object = Pen(PS_SOLID, 1, RGB(0, 0, 0), true);
            return true;
        case NULL_PEN:
            *object = Pen(PS_NULL, 1, 0, true);
            return true;
        case OEM_FIXED_FONT:
            *object = Font("Terminal");
            return true;
        case ANSI_FIXED_FONT:
            *object = Font("Courier");
            return true;
        case ANSI_VAR_FONT:
            *object = Font("MS Sans Serif");
            return true;
        case SYSTEM_FONT:
        case DEVICE_DEFAULT_FONT:
            *object = Font("System");
            return true;
        case SYSTEM_FIXED_FONT:
            *object = Font("Fixedsys");
            return true;
        case DEFAULT_GUI_FONT:
            *object = Font("MS Shell Dlg");
            return true;
        default:
            return false;
    }
}

}  // namespace

HGDIOBJ InsertGdiObject(const GdiObject& object) {
    const uintptr_t value = g_next_handle;
    g_next_handle += 4;
    g_objects->emplace(value, object);
    return reinterpret_cast<HGDIOBJ>(value);
}

GdiObject* FindGdiObject(HGDIOBJ handle) {
    auto it = g_objects->find(reinterpret_cast<uintptr_t>(handle));
    return it == g_objects->end() ? nullptr : &it->second;
}

bool ResolveBrush(HBRUSH brush, BrushState* state) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= COLOR_INFOBK + 1) {
        *state = {BS_SOLID, GetSysColor(static_cast<int>(value - 1))};
        return true;
    }
    const GdiObject* object = FindGdiObject(brush);
    if (object == nullptr || object->kind != GdiKind::Brush) {
        return false;
    }
    *state = object->brush;
    return true;
}

void ResetGdiObjects() {
    for (auto it = g_objects->begin(); it != g_objects->end();) {
        it = it->second.stock ? std::next(it) : g_objects->erase(it);
    }
}

}  // namespace simwin::detail

extern "C" {

HGDIOBJ WINAPI GetStockObject(int i) {
    if (i < 0 || i > DEFAULT_GUI_FONT) {
        return nullptr;
    }
    HGDIOBJ& stock = simwin::detail::g_stock[i];
    if (stock == nullptr) {
        simwin::detail::GdiObject object;
        if (!simwin::detail::MakeStock(i, &object)) {
            return nullptr;
        }
        stock = simwin::detail::InsertGdiObject(object);
    }
    return stock;
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("CreatePen", &error)) {
        SetLastError(error);
        return nullptr;
    }
    if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return static_cast<HPEN>(
        simwin::detail::InsertGdiObject(simwin::detail::Pen(iStyle, cWidth, color, false)));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("CreateSolidBrush", &error)) {
        SetLastError(error);
        return nullptr;
    }
    return static_cast<HBRUSH>(
        simwin::detail::InsertGdiObject(simwin::detail::Brush(BS_SOLID, color, false)));
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    simwin::detail::GdiObject* object = simwin::detail::FindGdiObject(ho);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->stock) {
        return TRUE;
    }
    if (simwin::detail::IsSelectedAnywhere(ho)) {
        return FALSE;
    }
    simwin::detail::g_objects->erase(reinterpret_cast<uintptr_t>(ho));
    return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
    if (simwin::detail::FindDeviceContext(static_cast<HDC>(h)) != nullptr) {
        return OBJ_DC;
    }
    const simwin::detail::GdiObject* object = simwin::detail::FindGdiObject(h);
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (object->kind) {
        case simwin::detail::GdiKind::Pen:
            return OBJ_PEN;
        case simwin::detail::GdiKind::Brush:
            return OBJ_BRUSH;
        case simwin::detail::GdiKind::Font:
            return OBJ_FONT;
        case simwin::detail::GdiKind::Region:
            return OBJ_REGION;
    }
    return 0;
}

}  // extern "C"

size_t simwin::LiveGdiObjects() {
    size_t live = 0;
    for (const auto& entry : *detail::g_objects) {
        live += entry.second.stock ? 0 : 1;
    }
    return live;
}
