// SPDX-License-Identifier: MIT
// Size hints: the client size a window manager makes of an asked size by a client's
// WM_NORMAL_HINTS (minimum, maximum, base size and increments, aspect ratios).
#include "Platform/X11/SizeHints.h"

#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

xcb_size_hints_t hints(std::uint32_t flags) {
    xcb_size_hints_t h{};
    h.flags = flags;
    return h;
}

TEST(SizeHints, WhatTheHintsMakeOfAnAskedSize) {
    // xterm: base 4 x 4 (border and scroll bar), cells of 6 x 13, at least one cell.
    xcb_size_hints_t terminal = hints(XCB_ICCCM_SIZE_HINT_BASE_SIZE | XCB_ICCCM_SIZE_HINT_P_RESIZE_INC |
                                      XCB_ICCCM_SIZE_HINT_P_MIN_SIZE);
    terminal.base_width = terminal.base_height = 4;
    terminal.width_inc = 6;
    terminal.height_inc = 13;
    terminal.min_width = 10;
    terminal.min_height = 17;

    xcb_size_hints_t bounded = hints(XCB_ICCCM_SIZE_HINT_P_MIN_SIZE | XCB_ICCCM_SIZE_HINT_P_MAX_SIZE);
    bounded.min_width = 300;
    bounded.min_height = 200;
    bounded.max_width = 800;
    bounded.max_height = 0;  // no bound

    // Increments without a base size count from the minimum, and never fall below it.
    xcb_size_hints_t offGrid = hints(XCB_ICCCM_SIZE_HINT_P_MIN_SIZE | XCB_ICCCM_SIZE_HINT_P_RESIZE_INC);
    offGrid.min_width = 100;
    offGrid.min_height = 100;
    offGrid.width_inc = 7;
    offGrid.height_inc = 1;

    // Between 4:3 and 16:9.
    xcb_size_hints_t aspect = hints(XCB_ICCCM_SIZE_HINT_P_ASPECT);
    aspect.min_aspect_num = 4;
    aspect.min_aspect_den = 3;
    aspect.max_aspect_num = 16;
    aspect.max_aspect_den = 9;

    struct Case {
        const char* name;
        xcb_size_hints_t hints;
        ClientSize asked, fitted;
    };
    const Case cases[] = {
        {"no hints", hints(0), {470, 516}, {470, 516}},
        {"whole cells, rounded down", terminal, {470, 516}, {466, 511}},
        {"already on the cells", terminal, {466, 511}, {466, 511}},
        {"below the minimum", bounded, {100, 100}, {300, 200}},
        {"above the maximum", bounded, {1000, 5000}, {800, 5000}},
        {"increments from the minimum", offGrid, {120, 150}, {114, 150}},
        {"too wide", aspect, {1600, 500}, {888, 500}},
        {"too tall", aspect, {400, 600}, {400, 300}},
        {"within the ratios", aspect, {1000, 600}, {1000, 600}},
    };
    for (const Case& c : cases) EXPECT_EQ(fitClientSize(c.hints, c.asked), c.fitted) << c.name;
}

}  // namespace
}  // namespace platform::x11
