// SPDX-License-Identifier: MIT
// PixelLayoutTests.cpp: converting the X server's pixels of 16-, 24-, 30- and 32-bit visuals,
// in either byte order and with padded rows, into ARGB.
#include "Platform/X11/PixelLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform::x11 {
namespace {

TEST(PixelLayout, ConvertsEveryVisualWeMeetToArgb) {
    struct Case {
        const char* name;
        PixelLayout layout;
        std::vector<std::uint8_t> data;  // one row of two pixels, then padding
        std::uint32_t first, second;
    };
    const Case cases[] = {
        {"24 bits in 32, least significant byte first",
         {32, 8, false, 0xFF0000, 0xFF00, 0xFF},
         {0x32, 0x4a, 0xa8, 0x00, 0xff, 0xff, 0xff, 0x00},
         0xFFa84a32,
         0xFFFFFFFF},
        {"24 bits in 32, most significant byte first",
         {32, 8, true, 0xFF0000, 0xFF00, 0xFF},
         {0x00, 0xa8, 0x4a, 0x32, 0x00, 0x00, 0x00, 0x01},
         0xFFa84a32,
         0xFF000001},
        {"16 bits, 5-6-5, row padded to 32 bits",
         {16, 4, false, 0xF800, 0x07E0, 0x001F},
         {0x00, 0xF8, 0x1F, 0x00},
         0xFFFF0000,
         0xFF0000FF},
        {"16 bits, half-way green",
         {16, 4, false, 0xF800, 0x07E0, 0x001F},
         {0x00, 0x04, 0xE0, 0x07},
         0xFF008200,
         0xFF00FF00},
        {"30 bits, 10 per channel",
         {32, 8, false, 0x3FF00000, 0x000FFC00, 0x000003FF},
         {0xFF, 0x03, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F},
         0xFF0000FF,
         0xFFFF0000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint32_t> out(2);
        convertToArgb(c.data.data(), 2, 1, c.layout, out.data());
        EXPECT_EQ(out[0], c.first);
        EXPECT_EQ(out[1], c.second);
    }
}

TEST(PixelLayout, RowsArePaddedToTheScanlinePad) {
    EXPECT_EQ(PixelLayout::strideFor(3, 16, 32), 8u);
    EXPECT_EQ(PixelLayout::strideFor(4, 16, 32), 8u);
    EXPECT_EQ(PixelLayout::strideFor(3, 32, 32), 12u);
    EXPECT_EQ(PixelLayout::strideFor(1920, 32, 32), 7680u);
}

}  // namespace
}  // namespace platform::x11
