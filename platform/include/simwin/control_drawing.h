// The control panel of the simulated machine's GDI, for tests and tools:
// what each paint drew, recording device contexts for direct paint calls,
// and the count of drawing objects alive.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ui_types.h"

namespace simwin {

struct PenState {
    int style;
    int width;
    COLORREF color;
};

struct BrushState {
    UINT style;  // BS_SOLID or BS_NULL
    COLORREF color;
};

enum class PrimitiveKind {
    Line,
    FillRect,
    Rectangle,
    Ellipse,
    Arc,
    Polygon,
    DrawText,
    TextOut,
    Icon
};

// One drawing call and the device context's state when it was made. Only the
// fields the kind uses are set; pen and brush are those selected (FillRect's
// brush is the one it was given).
struct Primitive {
    PrimitiveKind kind;
    POINT from;      // Line: start; TextOut, Icon: position
    POINT to;        // Line: end (not drawn)
    RECT rect;       // FillRect, Rectangle, Ellipse, Arc: bounds; DrawText: rectangle
    POINT arcStart;  // Arc: the radial end points
    POINT arcEnd;
    std::vector<POINT> points;  // Polygon
    int fillMode;               // Polygon
    PenState pen;
    BrushState brush;
    std::string text;  // DrawText, TextOut
    UINT format;       // DrawText
    COLORREF textColor;
    COLORREF backgroundColor;
    int backgroundMode;
    HGDIOBJ font;
    HICON icon;  // Icon
};

struct PaintRecord {
    RECT paintRect;  // PAINTSTRUCT.rcPaint
    bool erased;     // WM_ERASEBKGND was sent
    // What WM_ERASEBKGND drew, then what the paint drew.
    std::vector<Primitive> background;
    std::vector<Primitive> primitives;
};

// The last finished paint of a window (EndPaint, or ReleaseDC of a GetDC
// context). False when the window was never painted.
bool LastPaint(HWND window, PaintRecord* paint);
// Finished paints of a window since it was created.
size_t PaintCount(HWND window);

// A device context of no window, for calling a paint routine directly. It
// starts like any other (black pen, white brush, system font) and records
// until deleted.
HDC CreateRecordingDC();
std::vector<Primitive> RecordedPrimitives(HDC dc);
void DeleteRecordingDC(HDC dc);

// Pens, brushes, fonts and regions created and not yet deleted (stock
// objects and system-colour brushes never count).
size_t LiveGdiObjects();
// Device contexts handed out and not yet ended or released.
size_t LiveDeviceContexts();

}  // namespace simwin
