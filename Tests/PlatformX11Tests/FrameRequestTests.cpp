// SPDX-License-Identifier: MIT
// Frame requests: the values sent to put a visible frame somewhere (decorations added by the
// manager, a client-side shadow taken off, the client's border and gravity where a plain
// ConfigureRequest is sent) and the ConfigureNotify answers that count as applied.
#include "Platform/X11/FrameRequest.h"

#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

using arvelo::Rect;

WindowFacts window(Rect client, FrameExtents extents, FrameExtents shadow = {}, std::uint16_t border = 0) {
    WindowFacts f;
    f.client = client;
    f.extents = extents;
    f.shadow = shadow;
    f.borderWidth = border;
    return f;
}

TEST(FrameRequest, AsksForTheWholeFrameByItsOuterCorner) {
    struct Case {
        const char* name;
        WindowFacts facts;
        Rect visible;
        std::int32_t x, y;
        std::uint32_t width, height;
        std::int32_t clientX, clientY;
    };
    const Case cases[] = {
        {"openbox decorations", window(Rect(53, 91, 486, 341), {1, 1, 20, 5}), Rect(300, 200, 500, 400), 300, 200, 498,
         375, 301, 220},
        {"no decorations", window(Rect(0, 0, 10, 10), {}), Rect(40, 50, 600, 300), 40, 50, 600, 300, 40, 50},
        {"gtk shadow inside the client", window(Rect(1010, -23, 852, 699), {}, {26, 26, 23, 29}),
         Rect(100, 100, 800, 600), 74, 77, 852, 652, 74, 77},
        {"a client border changes nothing", window(Rect(53, 91, 486, 341), {1, 1, 20, 5}, {}, 1),
         Rect(300, 200, 500, 400), 300, 200, 498, 375, 301, 220},
    };
    for (const Case& c : cases) {
        const auto r = frameRequest(c.facts, c.visible, true);
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->form, FrameRequest::Form::moveResize) << c.name;
        EXPECT_EQ(r->gravity, XCB_GRAVITY_NORTH_WEST) << c.name;
        EXPECT_EQ(std::tie(r->x, r->y, r->width, r->height), std::tie(c.x, c.y, c.width, c.height)) << c.name;
        EXPECT_EQ(std::tie(r->clientX, r->clientY), std::tie(c.clientX, c.clientY)) << c.name;
    }
}

TEST(FrameRequest, NothingIsAskedOfAWindowAlreadyThere) {
    const WindowFacts f = window(Rect(301, 220, 498, 375), {1, 1, 20, 5});
    EXPECT_FALSE(frameRequest(f, Rect(300, 200, 500, 400), true));
    EXPECT_TRUE(frameRequest(f, Rect(300, 201, 500, 400), true));
}

TEST(FrameRequest, NothingIsAskedOfATerminalAtTheCellsItWouldRoundTo) {
    // Cells of 6 x 13 above a base of 4 x 4: asked 498 x 375, it can only be 496 x 368.
    WindowFacts f = window(Rect(301, 220, 496, 368), {1, 1, 20, 5});
    xcb_size_hints_t hints{};
    hints.flags = XCB_ICCCM_SIZE_HINT_BASE_SIZE | XCB_ICCCM_SIZE_HINT_P_RESIZE_INC;
    hints.base_width = hints.base_height = 4;
    hints.width_inc = 6;
    hints.height_inc = 13;
    f.normalHints = hints;
    EXPECT_FALSE(frameRequest(f, Rect(300, 200, 500, 400), true));
    // A size that makes other cells is asked for, as asked.
    const auto wider = frameRequest(f, Rect(300, 200, 510, 400), true);
    ASSERT_TRUE(wider);
    EXPECT_EQ(wider->width, 508u);
}

TEST(FrameRequest, ConfigureRequestsFollowTheWindowsGravityAndBorder) {
    struct Case {
        const char* name;
        std::optional<std::uint32_t> gravity;
        std::uint16_t border;
        std::int32_t x, y;
    };
    // Frame outer corner (300, 200), frame 500 x 400, client 498 x 375 inside decorations 1,1,20,5.
    const Case cases[] = {
        {"no gravity given: north-west", std::nullopt, 0, 300, 200},
        {"north-west with a border", XCB_GRAVITY_NORTH_WEST, 1, 300, 200},
        {"static: the client's own corner less its border", XCB_GRAVITY_STATIC, 1, 300, 219},
        {"south-east: the far corners meet", XCB_GRAVITY_SOUTH_EAST, 0, 302, 225},
        {"center", XCB_GRAVITY_CENTER, 0, 301, 212},
    };
    for (const Case& c : cases) {
        WindowFacts f = window(Rect(0, 0, 10, 10), {1, 1, 20, 5}, {}, c.border);
        if (c.gravity) {
            xcb_size_hints_t hints{};
            hints.flags = XCB_ICCCM_SIZE_HINT_P_WIN_GRAVITY;
            hints.win_gravity = *c.gravity;
            f.normalHints = hints;
        }
        const auto r = frameRequest(f, Rect(300, 200, 500, 400), false);
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->form, FrameRequest::Form::configure) << c.name;
        EXPECT_EQ(std::tie(r->x, r->y), std::tie(c.x, c.y)) << c.name;
        EXPECT_EQ(std::tie(r->width, r->height), std::make_tuple(498u, 375u)) << c.name;
    }
}

TEST(FrameRequest, AnAnswerCountsWhenItShowsTheAskedFrame) {
    FrameRequest request;
    request.width = 400;
    request.height = 300;
    request.clientX = 141;
    request.clientY = 140;
    using A = Connection::ConfigureAnswer;
    struct Case {
        const char* name;
        std::vector<A> answers;
        bool applied;
    };
    const Case cases[] = {
        {"none yet", {}, false},
        {"real notify of the asked size", {A{1, 20, 400, 300, 0, false}}, true},
        {"synthetic, corner outside the old border (openbox)", {A{140, 139, 400, 300, 1, true}}, true},
        {"synthetic, corner inside (icewm)", {A{141, 140, 400, 300, 1, true}}, true},
        {"synthetic elsewhere (a tiling manager)", {A{2, 18, 1914, 1038, 1, true}}, false},
        {"an earlier frame, then the asked one", {A{0, 0, 640, 480, 0, false}, A{141, 140, 400, 300, 0, true}}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(answersRequest(c.answers, request), c.applied) << c.name;

    // Size steps (a terminal's character cells) may keep the size a little off.
    request.widthStep = 6;
    request.heightStep = 13;
    EXPECT_TRUE(answersRequest({A{1, 20, 397, 290, 0, false}}, request));
    EXPECT_FALSE(answersRequest({A{1, 20, 390, 290, 0, false}}, request));
}

}  // namespace
}  // namespace platform::x11
