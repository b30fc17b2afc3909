// The stand-in controller as a person holds it: a small window beside the
// sheet with the two sticks (drag in their pads, or keys W A S D and
// I J K L), the twelve buttons (click, or keys 1..9, 0, -, =), the hat (a
// 3 by 3 pad, or the arrow keys), a plug button (key P) and the two motors'
// strengths as bars, decoded from the reports the controller receives.
// A right click keeps a button, a hat direction or a stick where it is;
// key C lets everything go. Every change reaches the controller at once.
#pragma once

#include <windows.h>

#include <string>

#include "tools/sheet_viewer/attached_controller.h"

namespace sheet_viewer {

class ControllerWindow {
  public:
    explicit ControllerWindow(AttachedController& controller);
    ~ControllerWindow();
    ControllerWindow(const ControllerWindow&) = delete;
    ControllerWindow& operator=(const ControllerWindow&) = delete;

    // Opens the window to the right of `sheet`, without taking the
    // activation from it. Closing the window cancels the sheet.
    bool Open(HWND sheet, const std::wstring& title);
    // Stops the report polling and destroys the window.
    void Close();
    HWND window() const { return window_; }

  private:
    enum class Stick { None, Left, Right };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void Paint(HDC dc);
    void PressAt(POINT point, bool keep);
    void DragTo(POINT point);
    void LetGoOfMouse();
    void KeyChanged(UINT key, bool down);
    void LetGoOfKeys();
    void CentreEverything();
    // The reading's axes a stick moves across and down its pad.
    void StickAxes(Stick stick, uint8_t*& across, uint8_t*& down);
    void MoveStick(Stick stick, POINT point);
    void StickKeysChanged(Stick stick);
    // Sends the composed reading to the controller and repaints.
    void Update();

    AttachedController& controller_;
    HWND window_ = nullptr;
    HWND sheet_ = nullptr;

    // What the hands do, composed into the reading by Update().
    ControllerReading reading_;
    uint16_t keptButtons_ = 0;  // right-clicked or scripted
    uint16_t keyButtons_ = 0;   // held on the keyboard
    int mouseButton_ = 0;       // held with the mouse, 1..12, 0 none
    uint32_t padHat_ = ControllerReading::kHatCentred;
    bool padHatKept_ = false;
    unsigned arrows_ = 0;     // held arrow keys
    unsigned stickKeys_ = 0;  // held W A S D I J K L
    Stick dragged_ = Stick::None;
    bool dragKeeps_ = false;
};

}  // namespace sheet_viewer
