// SPDX-License-Identifier: MIT
// The fact cache: kept groups come back, a property change drops exactly its group, a configure,
// map, unmap or reparent drops the place or map state of the window (of every window when it
// is a top-level window's), a destroyed window is forgotten, and facts read across an
// invalidation are never stored.
#include "FakeAtoms.h"
#include "Platform/X11/FactCache.h"

#include <functional>
#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

constexpr xcb_window_t kRoot = 1;
constexpr xcb_window_t kWindow = 0x400001;

class FactCacheTest : public testing::Test {
protected:
    xcb_ewmh_connection_t ewmh_ = x11test::fakeEwmh();
    Atoms atoms_ = x11test::fakeAtoms();
    FactCache cache_{ewmh_, atoms_, kRoot};

    WindowFacts read() const {
        WindowFacts f;
        f.window = kWindow;
        f.netPid = 812;
        f.types = {ewmh_._NET_WM_WINDOW_TYPE_NORMAL};
        f.instance = "xlogo";
        f.className = "XLogo";
        f.extents = {1, 1, 20, 5};
        f.desktop = 2;
        return f;
    }

    void propertyChanged(xcb_window_t window, xcb_atom_t atom) {
        xcb_property_notify_event_t e{};
        e.response_type = XCB_PROPERTY_NOTIFY;
        e.window = window;
        e.atom = atom;
        cache_.take(reinterpret_cast<const xcb_generic_event_t&>(e));
    }

    unsigned cached(xcb_window_t window = kWindow) const {
        WindowFacts f;
        f.window = window;
        return cache_.fill(f, FactCache::kCachedFacts);
    }
};

TEST_F(FactCacheTest, KeptGroupsOfAFollowedWindowComeBack) {
    const unsigned groups = fact::kOwner | fact::kKind | fact::kClass | fact::kExtents;
    // Not followed yet: nothing would tell the cache about changes, so nothing is kept.
    cache_.store(read(), groups, cache_.generation());
    EXPECT_EQ(cached(), 0u);

    EXPECT_FALSE(cache_.startFollowing(kWindow));
    EXPECT_TRUE(cache_.startFollowing(kWindow));
    cache_.store(read(), groups | fact::kTitle, cache_.generation());
    WindowFacts f;
    f.window = kWindow;
    EXPECT_EQ(cache_.fill(f, fact::kOwner | fact::kClass | fact::kTitle | fact::kGeometry),
              fact::kOwner | fact::kClass | fact::kTitle);
    EXPECT_EQ(f.netPid, 812u);
    EXPECT_EQ(f.className, "XLogo");
    EXPECT_TRUE(f.types.empty());  // not asked for
    EXPECT_EQ(cached(), groups | fact::kTitle);
}

TEST_F(FactCacheTest, PropertyChangeDropsItsGroupAndDestructionEverything) {
    cache_.startFollowing(kWindow);
    const unsigned groups = fact::kOwner | fact::kKind | fact::kClass | fact::kHints | fact::kExtents | fact::kDesktop |
                            fact::kTitle | fact::kState | fact::kStrut | fact::kGeometry;
    cache_.store(read(), groups, cache_.generation());
    struct Case {
        xcb_atom_t atom;
        unsigned dropped;
    };
    const Case cases[] = {
        {ewmh_._NET_WM_ICON, 0},  // a property nothing kept comes from
        {XCB_ATOM_WM_NAME, fact::kTitle},
        {ewmh_._NET_WM_STATE, fact::kState},
        {ewmh_._NET_WM_STRUT_PARTIAL, fact::kStrut},
        {ewmh_._NET_WM_DESKTOP, fact::kDesktop},
        {XCB_ATOM_WM_CLASS, fact::kClass},
        {ewmh_._NET_FRAME_EXTENTS, fact::kExtents},
        {XCB_ATOM_WM_TRANSIENT_FOR, fact::kKind},
        {ewmh_._NET_WM_PID, fact::kOwner},
    };
    unsigned left = groups;
    for (const Case& c : cases) {
        propertyChanged(kWindow, c.atom);
        left &= ~c.dropped;
        EXPECT_EQ(cached(), left) << "atom " << c.atom;
    }
    xcb_destroy_notify_event_t destroyed{};
    destroyed.response_type = XCB_DESTROY_NOTIFY;
    destroyed.window = kWindow;
    cache_.take(reinterpret_cast<const xcb_generic_event_t&>(destroyed));
    EXPECT_EQ(cached(), 0u);
    // A new window under the same id must be followed afresh.
    EXPECT_FALSE(cache_.startFollowing(kWindow));
}

