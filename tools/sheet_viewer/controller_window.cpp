#include "tools/sheet_viewer/controller_window.h"

#include <commctrl.h>
#include <prsht.h>

#include <cmath>
#include <cstdio>

#include "tools/sheet_viewer/hand_input.h"

namespace sheet_viewer {

namespace {

constexpr wchar_t kClassName[] = L"PadscopeViewController";
constexpr UINT_PTR kPollTimer = 1;
// The module keeps every report; reading them this often keeps the bars
// as lively as the driver's 25..35 ms ticks.
constexpr UINT kPollMs = 20;
constexpr int kGapToSheet = 8;

// Layout of the client area, in pixels.
constexpr SIZE kClientSize = {384, 340};
constexpr RECT kPlugButton = {276, 6, 372, 30};
constexpr RECT kLeftPad = {12, 40, 132, 160};
constexpr RECT kRightPad = {144, 40, 264, 160};
constexpr RECT kHatPad = {276, 52, 372, 148};
constexpr int kHatCell = 32;
constexpr int kButtonsLeft = 12;
constexpr int kButtonsTop = 204;
constexpr int kButtonWidth = 52;
constexpr int kButtonHeight = 28;
constexpr int kButtonPitchX = 60;
constexpr int kButtonPitchY = 34;
constexpr int kButtonsPerRow = 6;
constexpr int kMotorTop = 292;
constexpr int kMotorPitch = 22;
constexpr int kMotorBarLeft = 96;
constexpr int kMotorBarWidth = 200;
constexpr int kMotorBarHeight = 16;
constexpr int kStickDot = 6;

constexpr COLORREF kPadColour = RGB(255, 255, 255);
constexpr COLORREF kGuideColour = RGB(192, 192, 192);
constexpr COLORREF kStickColour = RGB(200, 32, 32);
constexpr COLORREF kLitColour = RGB(255, 160, 0);
constexpr COLORREF kHatColour = RGB(32, 64, 176);
constexpr COLORREF kMotorColour = RGB(0, 160, 64);
constexpr COLORREF kUnpluggedColour = RGB(160, 0, 0);

// Arrow keys as bits of ControllerWindow::arrows_.
enum Arrow : unsigned { kUp = 1, kRight = 2, kDown = 4, kLeft = 8 };

// The stick keys: which stick, which axis and which end each one pushes to.
struct StickKey {
    UINT key;
    unsigned bit;
    bool rightStick;
    bool vertical;
    bool towardsEnd;  // towards 255 (right, down) rather than 0
};
constexpr StickKey kStickKeys[] = {
    {'A', 1u << 0, false, false, false}, {'D', 1u << 1, false, false, true},
    {'W', 1u << 2, false, true, false},  {'S', 1u << 3, false, true, true},
    {'J', 1u << 4, true, false, false},  {'L', 1u << 5, true, false, true},
    {'I', 1u << 6, true, true, false},   {'K', 1u << 7, true, true, true},
};

// Button n's key: 1..9, 0, -, =, as on the keyboard's top row.
int ButtonOfKey(UINT key) {
    if (key >= '1' && key <= '9') {
        return static_cast<int>(key - '0');
    }
    switch (key) {
        case '0':
            return 10;
        case VK_OEM_MINUS:
            return 11;
        case VK_OEM_PLUS:
            return 12;
        default:
            return 0;
    }
}

RECT ButtonRect(int button) {
    const int column = (button - 1) % kButtonsPerRow;
    const int row = (button - 1) / kButtonsPerRow;
    const int left = kButtonsLeft + column * kButtonPitchX;
    const int top = kButtonsTop + row * kButtonPitchY;
    return {left, top, left + kButtonWidth, top + kButtonHeight};
}

bool Inside(const RECT& rect, POINT point) {
    return PtInRect(&rect, point) != FALSE;
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Text(HDC dc, int x, int y, const wchar_t* text) {
    TextOutW(dc, x, y, text, lstrlenW(text));
}

void CentredText(HDC dc, RECT rect, const wchar_t* text) {
    DrawTextW(dc, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void PaintStickPad(HDC dc, const RECT& pad, uint8_t horizontal, uint8_t vertical,
                   const wchar_t* caption, const wchar_t* keys) {
    Fill(dc, pad, kPadColour);
    RECT edge = pad;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    SetDCPenColor(dc, kGuideColour);
    const int middleX = PointOfAxis(128, pad.left, pad.right - pad.left);
    const int middleY = PointOfAxis(128, pad.top, pad.bottom - pad.top);
    Line(dc, pad.left + 2, middleY, pad.right - 2, middleY);
    Line(dc, middleX, pad.top + 2, middleX, pad.bottom - 2);
    const int x = PointOfAxis(horizontal, pad.left, pad.right - pad.left);
    const int y = PointOfAxis(vertical, pad.top, pad.bottom - pad.top);
    SetDCPenColor(dc, kStickColour);
    Line(dc, middleX, middleY, x, y);
    SetDCBrushColor(dc, kStickColour);
    Ellipse(dc, x - kStickDot, y - kStickDot, x + kStickDot + 1, y + kStickDot + 1);
    Text(dc, pad.left, pad.bottom + 4, caption);
    Text(dc, pad.left, pad.bottom + 20, keys);
}

void PaintHatPad(HDC dc, uint32_t hat) {
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            RECT cell = {kHatPad.left + column * kHatCell, kHatPad.top + row * kHatCell,
                         kHatPad.left + (column + 1) * kHatCell,
                         kHatPad.top + (row + 1) * kHatCell};
            const bool lit =
                hat != ControllerReading::kHatCentred && HatFromCell(column, row) == hat;
            const bool middle = row == 1 && column == 1;
            Fill(dc, cell, lit ? kHatColour : kPadColour);
            DrawEdge(dc, &cell, middle ? EDGE_ETCHED : EDGE_RAISED, BF_RECT);
        }
    }
    // An arrow from the middle in the hat's own direction, which may lie
    // between the pad's eight.
    if (hat != ControllerReading::kHatCentred) {
        const double radians = hat / 100.0 * 3.14159265358979 / 180.0;
        const int centreX = (kHatPad.left + kHatPad.right) / 2;
        const int centreY = (kHatPad.top + kHatPad.bottom) / 2;
        const double reach = kHatCell * 1.3;
        SetDCPenColor(dc, kStickColour);
        HPEN wide = CreatePen(PS_SOLID, 3, kStickColour);
        const HGDIOBJ previous = SelectObject(dc, wide);
        Line(dc, centreX, centreY, centreX + static_cast<int>(reach * std::sin(radians)),
             centreY - static_cast<int>(reach * std::cos(radians)));
        SelectObject(dc, previous);
        DeleteObject(wide);
    }
}

void PaintMotor(HDC dc, int top, const wchar_t* name, BYTE value, double percent) {
    Text(dc, kButtonsLeft, top, name);
    RECT bar = {kMotorBarLeft, top, kMotorBarLeft + kMotorBarWidth, top + kMotorBarHeight};
    Fill(dc, bar, kPadColour);
    RECT filled = bar;
    filled.right = bar.left + static_cast<LONG>(kMotorBarWidth * percent / 100.0 + 0.5);
    Fill(dc, filled, kMotorColour);
    DrawEdge(dc, &bar, EDGE_SUNKEN, BF_RECT);
    wchar_t text[32];
    std::swprintf(text, 32, L"%3.0f%% (%u)", percent, static_cast<unsigned>(value));
    Text(dc, bar.right + 8, top, text);
}

}  // namespace

ControllerWindow::ControllerWindow(AttachedController& controller) : controller_(controller) {}

ControllerWindow::~ControllerWindow() {
    Close();
}

bool ControllerWindow::Open(HWND sheet, const std::wstring& title) {
    Close();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(instance, kClassName, &windowClass)) {
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = nullptr;  // every paint covers the whole client area
        windowClass.lpszClassName = kClassName;
        if (RegisterClassW(&windowClass) == 0) {
            return false;
        }
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientSize.cx, kClientSize.cy};
    AdjustWindowRect(&frame, style, FALSE);
    RECT sheetRect = {};
    GetWindowRect(sheet, &sheetRect);

