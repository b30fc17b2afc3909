#include "property_sheet/controls/sunken_field.h"

void PaintSunkenField(HDC dc, int width, int height) {
    const int right = width - 1;
    const int bottom = height - 1;
    HPEN outerShadow = CreatePen(PS_SOLID, 1, RGB(161, 157, 157));
    HPEN outerLight = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN innerShadow = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN innerLight = CreatePen(PS_SOLID, 1, RGB(241, 239, 226));
    HBRUSH field = CreateSolidBrush(RGB(255, 255, 255));

    // A pen that could not be made is skipped: its lines take the pen before
    // it. The context's own pen is what the first selection that took gave
    // back, and it goes back in before our pens are deleted, since a pen
    // still selected cannot be deleted and would be lost on every paint.
    HGDIOBJ previousPen = nullptr;
    auto usePen = [&](HPEN pen) {
        if (pen == nullptr) {
            return;
        }
        HGDIOBJ replaced = SelectObject(dc, pen);
        if (previousPen == nullptr) {
            previousPen = replaced;
        }
    };

    usePen(outerShadow);
    MoveToEx(dc, 0, bottom, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, right, 0);
    usePen(outerLight);
    LineTo(dc, right, bottom);
    LineTo(dc, 0, bottom);

    usePen(innerShadow);
    MoveToEx(dc, 1, bottom - 1, nullptr);
    LineTo(dc, 1, 1);
    LineTo(dc, right - 1, 1);
    usePen(innerLight);
    LineTo(dc, right - 1, bottom - 1);
    LineTo(dc, 1, bottom - 1);

    RECT inside = {2, 2, width - 2, height - 2};
    FillRect(dc, &inside, field);

    if (previousPen != nullptr) {
        SelectObject(dc, previousPen);
    }
    DeleteObject(outerShadow);
    DeleteObject(outerLight);
    DeleteObject(innerShadow);
    DeleteObject(innerLight);
    DeleteObject(field);
}
