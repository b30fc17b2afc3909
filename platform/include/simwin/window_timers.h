// Window timers: SetTimer and KillTimer on a window. The simulated machine
// has no message loop; tests deliver a timer's WM_TIMER with
// simwin::FireWindowTimer (control_windows.h).
#pragma once

#include "ui_types.h"

typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF

extern "C" {

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);

}  // extern "C"