TEST_F(FactCacheTest, FactsReadAcrossAnInvalidationAreNotStored) {
    cache_.startFollowing(kWindow);
    const std::uint64_t before = cache_.generation();
    propertyChanged(0x500001, XCB_ATOM_WM_CLASS);  // any invalidation while the read was out
    cache_.store(read(), fact::kClass, before);
    EXPECT_EQ(cached(), 0u);
    cache_.store(read(), fact::kClass, cache_.generation());
    EXPECT_EQ(cached(), fact::kClass);

    // A change of something nothing kept comes from leaves the generation alone.
    const std::uint64_t beforeIcon = cache_.generation();
    propertyChanged(kWindow, ewmh_._NET_WM_ICON);
    EXPECT_EQ(cache_.generation(), beforeIcon);
    EXPECT_EQ(cached(), fact::kClass);
}

TEST_F(FactCacheTest, ConfiguresMapsAndReparentsDropPlacesAndMapStates) {
    constexpr xcb_window_t kOther = 0x500001;
    constexpr xcb_window_t kFrame = 0x600001;
    const unsigned kept = fact::kGeometry | fact::kAttributes | fact::kClass;
    const auto keepBoth = [&] {
        for (xcb_window_t window : {kWindow, kOther}) {
            cache_.startFollowing(window);
            WindowFacts f = read();
            f.window = window;
            cache_.store(f, kept, cache_.generation());
        }
    };
    const auto configured = [&](xcb_window_t event, xcb_window_t window, std::int16_t x) {
        xcb_configure_notify_event_t e{};
        e.response_type = XCB_CONFIGURE_NOTIFY;
        e.event = event;
        e.window = window;
        e.x = x;
        e.width = 200;
        e.height = 200;
        cache_.take(reinterpret_cast<const xcb_generic_event_t&>(e));
    };
    const auto mapped = [&](std::uint8_t type, xcb_window_t event, xcb_window_t window) {
        xcb_map_notify_event_t e{};
        e.response_type = type;
        e.event = event;
        e.window = window;
        cache_.take(reinterpret_cast<const xcb_generic_event_t&>(e));
    };

    keepBoth();
    configured(kWindow, kWindow, 10);  // the client itself moved or was resized
    EXPECT_EQ(cached(kWindow), kept & ~fact::kGeometry);
    EXPECT_EQ(cached(kOther), kept);

    keepBoth();
    configured(kRoot, kFrame, 10);  // a frame first seen: anyone's place may have changed
    EXPECT_EQ(cached(kWindow), kept & ~fact::kGeometry);
    EXPECT_EQ(cached(kOther), kept & ~fact::kGeometry);
    keepBoth();
    const std::uint64_t restacked = cache_.generation();
    configured(kRoot, kFrame, 10);  // restacked only
    EXPECT_EQ(cached(kWindow), kept);
    EXPECT_EQ(cache_.generation(), restacked);
    configured(kRoot, kFrame, 30);  // moved
    EXPECT_EQ(cached(kOther), kept & ~fact::kGeometry);

    keepBoth();
    mapped(XCB_UNMAP_NOTIFY, kWindow, kWindow);
    EXPECT_EQ(cached(kWindow), kept & ~fact::kAttributes);
    EXPECT_EQ(cached(kOther), kept);
    mapped(XCB_MAP_NOTIFY, kRoot, kFrame);  // a frame shown: clients inside it become viewable
    EXPECT_EQ(cached(kOther), kept & ~fact::kAttributes);

    keepBoth();
    xcb_reparent_notify_event_t reparented{};
    reparented.response_type = XCB_REPARENT_NOTIFY;
    reparented.event = kWindow;
    reparented.window = kWindow;
    reparented.parent = kFrame;
    cache_.take(reinterpret_cast<const xcb_generic_event_t&>(reparented));
    EXPECT_EQ(cached(kWindow), fact::kClass);
    EXPECT_EQ(cached(kOther), fact::kClass);
}

