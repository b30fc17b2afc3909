// Regions, kept as their outline: a polygon (with its fill mode) or a
// rectangle. Only what this system asks of a region is answered: its
// bounding box and whether it is empty, a plain rectangle or more complex.
//  - The box of a polygon region is (min x, min y, max x, max y) of its
//    vertices; like every region's box it excludes its right and bottom
//    edges, as a rectangle polygon's region does on the platform.
//  - A polygon of no area (fewer than three vertices, or all on one line)
//    is an empty region: NULLREGION with the box (0, 0, 0, 0).
//  - CreatePolygonRgn can be made to fail with FailCall.
#include <algorithm>
#include <cstdlib>

#include "faults.h"
#include "gdi_internal.h"
#include "simwin/kernel.h"

namespace simwin::detail {
namespace {

long long TwiceArea(const std::vector<POINT>& points) {
    long long sum = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const POINT& a = points[i];
        const POINT& b = points[(i + 1) % points.size()];
        sum += static_cast<long long>(a.x) * b.y - static_cast<long long>(b.x) * a.y;
    }
    return std::llabs(sum);
}

void Classify(GdiObject* region) {
    const auto& points = region->points;
    const long long area = points.size() < 3 ? 0 : TwiceArea(points);
    if (area == 0) {
        region->box = {0, 0, 0, 0};
        region->complexity = NULLREGION;
        return;
    }
    RECT box = {points[0].x, points[0].y, points[0].x, points[0].y};
    for (const POINT& p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    region->box = box;
    const long long boxArea =
        2LL * (box.right - box.left) * static_cast<long long>(box.bottom - box.top);
    const bool cornersOnly = std::all_of(points.begin(), points.end(), [&](const POINT& p) {
        return (p.x == box.left || p.x == box.right) && (p.y == box.top || p.y == box.bottom);
    });
    region->complexity = cornersOnly && area == boxArea ? SIMPLEREGION : COMPLEXREGION;
}

HRGN MakeRegion(std::vector<POINT> points, int fillMode) {
    GdiObject region = {};
    region.kind = GdiKind::Region;
    region.points = std::move(points);
    region.fillMode = fillMode;
    Classify(&region);
    return static_cast<HRGN>(InsertGdiObject(region));
}

}  // namespace
}  // namespace simwin::detail

extern "C" {

HRGN WINAPI CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode) {
    DWORD error = ERROR_SUCCESS;
    if (simwin::detail::ShouldFail("CreatePolygonRgn", &error)) {
        SetLastError(error);
        return nullptr;
    }
    if (pptl == nullptr || cPoint <= 0 || (iMode != ALTERNATE && iMode != WINDING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return simwin::detail::MakeRegion(std::vector<POINT>(pptl, pptl + cPoint), iMode);
}

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) {
    const LONG left = std::min(x1, x2);
    const LONG right = std::max(x1, x2);
    const LONG top = std::min(y1, y2);
    const LONG bottom = std::max(y1, y2);
    return simwin::detail::MakeRegion({{left, top}, {right, top}, {right, bottom}, {left, bottom}},
                                      ALTERNATE);
}

int WINAPI GetRgnBox(HRGN hrgn, LPRECT lprc) {
    const simwin::detail::GdiObject* region = simwin::detail::FindGdiObject(hrgn);
    if (region == nullptr || region->kind != simwin::detail::GdiKind::Region || lprc == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    *lprc = region->box;
    return region->complexity;
}

}  // extern "C"
