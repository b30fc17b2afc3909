// Drawing objects and device contexts shared by the GDI files of the
// simulated machine. Like the windows, they belong to the user-interface
// thread and are not locked.
#pragma once

#include <string>
#include <vector>

#include "simwin/control_drawing.h"
#include "simwin/gdi.h"

namespace simwin::detail {

enum class GdiKind { Pen, Brush, Font, Region };

struct GdiObject {
    GdiKind kind;
    bool stock;  // stock objects and system-colour brushes: never counted or deleted
    PenState pen;
    BrushState brush;
    std::string fontName;
    // Regions.
    std::vector<POINT> points;
    int fillMode;
    RECT box;
    int complexity;
};

HGDIOBJ InsertGdiObject(const GdiObject& object);
GdiObject* FindGdiObject(HGDIOBJ handle);
// A brush handle, or a system colour index + 1 where the platform accepts
// one (class backgrounds, FillRect).
bool ResolveBrush(HBRUSH brush, BrushState* state);
void ResetGdiObjects();

struct DeviceContext {
    HWND window;    // NULL for recording contexts
    bool painting;  // handed out by BeginPaint
    HGDIOBJ pen;
    HGDIOBJ brush;
    HGDIOBJ font;
    COLORREF textColor;
    COLORREF backgroundColor;
    int backgroundMode;
    POINT position;
    bool erasing;  // inside WM_ERASEBKGND: records go to the background
    bool erased;   // WM_ERASEBKGND was sent for this paint
    RECT paintRect;
    std::vector<Primitive> background;
    std::vector<Primitive> primitives;
};

DeviceContext* FindDeviceContext(HDC dc);
// Fills the primitive's state from the context and appends it.
void Record(DeviceContext& dc, Primitive primitive);
bool IsSelectedAnywhere(HGDIOBJ object);
void ResetDeviceContexts();

}  // namespace simwin::detail
