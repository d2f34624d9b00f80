// SPDX-License-Identifier: MIT
// FrameScalerTests.cpp: how much of a window a live capture reads and the size it delivers.
#include "Platform/X11/FrameScaler.h"

#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

TEST(FrameScaler, ACaptureNeverReadsMoreThanTheDisplay) {
    const struct {
        const char* name;
        int width, height, displayWidth, displayHeight;
        std::pair<int, int> read;
    } cases[] = {
        {"a window smaller than the display: all of it", 800, 600, 1920, 1080, {800, 600}},
        {"a window of 10000 x 10000", 10000, 10000, 1920, 1080, {1920, 1080}},
        {"wider than the display only", 5000, 400, 1920, 1080, {1920, 400}},
        {"taller than the display only", 300, 4000, 1920, 1080, {300, 1080}},
        {"an empty window", 0, 0, 1920, 1080, {1, 1}},
        {"a display of no size", 800, 600, 0, 0, {1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(boundedReadSize(c.width, c.height, c.displayWidth, c.displayHeight), c.read);
    }
    // What is read is then fitted to the profile's size.
    const auto [w, h] = boundedReadSize(10000, 10000, 1920, 1080);
    EXPECT_EQ(fittedSize(w, h, 480, 480), (std::pair<int, int>{480, 270}));
}

}  // namespace
}  // namespace platform::x11
