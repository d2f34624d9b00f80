// SPDX-License-Identifier: MIT
// CompositorWatchTests.cpp: the XFixes selection events that say a compositing manager started
// or stopped: a new owner of the watched selection, its window destroyed, its client gone;
// other selections and other events say nothing.
#include "Platform/X11/CompositorWatch.h"

#include <xcb/xfixes.h>

#include <gtest/gtest.h>

using namespace platform::x11;

namespace {

constexpr std::uint8_t kEventBase = 87;
constexpr xcb_atom_t kSelection = 300;

TEST(CompositorWatch, SelectionOwnerEventsSayWhetherACompositorRuns) {
    struct Case {
        const char* name;
        std::uint8_t subtype;
        xcb_window_t owner;
        xcb_atom_t selection;
        std::uint8_t responseType;
        std::optional<bool> running;
    };
    const Case cases[] = {
        {"a new owner", XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER, 0x400001, kSelection, kEventBase, true},
        {"given up", XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER, XCB_WINDOW_NONE, kSelection, kEventBase, false},
        {"its window destroyed", XCB_XFIXES_SELECTION_EVENT_SELECTION_WINDOW_DESTROY, 0x400001, kSelection, kEventBase,
         false},
        {"its client gone", XCB_XFIXES_SELECTION_EVENT_SELECTION_CLIENT_CLOSE, 0x400001, kSelection, kEventBase, false},
        {"sent, as the server marks it", XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER, 0x400001, kSelection,
         kEventBase | 0x80, true},
        {"another selection", XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER, 0x400001, kSelection + 1, kEventBase,
         std::nullopt},
        {"another event", XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER, 0x400001, kSelection, kEventBase + 1,
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        xcb_xfixes_selection_notify_event_t event{};
        event.response_type = c.responseType;
        event.subtype = c.subtype;
        event.owner = c.owner;
        event.selection = c.selection;
        EXPECT_EQ(CompositorWatch::decode(reinterpret_cast<const xcb_generic_event_t&>(event), kEventBase, kSelection),
                  c.running);
    }
}

}  // namespace
