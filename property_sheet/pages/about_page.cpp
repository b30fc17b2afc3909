#include "property_sheet/pages/about_page.h"

INT_PTR CALLBACK AboutPageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(page, message, wParam, lParam);
}
