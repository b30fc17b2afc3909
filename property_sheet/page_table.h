// The sheet's four pages in tab order: each page's dialog template and its
// page procedure.
#pragma once

#include <windows.h>

constexpr int kPageCount = 4;

struct PageTableRow {
    WORD templateId;
    DLGPROC procedure;
};

extern const PageTableRow kPageTable[kPageCount];
