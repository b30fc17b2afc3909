#include "property_sheet/controls/sunken_field.h"

void PaintSunkenField(HDC dc, int width, int height) {
    const int right = width - 1;
    const int bottom = height - 1;
    HPEN outerShadow = CreatePen(PS_SOLID, 1, RGB(161, 157, 157));
    HPEN outerLight = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN innerShadow = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN innerLight = CreatePen(PS_SOLID, 1, RGB(241, 239, 226));
    HBRUSH field = CreateSolidBrush(RGB(255, 255, 255));

    HGDIOBJ previousPen = SelectObject(dc, outerShadow);
    MoveToEx(dc, 0, bottom, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, right, 0);
    SelectObject(dc, outerLight);
    LineTo(dc, right, bottom);
    LineTo(dc, 0, bottom);

    SelectObject(dc, innerShadow);
    MoveToEx(dc, 1, bottom - 1, nullptr);
    LineTo(dc, 1, 1);
    LineTo(dc, right - 1, 1);
    SelectObject(dc, innerLight);
    LineTo(dc, right - 1, bottom - 1);
    LineTo(dc, 1, bottom - 1);

    RECT inside = {2, 2, width - 2, height - 2};
    FillRect(dc, &inside, field);

    SelectObject(dc, previousPen);
    DeleteObject(outerShadow);
    DeleteObject(outerLight);
    DeleteObject(innerShadow);
    DeleteObject(innerLight);
    DeleteObject(field);
}
