// A window's picture as it is on screen, frame and children included.
#pragma once

#include <windows.h>

#include "tools/sheet_viewer/png_writer.h"

namespace sheet_viewer {

// Asks the window to draw itself into a 32-bit picture (PrintWindow); when
// the window manager cannot do that, copies the window's pixels from its
// window DC instead. An empty picture when neither works.
RgbaPicture CaptureWindow(HWND window);

}  // namespace sheet_viewer
