// The property sheet modules the viewer can show: each model's module name
// and the class identifier its sheet is created under, taken from the very
// profile the module is built with.
#pragma once

#include <windows.h>

namespace sheet_viewer {

struct SheetModel {
    char letter;                // 's' or 't', as in the module's name
    const wchar_t* moduleName;  // padscope_<m>.dll
    GUID classId;
};

// Defined once per model by model_sheet_class.cpp.
GUID ModelSSheetClass();
GUID ModelTSheetClass();

// The model of letter "s" or "t" (any case); null for anything else.
const SheetModel* FindSheetModel(const char* letter);

}  // namespace sheet_viewer
