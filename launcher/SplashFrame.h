// Where frmSplash stands on this screen: its frame around the fixed client
// size, centred, and the size of its picture, both for the screen's DPI.
#pragma once

#include "win32/WindowsApi.h"

inline constexpr DWORD kSplashStyle = WS_OVERLAPPEDWINDOW;

struct SplashFrame {
    int left, top, width, height; // the whole window, frame included
    SIZE image;                   // Image1, stretched to this
};

SplashFrame SplashFrameForScreen();

// Registers the splash's window class: arrow cursor, the splash's background,
// `icon` (may be null) for the caption and the taskbar. False when it fails.
bool RegisterSplashClass(HINSTANCE instance, WNDPROC proc, const wchar_t *className, HICON icon);
