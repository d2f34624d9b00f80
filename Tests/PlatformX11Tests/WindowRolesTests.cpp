// SPDX-License-Identifier: MIT
// How client windows appear to Accessibility: roles, subroles, the window a transient belongs
// to, settable position and size, close buttons, and which windows make an application regular.
#include "FakeAtoms.h"
#include "Platform/X11/FactBatch.h"
#include "Platform/X11/WindowRoles.h"

#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

constexpr xcb_window_t kRoot = 1;
constexpr xcb_window_t kWindow = 50;
constexpr xcb_window_t kOwner = 40;

TEST(WindowRoles, RolesAndSubrolesFollowTypeTransienceAndModality) {
    const xcb_ewmh_connection_t e = x11test::fakeEwmh();
    struct Case {
        const char* name;
        std::vector<xcb_atom_t> types;
        xcb_window_t transientFor;
        std::vector<xcb_atom_t> states;
        std::string role;
        std::optional<std::string> subrole;
        bool regular;
    };
    const Case cases[] = {
        {"untyped", {}, XCB_WINDOW_NONE, {}, "AXWindow", "AXStandardWindow", true},
        {"normal", {e._NET_WM_WINDOW_TYPE_NORMAL}, XCB_WINDOW_NONE, {}, "AXWindow", "AXStandardWindow", true},
        {"unknown type first", {999, e._NET_WM_WINDOW_TYPE_DIALOG}, XCB_WINDOW_NONE, {}, "AXWindow", "AXDialog", false},
        {"dialog", {e._NET_WM_WINDOW_TYPE_DIALOG}, XCB_WINDOW_NONE, {}, "AXWindow", "AXDialog", false},
        {"transient", {}, kOwner, {}, "AXWindow", "AXDialog", false},
        {"transient for the root", {}, kRoot, {}, "AXWindow", "AXStandardWindow", true},
        {"transient for itself", {}, kWindow, {}, "AXWindow", "AXStandardWindow", true},
        {"modal transient",
         {e._NET_WM_WINDOW_TYPE_DIALOG},
         kOwner,
         {e._NET_WM_STATE_MODAL},
         "AXSheet",
         std::nullopt,
         false},
        {"modal without owner", {}, XCB_WINDOW_NONE, {e._NET_WM_STATE_MODAL}, "AXWindow", "AXStandardWindow", true},
        {"utility", {e._NET_WM_WINDOW_TYPE_UTILITY}, XCB_WINDOW_NONE, {}, "AXWindow", "AXFloatingWindow", false},
        {"dock", {e._NET_WM_WINDOW_TYPE_DOCK}, XCB_WINDOW_NONE, {}, "AXWindow", "AXUnknown", false},
        {"skips the taskbar",
         {},
         XCB_WINDOW_NONE,
         {e._NET_WM_STATE_SKIP_TASKBAR},
         "AXWindow",
         "AXStandardWindow",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFacts f;
        f.window = kWindow;
        f.types = c.types;
        f.transientFor = c.transientFor;
        f.states = c.states;
        EXPECT_EQ(roleOf(f, e, kRoot), c.role);
        EXPECT_EQ(subroleOf(f, e, kRoot), c.subrole);
        EXPECT_EQ(countsAsRegular(f, e, kRoot), c.regular);
    }
}

TEST(WindowRoles, SizeIsFixedByEqualMinimumAndMaximumOrByTheWindowManager) {
    const xcb_ewmh_connection_t e = x11test::fakeEwmh();
    const auto hints = [](std::uint32_t flags, int minW, int minH, int maxW, int maxH) {
        xcb_size_hints_t h{};
        h.flags = flags;
        h.min_width = minW;
        h.min_height = minH;
        h.max_width = maxW;
        h.max_height = maxH;
        return h;
    };
    constexpr std::uint32_t both = XCB_ICCCM_SIZE_HINT_P_MIN_SIZE | XCB_ICCCM_SIZE_HINT_P_MAX_SIZE;
    struct Case {
        const char* name;
        std::optional<xcb_size_hints_t> hints;
        std::optional<std::vector<xcb_atom_t>> allowed;
        bool position, size, close;
    };
    const Case cases[] = {
        {"no hints, no allowed actions", std::nullopt, std::nullopt, true, true, true},
        {"minimum only", hints(XCB_ICCCM_SIZE_HINT_P_MIN_SIZE, 300, 200, 300, 200), std::nullopt, true, true, true},
        {"minimum equals maximum", hints(both, 300, 200, 300, 200), std::nullopt, true, false, true},
        {"minimum below maximum", hints(both, 300, 200, 301, 200), std::nullopt, true, true, true},
        {"equal values without the flags", hints(0, 300, 200, 300, 200), std::nullopt, true, true, true},
        {"window manager allows moving only", std::nullopt, std::vector<xcb_atom_t>{e._NET_WM_ACTION_MOVE}, true, false,
         false},
        {"window manager allows nothing", std::nullopt, std::vector<xcb_atom_t>{}, false, false, false},
        {"fixed size though resizing is allowed", hints(both, 300, 200, 300, 200),
         std::vector<xcb_atom_t>{e._NET_WM_ACTION_MOVE, e._NET_WM_ACTION_RESIZE, e._NET_WM_ACTION_CLOSE}, true, false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFacts f;
        f.normalHints = c.hints;
        f.allowedActions = c.allowed;
        EXPECT_EQ(positionSettable(f, e), c.position);
        EXPECT_EQ(sizeSettable(f, e), c.size);
        EXPECT_EQ(hasCloseButton(f, e), c.close);
    }
}

TEST(WindowFacts, FrameIsTheClientGrownByTheExtents) {
    WindowFacts f;
    EXPECT_FALSE(f.frame());
    f.client = arvelo::Rect(61, 70, 640, 480);
    f.extents = {1, 1, 20, 5};
    EXPECT_EQ(f.frame(), arvelo::Rect(60, 50, 642, 505));
}

TEST(WindowFacts, ExtentsAClientSetsItselfCannotMakeAFrameOfAnySize) {
    const struct {
        const char* name;
        std::vector<std::uint32_t> values;
        FrameExtents read;
    } cases[] = {
        {"decorations of a real manager", {1, 1, 20, 5}, {1, 1, 20, 5}},
        {"a lie of thousands of pixels", {4860, 4860, 6898, 6440}, {256, 256, 256, 256}},
        {"the largest number a side can hold", {0xFFFFFFFF, 0, 0, 0xFFFFFFFF}, {256, 0, 0, 256}},
        {"too few values", {4, 4, 4}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FrameExtents::fromProperty(c.values), c.read);
    }
    // What a lie can still do to the visible frame is bounded.
    WindowFacts f;
    f.client = arvelo::Rect(61, 70, 640, 480);
    f.extents = FrameExtents::fromProperty({4860, 4860, 6898, 6440});
    EXPECT_EQ(f.frame(), arvelo::Rect(61 - 256, 70 - 256, 640 + 512, 480 + 512));
}

TEST(WindowFacts, StandInProcessIdsAreNegativeAndShareTheLeadersOrTheClientsId) {
    xcb_setup_t setup{};
    setup.resource_id_mask = 0x1FFFFF;
    const auto owner = [&](std::optional<std::uint32_t> pid, xcb_window_t leader, xcb_window_t window) {
        WindowFacts f;
        f.window = window;
        f.netPid = pid;
        f.leader = leader;
        return ownerPid(f, setup);
    };
    EXPECT_EQ(owner(812, XCB_WINDOW_NONE, 0x800001), 812);
    // The leader's X client names the application.
    EXPECT_EQ(owner(std::nullopt, 0xC00001, 0x800005), -0xC00000);
    EXPECT_EQ(owner(std::nullopt, 0xC00001, 0x800005), owner(std::nullopt, XCB_WINDOW_NONE, 0xC00009));
    // Two windows of one client without a leader share the client's id base.
    EXPECT_EQ(owner(std::nullopt, XCB_WINDOW_NONE, 0xA00003), owner(std::nullopt, XCB_WINDOW_NONE, 0xA00007));
    EXPECT_NE(owner(std::nullopt, XCB_WINDOW_NONE, 0xA00003), owner(std::nullopt, XCB_WINDOW_NONE, 0xC00003));
    EXPECT_LT(owner(std::nullopt, XCB_WINDOW_NONE, 0xA00003), 0);
    // A pid that is no process id is not taken.
    EXPECT_EQ(owner(0, 0x800001, 0x800005), -0x800000);
    EXPECT_EQ(owner(0x80000000u, 0x800001, 0x800005), -0x800000);
}

TEST(WindowFacts, AClientSetLeaderNeverMakesAStandInThatOverflowsOrIsARealProcessId) {
    xcb_setup_t setup{};
    setup.resource_id_mask = 0x1FFFFF;
    // Leaders no X server hands out: the stand-in falls back to the window's own client.
    const xcb_window_t leaders[] = {0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x20000000u, 0x7FFFFFFFu, 0x1FFFFFu};
    for (const xcb_window_t leader : leaders) {
        SCOPED_TRACE(leader);
        WindowFacts f;
        f.window = 0xA00003;
        f.leader = leader;
        const std::int32_t pid = ownerPid(f, setup);
        EXPECT_LT(pid, 0);
        EXPECT_EQ(pid, -0xA00000);
    }
    // Whatever the ids, a stand-in stays within -1 .. -(2^29 - 1).
    for (const xcb_window_t window : {0x1u, 0x1FFFFFFFu, 0xFFFFFFFFu, 0u}) {
        WindowFacts f;
        f.window = window;
        const std::int32_t pid = ownerPid(f, setup);
        EXPECT_LE(pid, -1);
        EXPECT_GE(pid, -0x1FFFFFFF);
    }
}

}  // namespace
}  // namespace platform::x11