// The room the desktop leaves for windows (struts, work area) changes only with struts, the
// work area, the desktop shown and windows coming and going; not when windows move, and not
// when an override-redirect panel comes or goes.
TEST_F(FactCacheTest, RoomChangesCountOnlyWhatMovesTheRoom) {
    constexpr xcb_window_t kPanel = 0x700001;
    const auto created = [&](xcb_window_t window, bool overrideRedirect) {
        xcb_create_notify_event_t e{};
        e.response_type = XCB_CREATE_NOTIFY;
        e.parent = kRoot;
        e.window = window;
        e.override_redirect = overrideRedirect;
        cache_.take(reinterpret_cast<const xcb_generic_event_t&>(e));
    };
    // An unmap has the map's first fields; its flag says whether it came from a configure.
    const auto mapped = [&](std::uint8_t type, xcb_window_t window, bool overrideRedirect) {
        xcb_map_notify_event_t e{};
        e.response_type = type;
        e.event = kRoot;
        e.window = window;
        e.override_redirect = type == XCB_MAP_NOTIFY && overrideRedirect;
        cache_.take(reinterpret_cast<const xcb_generic_event_t&>(e));
    };
    struct Case {
        const char* what;
        std::function<void()> happen;
        bool moves;
    };
    const Case cases[] = {
        {"a title changed", [&] { propertyChanged(kWindow, XCB_ATOM_WM_NAME); }, false},
        {"a strut changed", [&] { propertyChanged(kWindow, ewmh_._NET_WM_STRUT_PARTIAL); }, true},
        {"the work area changed", [&] { propertyChanged(kRoot, ewmh_._NET_WORKAREA); }, true},
        {"another desktop shown", [&] { propertyChanged(kRoot, ewmh_._NET_CURRENT_DESKTOP); }, true},
        {"the active window changed", [&] { propertyChanged(kRoot, ewmh_._NET_ACTIVE_WINDOW); }, false},
        {"a window moved",
         [&] {
             xcb_configure_notify_event_t e{};
             e.response_type = XCB_CONFIGURE_NOTIFY;
             e.event = kRoot;
             e.window = kWindow;
             e.x = 40;
             cache_.take(reinterpret_cast<const xcb_generic_event_t&>(e));
         },
         false},
        {"this program wrote a frame", [&] { cache_.touch(); }, false},
        {"a window created", [&] { created(kWindow, false); }, true},
        {"a window mapped", [&] { mapped(XCB_MAP_NOTIFY, kWindow, false); }, true},
        {"a window unmapped", [&] { mapped(XCB_UNMAP_NOTIFY, kWindow, false); }, true},
        {"a panel created", [&] { created(kPanel, true); }, false},
        {"a panel mapped", [&] { mapped(XCB_MAP_NOTIFY, kPanel, true); }, false},
        {"a panel unmapped", [&] { mapped(XCB_UNMAP_NOTIFY, kPanel, false); }, false},
    };
    for (const Case& c : cases) {
        const std::uint64_t before = cache_.roomChanges();
        c.happen();
        EXPECT_EQ(cache_.roomChanges() != before, c.moves) << c.what;
    }
}

TEST_F(FactCacheTest, RootListsAreKeptUntilTheWindowManagerChangesThem) {
    RootFacts root;
    root.clients = {kWindow};
    root.active = kWindow;
    root.currentDesktop = 0;
    root.numberOfDesktops = 4;
    const unsigned groups = rootfact::kClients | rootfact::kActive | rootfact::kDesktops;
    cache_.storeRoot(root, groups, cache_.generation());

    RootFacts out;
    EXPECT_EQ(cache_.fillRoot(out, groups), groups);
    EXPECT_EQ(out.clients, root.clients);
    EXPECT_EQ(out.numberOfDesktops, 4u);

    propertyChanged(kRoot, ewmh_._NET_ACTIVE_WINDOW);
    EXPECT_EQ(cache_.fillRoot(out, groups), rootfact::kClients | rootfact::kDesktops);
    propertyChanged(kRoot, ewmh_._NET_NUMBER_OF_DESKTOPS);
    EXPECT_EQ(cache_.fillRoot(out, groups), rootfact::kClients);
    // The same property on another window is not the window manager's list.
    propertyChanged(kWindow, ewmh_._NET_CLIENT_LIST);
    EXPECT_EQ(cache_.fillRoot(out, groups), rootfact::kClients);
}

TEST_F(FactCacheTest, TheWindowManagerCheckIsKeptUntilItsPropertiesChangeOrItsWindowGoes) {
    constexpr xcb_window_t kCheck = 0x200007;
    RootFacts root;
    root.windowManager = true;
    root.checkWindow = kCheck;
    const auto kept = [&] {
        RootFacts out;
        return cache_.fillRoot(out, rootfact::kWindowManager) == rootfact::kWindowManager && out.windowManager;
    };
    const auto destroyed = [&](xcb_window_t window) {
        xcb_destroy_notify_event_t e{};
        e.response_type = XCB_DESTROY_NOTIFY;
        e.window = window;
        cache_.take(reinterpret_cast<const xcb_generic_event_t&>(e));
    };
    struct Case {
        const char* name;
        std::function<void()> event;
        bool dropped;
    };
    const std::vector<Case> cases = {
        {"the root names another check window", [&] { propertyChanged(kRoot, ewmh_._NET_SUPPORTING_WM_CHECK); }, true},
        {"the check window's own property", [&] { propertyChanged(kCheck, ewmh_._NET_SUPPORTING_WM_CHECK); }, true},
        {"the check window destroyed", [&] { destroyed(kCheck); }, true},
        {"another window's check property", [&] { propertyChanged(kWindow, ewmh_._NET_SUPPORTING_WM_CHECK); },
         false},
        {"another window destroyed", [&] { destroyed(kWindow); }, false},
        {"another root property", [&] { propertyChanged(kRoot, ewmh_._NET_WORKAREA); }, false},
    };
    for (const Case& c : cases) {
        cache_.storeRoot(root, rootfact::kWindowManager, cache_.generation());
        ASSERT_TRUE(kept()) << c.name;
        const auto generation = cache_.generation();
        c.event();
        EXPECT_EQ(kept(), !c.dropped) << c.name;
        if (c.dropped) {
            EXPECT_NE(cache_.generation(), generation) << c.name;
        }
    }
}

}  // namespace
}  // namespace platform::x11
