// Rectangle arithmetic, as the platform defines it: a rectangle is empty
// when its right edge is not beyond its left or its bottom not below its
// top; intersections and unions of empty rectangles come out as (0,0,0,0).
// Every function fails (FALSE) on a NULL rectangle.
#include <algorithm>

#include "simwin/rectangles.h"

namespace {

bool Empty(const RECT& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

}  // namespace

extern "C" {

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
    if (lprc == nullptr) {
        return FALSE;
    }
    *lprc = {xLeft, yTop, xRight, yBottom};
    return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT lprc) {
    return SetRect(lprc, 0, 0, 0, 0);
}

BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
    if (lprcDst == nullptr || lprcSrc == nullptr) {
        return FALSE;
    }
    *lprcDst = *lprcSrc;
    return TRUE;
}

BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy) {
    if (lprc == nullptr) {
        return FALSE;
    }
    lprc->left -= dx;
    lprc->top -= dy;
    lprc->right += dx;
    lprc->bottom += dy;
    return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
    if (lprc == nullptr) {
        return FALSE;
    }
    lprc->left += dx;
    lprc->top += dy;
    lprc->right += dx;
    lprc->bottom += dy;
    return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* lprc) {
    return lprc == nullptr || Empty(*lprc) ? TRUE : FALSE;
}

BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) {
    return lprc != nullptr && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top &&
                   pt.y < lprc->bottom
               ? TRUE
               : FALSE;
}

BOOL WINAPI EqualRect(const RECT* lprc1, const RECT* lprc2) {
    return lprc1 != nullptr && lprc2 != nullptr && lprc1->left == lprc2->left &&
                   lprc1->top == lprc2->top && lprc1->right == lprc2->right &&
                   lprc1->bottom == lprc2->bottom
               ? TRUE
               : FALSE;
}

BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
    if (lprcDst == nullptr || lprcSrc1 == nullptr || lprcSrc2 == nullptr) {
        return FALSE;
    }
    const RECT result = {
        std::max(lprcSrc1->left, lprcSrc2->left), std::max(lprcSrc1->top, lprcSrc2->top),
        std::min(lprcSrc1->right, lprcSrc2->right), std::min(lprcSrc1->bottom, lprcSrc2->bottom)};
    if (Empty(*lprcSrc1) || Empty(*lprcSrc2) || Empty(result)) {
        *lprcDst = {0, 0, 0, 0};
        return FALSE;
    }
    *lprcDst = result;
    return TRUE;
}

BOOL WINAPI UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
    if (lprcDst == nullptr || lprcSrc1 == nullptr || lprcSrc2 == nullptr) {
        return FALSE;
    }
    if (Empty(*lprcSrc1) && Empty(*lprcSrc2)) {
        *lprcDst = {0, 0, 0, 0};
        return FALSE;
    }
    if (Empty(*lprcSrc1)) {
        *lprcDst = *lprcSrc2;
    } else if (Empty(*lprcSrc2)) {
        *lprcDst = *lprcSrc1;
    } else {
        *lprcDst = {std::min(lprcSrc1->left, lprcSrc2->left),
                    std::min(lprcSrc1->top, lprcSrc2->top),
                    std::max(lprcSrc1->right, lprcSrc2->right),
                    std::max(lprcSrc1->bottom, lprcSrc2->bottom)};
    }
    return TRUE;
}

}  // extern "C"
