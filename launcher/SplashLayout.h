// The splash window's fixed properties, in twips where they are sizes.
#pragma once

#include <cstdint>

namespace splash {

inline constexpr int kClientWidthTwips = 7305;
inline constexpr int kClientHeightTwips = 7380;
inline constexpr int kImageWidthTwips = 7320;
inline constexpr int kImageHeightTwips = 7380;
inline constexpr std::uint8_t kBackRed = 192, kBackGreen = 192, kBackBlue = 255;

// Twips to pixels for a screen of `dotsPerInch`, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dotsPerInch) {
    return (twips * dotsPerInch + 720) / 1440;
}

struct Size {
    int width;
    int height;
};

constexpr Size ClientSize(int dotsPerInch) {
    return {TwipsToPixels(kClientWidthTwips, dotsPerInch),
            TwipsToPixels(kClientHeightTwips, dotsPerInch)};
}

constexpr Size ImageSize(int dotsPerInch) {
    return {TwipsToPixels(kImageWidthTwips, dotsPerInch),
            TwipsToPixels(kImageHeightTwips, dotsPerInch)};
}

// Left or top edge that centres an extent of `size` on a screen extent of `screen`.
constexpr int CentredOrigin(int screen, int size) { return (screen - size) / 2; }

} // namespace splash
