// LampControl: one button as a round lamp with its number. The value is the
// lamp's fill colour; a new lamp is black.
#pragma once

#include <windows.h>

bool RegisterLampControlClass(HINSTANCE instance);
LRESULT CALLBACK LampControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Stores the colour in the dialog's lamp and has it repainted.
void SetLampColor(HWND dialog, int itemId, COLORREF color);
