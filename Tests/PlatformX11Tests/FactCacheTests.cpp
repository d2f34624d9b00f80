// The fact cache: kept groups come back, a property change drops exactly its group, a destroyed
// window is forgotten, and facts read across an invalidation are never stored.
#include "FakeAtoms.h"
#include "Platform/X11/FactCache.h"

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
    cache_.store(read(), groups | fact::kTitle | fact::kGeometry, cache_.generation());
    WindowFacts f;
    f.window = kWindow;
    EXPECT_EQ(cache_.fill(f, fact::kOwner | fact::kClass | fact::kTitle), fact::kOwner | fact::kClass);
    EXPECT_EQ(f.netPid, 812u);
    EXPECT_EQ(f.className, "XLogo");
    EXPECT_TRUE(f.types.empty());  // not asked for
    EXPECT_EQ(cached(), groups);
}

TEST_F(FactCacheTest, PropertyChangeDropsItsGroupAndDestructionEverything) {
    cache_.startFollowing(kWindow);
    const unsigned groups = fact::kOwner | fact::kKind | fact::kClass | fact::kHints | fact::kExtents | fact::kDesktop;
    cache_.store(read(), groups, cache_.generation());
    struct Case {
        xcb_atom_t atom;
        unsigned dropped;
    };
    const Case cases[] = {
        {XCB_ATOM_WM_NAME, 0},     // titles are never kept, so their changes drop nothing
        {ewmh_._NET_WM_STATE, 0},  // nor states: every read asks for them to learn that the window exists
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

    // A state change drops nothing kept, but what was built from the facts is out of date.
    const std::uint64_t beforeState = cache_.generation();
    propertyChanged(kWindow, ewmh_._NET_WM_STATE);
    EXPECT_NE(cache_.generation(), beforeState);
    EXPECT_EQ(cached(), fact::kClass);
}

TEST_F(FactCacheTest, RootListsAreKeptUntilTheWindowManagerChangesThem) {
    RootFacts root;
    root.clients = {kWindow};
    root.active = kWindow;
    root.currentDesktop = 0;
    root.numberOfDesktops = 4;
    const unsigned groups = rootfact::kClients | rootfact::kActive | rootfact::kDesktops;
    cache_.storeRoot(root, groups | rootfact::kWindowManager, cache_.generation());

    RootFacts out;
    EXPECT_EQ(cache_.fillRoot(out, groups | rootfact::kWindowManager), groups);
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

}  // namespace
}  // namespace platform::x11
