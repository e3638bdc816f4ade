// The splash window frmSplash: the picture Image1 and the timers Timer1 and Timer2.
#pragma once

#include "win32/WindowsApi.h"

// Creates and shows the window centred on the screen, with Timer1 on.
HWND CreateSplashWindow(HINSTANCE instance);