    sheet_ = sheet;
    reading_ = controller_.reading();
    // The reading the controller came with is held until let go of.
    keptButtons_ = reading_.buttons;
    padHat_ = reading_.hat;
    padHatKept_ = true;
    window_ = CreateWindowExW(0, kClassName, title.c_str(), style, sheetRect.right + kGapToSheet,
                              sheetRect.top, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        return false;
    }
    SetTimer(window_, kPollTimer, kPollMs, nullptr);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    return true;
}

void ControllerWindow::Close() {
    if (window_ != nullptr) {
        KillTimer(window_, kPollTimer);
        // Cleared first: destroying it must not cancel the sheet.
        const HWND window = window_;
        window_ = nullptr;
        DestroyWindow(window);
    }
}

LRESULT CALLBACK ControllerWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ControllerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ != window) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT ControllerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(window_, &paint);
            // Drawn off screen first, so that the 20 ms updates do not flicker.
            const HDC memory = CreateCompatibleDC(dc);
            const HBITMAP bitmap = CreateCompatibleBitmap(dc, kClientSize.cx, kClientSize.cy);
            const HGDIOBJ previous = SelectObject(memory, bitmap);
            Paint(memory);
            BitBlt(dc, 0, 0, kClientSize.cx, kClientSize.cy, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteObject(bitmap);
            DeleteDC(memory);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER:
            if (wParam == kPollTimer && controller_.PollReports()) {
                InvalidateRect(window_, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            SetFocus(window_);
            SetCapture(window_);
            PressAt(point, message == WM_RBUTTONDOWN);
            return 0;
        case WM_MOUSEMOVE:
            DragTo(point);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            if (GetCapture() == window_) {
                ReleaseCapture();  // lets go through WM_CAPTURECHANGED
            } else {
                LetGoOfMouse();
            }
            return 0;
        case WM_CAPTURECHANGED:
            LetGoOfMouse();
            return 0;
        case WM_KEYDOWN:
            // Held keys repeat; only the first press counts.
            if ((lParam & (1 << 30)) == 0) {
                KeyChanged(static_cast<UINT>(wParam), true);
            }
            return 0;
        case WM_KEYUP:
            KeyChanged(static_cast<UINT>(wParam), false);
            return 0;
        case WM_KILLFOCUS:
            // Keys let go of elsewhere never come back here.
            LetGoOfKeys();
            return 0;
        case WM_CLOSE:
            // The controller goes with the sheet: closing it closes both.
            if (sheet_ != nullptr && IsWindow(sheet_)) {
                PropSheet_PressButton(sheet_, PSBTN_CANCEL);
            }
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void ControllerWindow::Paint(HDC dc) {
    const RECT client = {0, 0, kClientSize.cx, kClientSize.cy};
    Fill(dc, client, GetSysColor(COLOR_BTNFACE));
    const HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const HGDIOBJ previousPen = SelectObject(dc, GetStockObject(DC_PEN));
    const HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));

    const bool plugged = controller_.plugged();
    wchar_t text[96];
    std::swprintf(text, 96, L"Joystick %u: %ls", controller_.slot(),
                  plugged ? L"plugged in" : L"unplugged");
    if (!plugged) {
        SetTextColor(dc, kUnpluggedColour);
    }
    Text(dc, kButtonsLeft, 12, text);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT plugButton = kPlugButton;
    Fill(dc, plugButton, GetSysColor(COLOR_BTNFACE));
    DrawEdge(dc, &plugButton, EDGE_RAISED, BF_RECT);
    CentredText(dc, plugButton, plugged ? L"Unplug (P)" : L"Plug in (P)");

    std::swprintf(text, 96, L"X %u  Y %u", reading_.x, reading_.y);
    PaintStickPad(dc, kLeftPad, reading_.x, reading_.y, text, L"drag; W A S D");
    // The right stick's axes in the order this model's sheet shows them.
    uint8_t* across = nullptr;
    uint8_t* down = nullptr;
    StickAxes(Stick::Right, across, down);
    const bool zAcross = across == &reading_.z;
    std::swprintf(text, 96, zAcross ? L"Z %u  Rz %u" : L"Rz %u  Z %u", *across, *down);
    PaintStickPad(dc, kRightPad, *across, *down, text, L"drag; I J K L");

    PaintHatPad(dc, reading_.hat);
    if (reading_.hat == ControllerReading::kHatCentred) {
        std::swprintf(text, 96, L"Hat centred");
    } else {
        std::swprintf(text, 96, L"Hat %u.%02u\u00b0", reading_.hat / 100, reading_.hat % 100);
    }
    Text(dc, kHatPad.left, kLeftPad.bottom + 4, text);
    Text(dc, kHatPad.left, kLeftPad.bottom + 20, L"click; arrows");

    for (int button = 1; button <= static_cast<int>(ControllerReading::kButtonCount); ++button) {
        RECT rect = ButtonRect(button);
        const bool pressed = reading_.pressed(static_cast<unsigned>(button));
        Fill(dc, rect, pressed ? kLitColour : GetSysColor(COLOR_BTNFACE));
        DrawEdge(dc, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        std::swprintf(text, 96, L"%d", button);
        CentredText(dc, rect, text);
    }
    Text(dc, kButtonsLeft, ButtonRect(12).bottom + 6,
         L"Keys 1-9, 0, -, =; right click holds; C lets all go");

    const MotorStrengths& motors = controller_.motors();
    PaintMotor(dc, kMotorTop, L"Left motor", motors.left, motors.leftPercent);
    PaintMotor(dc, kMotorTop + kMotorPitch, L"Right motor", motors.right, motors.rightPercent);

    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    SelectObject(dc, previousFont);
}

void ControllerWindow::Update() {
    uint16_t buttons = keptButtons_ | keyButtons_;
    if (mouseButton_ != 0) {
        buttons |= static_cast<uint16_t>(1u << (mouseButton_ - 1));
    }
    reading_.buttons = buttons;
    reading_.hat = arrows_ != 0 ? HatFromArrows(arrows_ & kUp, arrows_ & kRight, arrows_ & kDown,
                                                arrows_ & kLeft)
                                : padHat_;
    controller_.Hold(reading_);
    InvalidateRect(window_, nullptr, FALSE);
}

void ControllerWindow::StickAxes(Stick stick, uint8_t*& across, uint8_t*& down) {
    if (stick == Stick::Left) {
        across = &reading_.x;
        down = &reading_.y;
    } else if (controller_.profile().rightIndicatorAxes == RightIndicatorAxes::ZThenRz) {
        across = &reading_.z;
        down = &reading_.rz;
    } else {
        across = &reading_.rz;
        down = &reading_.z;
    }
}

void ControllerWindow::MoveStick(Stick stick, POINT point) {
    const RECT& pad = stick == Stick::Left ? kLeftPad : kRightPad;
    uint8_t* across = nullptr;
    uint8_t* down = nullptr;
    StickAxes(stick, across, down);
    *across = AxisAt(point.x, pad.left, pad.right - pad.left);
    *down = AxisAt(point.y, pad.top, pad.bottom - pad.top);
}

void ControllerWindow::PressAt(POINT point, bool keep) {
    if (Inside(kPlugButton, point)) {
        controller_.SetPlugged(!controller_.plugged());
        Update();
        return;
    }
    if (Inside(kLeftPad, point) || Inside(kRightPad, point)) {
        dragged_ = Inside(kLeftPad, point) ? Stick::Left : Stick::Right;
        dragKeeps_ = keep;
        MoveStick(dragged_, point);
        Update();
        return;
    }
    if (Inside(kHatPad, point)) {
        padHat_ =
            HatFromCell((point.x - kHatPad.left) / kHatCell, (point.y - kHatPad.top) / kHatCell);
        padHatKept_ = keep;
        Update();
        return;
    }
    for (int button = 1; button <= static_cast<int>(ControllerReading::kButtonCount); ++button) {
        if (Inside(ButtonRect(button), point)) {
            if (keep) {
                keptButtons_ ^= static_cast<uint16_t>(1u << (button - 1));
            } else {
                mouseButton_ = button;
            }
            Update();
            return;
        }
    }
}

void ControllerWindow::DragTo(POINT point) {
    if (dragged_ != Stick::None) {
        MoveStick(dragged_, point);
        Update();
    }
}

void ControllerWindow::LetGoOfMouse() {
    bool changed = mouseButton_ != 0;
    mouseButton_ = 0;
    if (dragged_ != Stick::None && !dragKeeps_) {
        // A stick let go of springs back to the centre.
        uint8_t* across = nullptr;
        uint8_t* down = nullptr;
        StickAxes(dragged_, across, down);
        *across = *down = 128;
        changed = true;
    }
    dragged_ = Stick::None;
    if (!padHatKept_ && padHat_ != ControllerReading::kHatCentred) {
        padHat_ = ControllerReading::kHatCentred;
        changed = true;
    }
    if (changed) {
        Update();
    }
}

void ControllerWindow::StickKeysChanged(Stick stick) {
    const bool right = stick == Stick::Right;
    uint8_t* across = nullptr;
    uint8_t* down = nullptr;
    StickAxes(stick, across, down);
    for (const bool vertical : {false, true}) {
        int push = 0;
        for (const StickKey& key : kStickKeys) {
            if (key.rightStick == right && key.vertical == vertical && (stickKeys_ & key.bit)) {
                push += key.towardsEnd ? 1 : -1;
            }
        }
        *(vertical ? down : across) = push < 0 ? 0 : push > 0 ? 255 : 128;
    }
}

void ControllerWindow::KeyChanged(UINT key, bool down) {
    if (const int button = ButtonOfKey(key); button != 0) {
        const uint16_t bit = static_cast<uint16_t>(1u << (button - 1));
        keyButtons_ = down ? keyButtons_ | bit : keyButtons_ & ~bit;
        Update();
        return;
    }
    for (const StickKey& stickKey : kStickKeys) {
        if (stickKey.key == key) {
            stickKeys_ = down ? stickKeys_ | stickKey.bit : stickKeys_ & ~stickKey.bit;
            StickKeysChanged(stickKey.rightStick ? Stick::Right : Stick::Left);
            Update();
            return;
        }
    }
    unsigned arrow = 0;
    switch (key) {
        case VK_UP:
            arrow = kUp;
            break;
        case VK_RIGHT:
            arrow = kRight;
            break;
        case VK_DOWN:
            arrow = kDown;
            break;
        case VK_LEFT:
            arrow = kLeft;
            break;
        case 'P':
            if (down) {
                controller_.SetPlugged(!controller_.plugged());
                Update();
            }
            return;
        case 'C':
            if (down) {
                CentreEverything();
            }
            return;
        default:
            return;
    }
    arrows_ = down ? arrows_ | arrow : arrows_ & ~arrow;
    Update();
}

void ControllerWindow::LetGoOfKeys() {
    const bool sticks = stickKeys_ != 0;
    if (keyButtons_ == 0 && arrows_ == 0 && !sticks) {
        return;
    }
    keyButtons_ = 0;
    arrows_ = 0;
    stickKeys_ = 0;
    if (sticks) {
        StickKeysChanged(Stick::Left);
        StickKeysChanged(Stick::Right);
    }
    Update();
}

void ControllerWindow::CentreEverything() {
    keptButtons_ = 0;
    padHat_ = ControllerReading::kHatCentred;
    padHatKept_ = false;
    stickKeys_ = 0;
    reading_.x = reading_.y = reading_.z = reading_.rz = 128;
    Update();
}

}  // namespace sheet_viewer
