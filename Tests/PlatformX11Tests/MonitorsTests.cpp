// SPDX-License-Identifier: MIT
// Visible frames: a monitor less the room docks reserve with their struts, partial struts
// counting only on the monitors their span touches; and the flip to the bottom-left space.
#include "Platform/X11/Monitors.h"

#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

using arvelo::Rect;

// left, right, top, bottom, then the spans: left y0 y1, right y0 y1, top x0 x1, bottom x0 x1
Strut partial(std::uint32_t l, std::uint32_t r, std::uint32_t t, std::uint32_t b, std::vector<std::uint32_t> spans) {
    Strut s{l, r, t, b};
    s.insert(s.end(), spans.begin(), spans.end());
    return s;
}

TEST(Monitors, VisibleFramesLeaveOutTheStrutsThatTouchEachMonitor) {
    const Rect screen(0, 0, 1920, 1080);
    const Rect left(0, 0, 960, 1080), right(960, 0, 960, 1080);
    struct Case {
        const char* name;
        std::vector<Strut> struts;
        Rect monitor;
        Rect visible;
    };
    const Case cases[] = {
        {"no struts", {}, left, left},
        {"plain bottom strut spans every monitor", {{0, 0, 0, 24}}, right, Rect(960, 0, 960, 1056)},
        {"bottom tray on the left monitor",
         {partial(0, 0, 0, 24, {0, 0, 0, 0, 0, 0, 900, 959})},
         left,
         Rect(0, 0, 960, 1056)},
        {"bottom tray on the left monitor leaves the right alone",
         {partial(0, 0, 0, 24, {0, 0, 0, 0, 0, 0, 900, 959})},
         right,
         right},
        {"top panel across both", {partial(0, 0, 30, 0, {0, 0, 0, 0, 0, 1919, 0, 0})}, right, Rect(960, 30, 960, 1050)},
        {"left dock on the left monitor",
         {partial(64, 0, 0, 0, {100, 700, 0, 0, 0, 0, 0, 0})},
         left,
         Rect(64, 0, 896, 1080)},
        {"right dock on the screen's right edge",
         {partial(0, 48, 0, 0, {0, 0, 0, 1079, 0, 0, 0, 0})},
         right,
         Rect(960, 0, 912, 1080)},
        {"several struts add up",
         {{0, 0, 30, 0}, partial(0, 0, 0, 24, {0, 0, 0, 0, 0, 0, 0, 1919})},
         left,
         Rect(0, 30, 960, 1026)},
        {"a strut too short to read is ignored", {{0, 0}}, left, left},
        {"struts that would leave nothing are ignored", {{0, 0, 600, 600}}, left, left},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(visibleFrame(c.monitor, c.struts, screen), c.visible);
    }
}

TEST(Monitors, FlipMeasuresFromThePrimarysBottom) {
    // A 1920x1080 primary at the top left: its bottom edge is y 0 in the flipped space.
    EXPECT_EQ(flipRect(Rect(0, 0, 1920, 1080), 1080), Rect(0, 0, 1920, 1080));
    EXPECT_EQ(flipRect(Rect(0, 0, 1920, 1056), 1080), Rect(0, 24, 1920, 1056));
    EXPECT_EQ(flipRect(Rect(100, 50, 300, 200), 1080), Rect(100, 830, 300, 200));
    // A taller monitor beside it reaches below the primary's bottom.
    EXPECT_EQ(flipRect(Rect(1920, 0, 1080, 1920), 1080), Rect(1920, -840, 1080, 1920));
    EXPECT_EQ(flipPoint({100, 200}, 1080), (arvelo::Point{100, 880}));
    EXPECT_EQ(flipRect(flipRect(Rect(5, 6, 7, 8), 1080), 1080), Rect(5, 6, 7, 8));
}

}  // namespace
}  // namespace platform::x11

namespace platform::x11 {
namespace {

TEST(Monitors, VisibleFramesStayWithinTheWorkArea) {
    const arvelo::Rect monitor(0, 0, 1920, 1080);
    struct Case {
        const char* name;
        std::optional<arvelo::Rect> workArea;
        arvelo::Rect visible;
    };
    const Case cases[] = {
        {"no work area", std::nullopt, monitor},
        {"fluxbox's toolbar: no strut, a shorter work area", arvelo::Rect(0, 0, 1920, 1060), arvelo::Rect(0, 0, 1920, 1060)},
        {"a work area of another monitor changes nothing", arvelo::Rect(1920, 0, 1280, 1024), monitor},
        {"an empty work area changes nothing", arvelo::Rect(0, 0, 0, 0), monitor},
    };
    for (const Case& c : cases) EXPECT_EQ(withinWorkArea(monitor, c.workArea), c.visible) << c.name;
}

}  // namespace
}  // namespace platform::x11
