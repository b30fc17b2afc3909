// The trackbar common control (TRACKBAR_CLASSA).
//  - A new trackbar has the range 0..100, position 0, line size 1, tick
//    frequency 1, and a page size of a fifth of the range until one is set.
//  - TBM_SETRANGE takes the minimum in the low word and the maximum in the
//    high word, each as a signed 16-bit number; TBM_SETRANGEMIN/MAX take
//    full 32-bit values. Every range change pulls the position into the
//    range. TBM_SETPOS clamps to the range and sends no notification, as on
//    the platform. A TRUE wParam (redraw) invalidates the control.
//  - The user's actions (simwin::DragTrackbarThumb, ScrollTrackbar) move
//    the position and notify the parent with WM_HSCROLL, or WM_VSCROLL for
//    TBS_VERT, whose lParam is the trackbar: a drag sends TB_THUMBTRACK and
//    TB_THUMBPOSITION with the position in the high word, a key its line,
//    page or end code; each action ends with TB_ENDTRACK. A trackbar that is
//    hidden or disabled does not respond.
//  - Painting draws the channel and the thumb as two rectangles.
#include "simwin/common_controls.h"
#include "simwin/control_windows.h"
#include "simwin/kernel.h"
#include "simwin/window_painting.h"
#include "standard_classes.h"
#include "window_internal.h"

namespace simwin::detail {
namespace {

class TrackbarState : public BuiltinState {
  public:
    LONG minimum = 0;
    LONG maximum = 100;
    LONG position = 0;
    LONG lineSize = 1;
    LONG pageSize = -1;  // -1: a fifth of the range
    WPARAM ticFrequency = 1;

    LONG Page() const { return pageSize >= 0 ? pageSize : (maximum - minimum) / 5; }
    void Clamp() {
        if (position > maximum) {
            position = maximum;
        }
        if (position < minimum) {
            position = minimum;
        }
    }
};

void Redraw(HWND window, WPARAM redraw) {
    if (redraw) {
        InvalidateRect(window, nullptr, TRUE);
    }
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc == nullptr) {
        return;
    }
    auto* state = BuiltinStateOf<TrackbarState>(window);
    RECT client;
    GetClientRect(window, &client);
    const LONG middle = client.bottom / 2;
    Rectangle(dc, 8, middle - 2, client.right - 8, middle + 2);
    const LONG span = state->maximum - state->minimum;
    const LONG travel = client.right - 16;
    const LONG x =
        8 + (span > 0 ? static_cast<LONG>(static_cast<long long>(state->position - state->minimum) *
                                          travel / span)
                      : 0);
    Rectangle(dc, x - 5, client.top + 2, x + 6, client.bottom - 2);
    EndPaint(window, &paint);
}

void Notify(HWND window, WORD code, WORD position) {
    const bool vertical = (GetWindowLongA(window, GWL_STYLE) & TBS_VERT) != 0;
    SendMessageA(GetParent(window), vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, position),
                 reinterpret_cast<LPARAM>(window));
}

TrackbarState* Responding(HWND window) {
    if (ClassNameOf(window) != TRACKBAR_CLASSA || !IsWindowVisible(window) ||
        !IsWindowEnabled(window)) {
        return nullptr;
    }
    return BuiltinStateOf<TrackbarState>(window);
}

}  // namespace

LRESULT CALLBACK TrackbarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        FindWindowRecord(window)->builtin = std::make_unique<TrackbarState>();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    auto* state = BuiltinStateOf<TrackbarState>(window);
    if (state == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case TBM_GETPOS:
            return state->position;
        case TBM_GETRANGEMIN:
            return state->minimum;
        case TBM_GETRANGEMAX:
            return state->maximum;
        case TBM_SETPOS:
            state->position = static_cast<LONG>(lParam);
            state->Clamp();
            Redraw(window, wParam);
            return 0;
        case TBM_SETRANGE:
            state->minimum = static_cast<SHORT>(LOWORD(lParam));
            state->maximum = static_cast<SHORT>(HIWORD(lParam));
            state->Clamp();
            Redraw(window, wParam);
            return 0;
        case TBM_SETRANGEMIN:
            state->minimum = static_cast<LONG>(lParam);
            state->Clamp();
            Redraw(window, wParam);
            return 0;
        case TBM_SETRANGEMAX:
            state->maximum = static_cast<LONG>(lParam);
            state->Clamp();
            Redraw(window, wParam);
            return 0;
        case TBM_SETTICFREQ:
            state->ticFrequency = wParam;
            return 0;
        case TBM_SETPAGESIZE: {
            const LONG previous = state->Page();
            state->pageSize = static_cast<LONG>(lParam);
            return previous;
        }
        case TBM_GETPAGESIZE:
            return state->Page();
        case TBM_SETLINESIZE: {
            const LONG previous = state->lineSize;
            state->lineSize = static_cast<LONG>(lParam);
            return previous;
        }
        case TBM_GETLINESIZE:
            return state->lineSize;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace simwin::detail

namespace simwin {

bool DragTrackbarThumb(HWND trackbar, LONG position) {
    auto* state = detail::Responding(trackbar);
    if (state == nullptr) {
        return false;
    }
    state->position = position;
    state->Clamp();
    const WORD reached = static_cast<WORD>(state->position);
    InvalidateRect(trackbar, nullptr, TRUE);
    detail::Notify(trackbar, TB_THUMBTRACK, reached);
    detail::Notify(trackbar, TB_THUMBPOSITION, reached);
    detail::Notify(trackbar, TB_ENDTRACK, 0);
    return true;
}

bool ScrollTrackbar(HWND trackbar, UINT code) {
    auto* state = detail::Responding(trackbar);
    if (state == nullptr) {
        return false;
    }
    switch (code) {
        case TB_LINEUP:
            state->position -= state->lineSize;
            break;
        case TB_LINEDOWN:
            state->position += state->lineSize;
            break;
        case TB_PAGEUP:
            state->position -= state->Page();
            break;
        case TB_PAGEDOWN:
            state->position += state->Page();
            break;
        case TB_TOP:
            state->position = state->minimum;
            break;
        case TB_BOTTOM:
            state->position = state->maximum;
            break;
        default:
            return false;
    }
    state->Clamp();
    InvalidateRect(trackbar, nullptr, TRUE);
    detail::Notify(trackbar, static_cast<WORD>(code), 0);
    detail::Notify(trackbar, TB_ENDTRACK, 0);
    return true;
}

}  // namespace simwin
