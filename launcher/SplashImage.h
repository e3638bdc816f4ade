// Image1: the splash picture, decoded by the system's OLE picture support.
#pragma once

#include "win32/WindowsApi.h"

#include <memory>

// The decoder's libraries, their COM initialisation and the decoded picture.
// They are loaded for the picture's lifetime only: they cost start-up time
// before the window shows and memory during the long watch.
struct SplashDecoder;
struct SplashDecoderRelease {
    void operator()(SplashDecoder *decoder) const;
};
using SplashImage = std::unique_ptr<SplashDecoder, SplashDecoderRelease>;

// Decodes the embedded GIF; the image draws nothing when that fails.
SplashImage LoadSplashImage();
// Draws the picture stretched to `size` at the top left corner.
void DrawSplashImage(const SplashImage &image, HDC dc, SIZE size, const RECT &clip);
