// A fresh machine with the four indicator classes registered and a parent
// window to hold controls, as a page dialog holds them; every control a test
// makes is sized as the test says, and every paint is checked to give back
// the drawing objects it made.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/simwin_fixture.h"
#include "simwin/control_drawing.h"
#include "simwin/control_windows.h"

class IndicatorTest : public SimwinTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A visible child of the parent with the given class, id, text and size.
    HWND MakeControl(const char* className, int id, int width, int height, const char* text = "");
    // Sends WM_PAINT and returns what the paint drew; fails the test if the
    // paint left a drawing object alive.
    std::vector<simwin::Primitive> Paint(HWND control);

    HWND parent_ = nullptr;
};
