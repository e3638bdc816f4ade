#include "launcher/SplashLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(SplashLayout, TwipsFollowTheScreenResolution) {
    EXPECT_EQ(splash::ClientSize(96).width, 487);
    EXPECT_EQ(splash::ClientSize(96).height, 492);
    EXPECT_EQ(splash::ImageSize(96).width, 488);
    EXPECT_EQ(splash::ImageSize(96).height, 492);
    EXPECT_EQ(splash::ClientSize(120).width, 609); // 608.75
    EXPECT_EQ(splash::ImageSize(144).height, 738);
    EXPECT_EQ(splash::ClientSize(192).width, 974);
}

TEST(SplashLayout, WindowIsCentred) {
    EXPECT_EQ(splash::CentredOrigin(1024, 503), 260);
    EXPECT_EQ(splash::CentredOrigin(768, 531), 118);
}

} // namespace
