// Image1: the splash picture, decoded by the system's OLE picture support.
#pragma once

#include "win32/WindowsApi.h"

#include <ocidl.h>

// The decoder libraries are loaded for the picture's lifetime only: they cost
// start-up time before the window shows and memory during the long watch.
struct SplashImage {
    HMODULE ole32 = nullptr;
    HMODULE oleaut32 = nullptr;
    IPicture *picture = nullptr;
};

// Decodes the embedded GIF; leaves `image.picture` empty when that fails.
void LoadSplashImage(SplashImage &image);
// Draws the picture stretched to `size` at the top left corner.
void DrawSplashImage(const SplashImage &image, HDC dc, SIZE size, const RECT &clip);
// Releases the picture and unloads the decoder.
void ReleaseSplashImage(SplashImage &image);
