// SPDX-License-Identifier: MIT
// PictureScalingTests.cpp: the size a picture asked smaller comes out at, and the box filter
// that averages every source pixel into the smaller picture.
#include "Platform/X11/PictureScaling.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform::x11 {
namespace {

TEST(PictureScaling, TheSizeOfAPictureAskedSmaller) {
    struct Case {
        const char* what;
        PictureSize part, frame, wanted, expected;
    };
    const Case cases[] = {
        {"asked at the frame's size: the part as read", {800, 600}, {800, 600}, {800, 600}, {800, 600}},
        {"asked larger: the part as read", {800, 600}, {800, 600}, {1000, 900}, {800, 600}},
        {"half on both sides", {800, 600}, {800, 600}, {400, 300}, {400, 300}},
        {"the narrower side decides, proportions kept", {800, 600}, {800, 600}, {200, 300}, {200, 150}},
        {"a part cut by the pixmap shrinks by the frame's ratio", {400, 600}, {800, 600}, {400, 300}, {200, 300}},
        {"never below a pixel a side", {800, 2}, {800, 2}, {8, 8}, {8, 1}},
        {"an empty frame: the part as read", {10, 10}, {0, 0}, {5, 5}, {10, 10}},
    };
    for (const Case& test : cases) EXPECT_EQ(scaledPictureSize(test.part, test.frame, test.wanted), test.expected) << test.what;
}

TEST(PictureScaling, EachOutputPixelIsTheMeanOfTheSourcePixelsItCovers) {
    struct Case {
        const char* what;
        PictureSize from;
        std::vector<std::uint32_t> pixels;
        PictureSize to;
        std::vector<std::uint32_t> expected;
    };
    const Case cases[] = {
        {"the same size copies", {2, 1}, {0xff102030u, 0x80405060u}, {2, 1}, {0xff102030u, 0x80405060u}},
        {"four into one, channel by channel (rounded)",
         {2, 2},
         {0xff000000u, 0xff0000ffu, 0x00ff0000u, 0x0000ff01u},
         {1, 1},
         {0x80404040u}},
        {"boxes side by side stay apart",
         {4, 1},
         {0xff0000ffu, 0xff0000ffu, 0xffff0000u, 0xffff0000u},
         {2, 1},
         {0xff0000ffu, 0xffff0000u}},
        {"three rows into two: every row lands in one box",
         {1, 3},
         {0xff000000u, 0xff000000u, 0xff0000f0u},
         {1, 2},
         {0xff000000u, 0xff000078u}},
        {"a solid picture stays solid", {5, 3}, std::vector<std::uint32_t>(15, 0xff336699u), {2, 2},
         std::vector<std::uint32_t>(4, 0xff336699u)},
    };
    for (const Case& test : cases) {
        std::vector<std::uint32_t> out(static_cast<std::size_t>(test.to.width) * test.to.height, 0xdeadbeefu);
        scaleDown(test.pixels.data(), test.from, out.data(), test.to);
        EXPECT_EQ(out, test.expected) << test.what;
    }
}

}  // namespace
}  // namespace platform::x11
