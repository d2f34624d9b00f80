// SPDX-License-Identifier: MIT
// PinGeometryTests.cpp: the backing scale of a pinned window over one or more displays, the
// capture profile's rounding, clamping and frame-rate rules, profile and display equality, and
// the request gate's wrap-around.
#include "TenvikKit/Pins/PinGeometry.h"
#include "TenvikKit/Pins/PinProfileRules.h"
#include "TenvikKit/Pins/PinRequestGate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tenvik {
namespace {

TEST(PinGeometry, ScaleFactorFollowsTheLargestOverlap) {
    // Displays in the bottom-left-origin space: a 1.0 primary of 1000 × 800 and a 2.0 display
    // to its right. Window bounds are top-left-origin: y = 800 - maxY.
    const PinDisplay primary{{0, 0, 1000, 800}, 1.0};
    const PinDisplay right{{1000, 0, 1000, 800}, 2.0};
    const PinDisplay above{{0, 800, 1000, 800}, 3.0};
    struct Case {
        const char* name;
        arvelo::Rect window;
        std::vector<PinDisplay> displays;
        double expected;
    };
    const Case cases[] = {
        {"no displays", {0, 0, 100, 100}, {}, 1.0},
        {"wholly on the 2.0 display", {1200, 100, 300, 300}, {primary, right}, 2.0},
        {"outside every display: the primary's scale", {5000, 5000, 300, 300}, {right, primary}, 2.0},
        {"an edge touch does not count", {700, 100, 300, 300}, {primary, right}, 1.0},
        {"only touching the second display's edge, off the first", {2000, 100, 300, 300}, {primary, right}, 1.0},
        {"split half and half: the earlier display", {900, 100, 200, 300}, {primary, right}, 1.0},
        {"split half and half, the 2.0 display listed first", {900, 100, 200, 300}, {right, primary}, 2.0},
        {"a larger part on the second display", {950, 100, 200, 300}, {primary, right}, 2.0},
        // Top of the primary (y = 0) flips to the primary's top edge: wholly on the primary,
        // touching the display above only along its edge.
        {"the flip uses the primary's top", {100, 0, 300, 300}, {primary, above}, 1.0},
        {"above the primary in window space lands on the display above", {100, -400, 300, 300}, {primary, above}, 3.0},
    };
    for (const auto& c : cases) EXPECT_EQ(PinGeometry::scaleFactor(c.window, c.displays), c.expected) << c.name;
}

TEST(PinGeometry, FlipAgainstThePrimaryDisplay) {
    const PinDisplay primary{{0, 0, 1440, 900}, 2.0};
    EXPECT_EQ(PinGeometry::toDisplaySpace({10, 0, 200, 100}, primary), (arvelo::Rect{10, 800, 200, 100}));
}

TEST(PinProfile, EqualityCoversEveryField) {
    EXPECT_EQ((PinCaptureProfile{100, 50, 10}), (PinCaptureProfile{100, 50, 10}));
    EXPECT_NE((PinCaptureProfile{100, 50, 10}), (PinCaptureProfile{100, 50, 30}));
    EXPECT_NE((PinCaptureProfile{100, 50, 10}), (PinCaptureProfile{101, 50, 10}));
    EXPECT_EQ((PinDisplay{{0, 0, 10, 10}, 2}), (PinDisplay{{10, 10, -10, -10}, 2})) << "equal as rectangles";
    EXPECT_NE((PinDisplay{{0, 0, 10, 10}, 2}), (PinDisplay{{0, 0, 10, 10}, 1}));
}

TEST(PinProfile, FrameIntervalNeverDividesByZero) {
    struct Case {
        int fps;
        double interval;
    };
    const Case cases[] = {{30, 1.0 / 30}, {1, 1.0}, {0, 1.0}, {-5, 1.0}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ((PinCaptureProfile{10, 10, c.fps}.frameInterval()), c.interval);
}

TEST(PinProfile, SizeAndFrameRateRules) {
    struct SizeCase {
        double points, scale;
        int pixels;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const SizeCase sizes[] = {
        {400, 1, 400}, {400.5, 1, 401}, {400.49, 1, 400},  {300.25, 2, 601}, {0.2, 1, 1},
        {0, 2, 1},     {-50, 1, 1},     {20000, 1, 16384}, {9000, 2, 16384}, {nan, 1, 1},
    };
    for (const auto& c : sizes) EXPECT_EQ(PinProfileRules::pixels(c.points, c.scale), c.pixels) << c.points;

    struct RateCase {
        bool visible, interacting;
        int idle, expected;
    };
    const RateCase rates[] = {
        {false, false, 10, 1}, {false, true, 10, 1},  {true, true, 10, 30}, {true, false, 10, 10},
        {true, false, 2, 5},   {true, false, 60, 30}, {true, false, 0, 5},
    };
    for (const auto& c : rates)
        EXPECT_EQ(PinProfileRules::framesPerSecond(c.visible, c.interacting, c.idle), c.expected)
            << c.visible << c.interacting << c.idle;

    EXPECT_EQ(PinProfileRules::profile({0, 0, 640.4, 480.6}, 2, 15), (PinCaptureProfile{1281, 961, 15}));
}

TEST(PinRequestGate, TokensGoStaleAndTheCounterWraps) {
    PinRequestGate gate;
    const auto token = gate.token();
    EXPECT_TRUE(gate.isCurrent(token));
    gate.invalidate();
    EXPECT_FALSE(gate.isCurrent(token));
    gate.generation = std::numeric_limits<std::uint64_t>::max();
    gate.invalidate();
    EXPECT_EQ(gate.generation, 0u);
}

}  // namespace
}  // namespace tenvik
