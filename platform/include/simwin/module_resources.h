// Host-only: a module's resources. On the platform dialog templates and
// icons are compiled into the module; on the host each module describes
// them in one SimwinModuleResources table and names it with
// SIMWIN_MODULE_RESOURCES in one of its sources. LoadLibraryA attaches the
// table to the module's handle (FreeLibrary drops it); CreateDialogParamA
// and LoadIconA look resources up through it. Tests that link a module's
// code directly attach its table to a handle of their own with
// simwin::RegisterModuleResources (control_windows.h).
//
// Positions and sizes are dialog units, converted to pixels as MapDialogRect
// does (dialogs.cpp). The records are written as braced lists in field
// order; the trailing icon and extended-style fields may be left out.
#pragma once

#include <cstddef>

#include "ui_types.h"

struct SimwinDialogItem {
    int id;                 // dialog item id; -1 for items nobody looks up
    const char* className;  // "STATIC", "BUTTON", TRACKBAR_CLASSA, a registered class...
    const char* text;       // window text; NULL for none
    DWORD style;            // WS_CHILD is added when missing
    int x, y, cx, cy;
    WORD icon;  // SS_ICON statics: the module's icon resource shown; 0 none
    DWORD exStyle;

    constexpr SimwinDialogItem(int id, const char* className, const char* text, DWORD style, int x,
                               int y, int cx, int cy, WORD icon = 0, DWORD exStyle = 0)
        : id(id),
          className(className),
          text(text),
          style(style),
          x(x),
          y(y),
          cx(cx),
          cy(cy),
          icon(icon),
          exStyle(exStyle) {}
};

struct SimwinDialogTemplate {
    WORD id;  // the resource number, MAKEINTRESOURCEA(id) at CreateDialogParamA
    const char* caption;
    DWORD style;
    const char* fontName;
    WORD pointSize;
    int x, y, cx, cy;
    const SimwinDialogItem* items;  // in template (creation) order
    size_t itemCount;
    DWORD exStyle;

    constexpr SimwinDialogTemplate(WORD id, const char* caption, DWORD style, const char* fontName,
                                   WORD pointSize, int x, int y, int cx, int cy,
                                   const SimwinDialogItem* items, size_t itemCount,
                                   DWORD exStyle = 0)
        : id(id),
          caption(caption),
          style(style),
          fontName(fontName),
          pointSize(pointSize),
          x(x),
          y(y),
          cx(cx),
          cy(cy),
          items(items),
          itemCount(itemCount),
          exStyle(exStyle) {}
};

struct SimwinIconResource {
    WORD id;
    int width;
    int height;
};

struct SimwinModuleResources {
    const SimwinDialogTemplate* dialogs;
    size_t dialogCount;
    const SimwinIconResource* icons;
    size_t iconCount;
};

extern "C" void simwin_register_module_resources(const SimwinModuleResources* resources);

#define SIMWIN_MODULE_RESOURCES(table)                                   \
    namespace {                                                          \
    [[maybe_unused]] const int simwin_module_resources_registered = [] { \
        simwin_register_module_resources(&(table));                      \
        return 0;                                                        \
    }();                                                                 \
    }
