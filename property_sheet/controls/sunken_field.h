// The sunken white box that the axes and rumble indicators draw their marks
// in: a two-pixel bevel and a white field inside it.
#pragma once

#include <windows.h>

// Draws the bevel along the edges of a width × height client area and fills
// the field inside it white. Leaves the device context's pen as it found it
// and deletes every object it made.
void PaintSunkenField(HDC dc, int width, int height);
