// SPDX-License-Identifier: MIT
// MapEndToEndTests.cpp: the window map on a virtual X desktop with openbox and the real arvelo.
// With the map's switch on, Ctrl+Alt+W opens the map ("Windows") and it takes the keyboard;
// clicking a window's row raises that window (_NET_ACTIVE_WINDOW says so) and closes the map;
// the arrow keys and Return raise the row walked to; Escape closes the map and gives the
// keyboard back to the window that had it; a press outside the map closes it; a hidden tab
// chosen from the map comes forward in its tile; the chrome's seam handles stay below the open
// map. After every test the pointer is free.
// Screenshots of the open map go to the build folder.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>

using namespace e2e;

namespace {

const std::vector<std::string> kPrograms = {"XLogo", "XTerm"};
const std::vector<std::string> kFixture = {"org.vomira.ArveloFixture"};
constexpr double kFewBeats = 15;
const std::string kMapTitle = "Windows";

// The map's layout inside its panel: the panes start below a 52-point header, 18 points in,
// each inset by 3; rows of a pane of several windows are 22 to 34 points apart from 6 points
// down.
constexpr double kPaneLeft = 18, kPaneTop = 52, kPaneInset = 3, kSideRoom = 36;
constexpr double kRowTop = 6, kRowBottomRoom = 12, kRowGap = 3, kLeastPitch = 22, kMostPitch = 34;

// Whether `w` is one of arvelo's panels on screen: a viewable override-redirect window with its
// process id.
bool isPanelOf(xcb_connection_t* c, xcb_window_t w, xcb_atom_t pidAtom, pid_t pid) {
    auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool shown = attributes && attributes->override_redirect && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    if (!shown) return false;
    auto* property = xcb_get_property_reply(c, xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    const bool ours = property && xcb_get_property_value_length(property) >= 4 &&
                      *static_cast<const std::uint32_t*>(xcb_get_property_value(property)) ==
                          static_cast<std::uint32_t>(pid);
    std::free(property);
    return ours;
}

// A connection of the test's own with the root's children, bottom to top.
struct RootChildren {
    RootChildren() : c(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(c)) return;
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const char name[] = "_NET_WM_PID";
        auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
        pidAtom = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(atom);
        auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
        if (tree)
            children.assign(xcb_query_tree_children(tree), xcb_query_tree_children(tree) + tree->children_len);
        std::free(tree);
    }
    ~RootChildren() { xcb_disconnect(c); }
    RootChildren(const RootChildren&) = delete;
    RootChildren& operator=(const RootChildren&) = delete;

    // The root's child that holds `w` (its window manager frame); none when it is gone.
    xcb_window_t topOf(xcb_window_t w) {
        for (int depth = 0; depth < 8 && w != XCB_WINDOW_NONE; ++depth) {
            auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
            const xcb_window_t parent = tree ? tree->parent : xcb_window_t{XCB_WINDOW_NONE};
            std::free(tree);
            if (parent == root) return w;
            w = parent;
        }
        return XCB_WINDOW_NONE;
    }

    xcb_connection_t* c;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t pidAtom = XCB_ATOM_NONE;
    std::vector<xcb_window_t> children;
};

// arvelo's panels: its viewable override-redirect windows (the tab bars among them).
std::vector<Frame> panelsOf(pid_t pid) {
    std::vector<Frame> panels;
    RootChildren root;
    for (const xcb_window_t w : root.children) {
        if (!isPanelOf(root.c, w, root.pidAtom, pid)) continue;
        if (auto* g = xcb_get_geometry_reply(root.c, xcb_get_geometry(root.c, w), nullptr)) {
            panels.push_back({g->x, g->y, g->width, g->height});
            std::free(g);
        }
    }
    return panels;
}

// How many of arvelo's panels lie below and above the open map's frame in the root's stacking
// order; none of either when the map has no frame on screen.
struct MapStacking {
    int below = 0;
    int above = 0;
    std::string text() const { return std::to_string(below) + " below, " + std::to_string(above) + " above"; }
};
MapStacking stackingAround(xcb_window_t map, pid_t pid) {
    MapStacking counts;
    RootChildren root;
    const xcb_window_t frame = root.topOf(map);
    const auto at = std::find(root.children.begin(), root.children.end(), frame);
    if (frame == XCB_WINDOW_NONE || at == root.children.end()) return counts;
    for (auto it = root.children.begin(); it != root.children.end(); ++it)
        if (it != at && isPanelOf(root.c, *it, root.pidAtom, pid)) ++(it < at ? counts.below : counts.above);
    return counts;
}

class MapEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
        setenv("ARVELO", ARVELO_PATH, 1);
        // The map's switch in the menu, turned on.
        std::ofstream(session.home.path("config/Arvelo/defaults.json"))
            << R"({"shownPermissions": true, "settings.hasCompletedOnboarding": true, "windowMapEnabled": true})";
    }
    void TearDown() override {
        if (!session.probe.connected()) return;
        EXPECT_TRUE(waitUntil(1.0, [&] { return session.probe.pointerFree(); })) << "the pointer stays grabbed";
    }

    void xdotool(const std::vector<std::string>& arguments) {
        ChildProcess tool("/usr/bin/xdotool", arguments);
        ASSERT_EQ(tool.waitForExit(20), 0) << "xdotool failed";
    }
    void click(int x, int y) { xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}); }
    void screenshot(const std::string& name) {
        const std::string file = std::string(SCREENSHOT_FOLDER) + "/" + name;
        ChildProcess shot("/usr/bin/import", {"-window", "root", file});
        EXPECT_EQ(shot.waitForExit(20), 0) << "screenshot " << file;
    }

    // Waits until the frames hold still with `count` windows side by side, none where it was.
    Frames arrangedOnce(const std::vector<std::string>& classes, std::size_t count, const Frames& original) {
        session.probe.settledFrames(
            classes,
            [&](const Frames& frames) {
                if (frames.size() != count || anyOverlap(frames)) return false;
                for (const auto& [window, frame] : frames)
                    if (original.count(window) && frame == original.at(window)) return false;
                return true;
            },
            kFewBeats);
        return session.probe.settledFrames(
            classes, [&](const Frames& frames) { return frames.size() == count; }, kFewBeats);
    }

    // Two xlogo windows and an xterm, tiled by arvelo.
    Frames arrangePrograms() {
        session.start("/usr/bin/xlogo", {"-geometry", "300x200+40+40", "-title", "logo one"});
        session.start("/usr/bin/xlogo", {"-geometry", "300x200+380+40", "-title", "logo two"});
        session.start("/usr/bin/xterm", {"-geometry", "60x15+40+300", "-title", "terminal"});
        const Frames original = session.probe.settledFrames(
            kPrograms, [](const Frames& frames) { return frames.size() == 3; }, kFewBeats);
        arvelo = &session.runArvelo();
        return arrangedOnce(kPrograms, 3, original);
    }

    std::optional<Client> map() {
        for (const Client& client : session.probe.clients())
            if (client.title == kMapTitle && client.className == "org.vomira.Arvelo") return client;
        return std::nullopt;
    }
    // Ctrl+Alt+W, then the map once it shows and has the keyboard.
    std::optional<Client> openMap() {
        xdotool({"key", "ctrl+alt+w"});
        std::optional<Client> shown;
        const bool opened = waitUntil(kFewBeats, [&] { return (shown = map()).has_value(); });
        EXPECT_TRUE(opened) << "Ctrl+Alt+W opens the map\n" << session.home.read("arvelo.log");
        if (!opened) return std::nullopt;
        EXPECT_TRUE(waitUntil(5, [&] { return session.probe.activeWindow() == shown->window; }))
            << "the map takes the keyboard";
        return shown;
    }
    bool mapCloses() {
        return waitUntil(5, [&] { return !map(); });
    }
    // The active window once it is one of `windows` and has stayed so for half a second (the
    // window manager may first hand the focus back to the window that had it before the map).
    xcb_window_t settledActive(const Frames& windows) {
        xcb_window_t last = 0;
        int still = 0;
        waitUntil(5, [&] {
            const xcb_window_t now = session.probe.activeWindow();
            still = (now == last && windows.count(now)) ? still + 1 : 0;
            last = now;
            return still >= 10;
        });
        return last;
    }

    // Where a tile's pane lies on screen inside the open map.
    Frame paneOf(const Frame& panel, const Frame& tile) const {
        const double s = (panel.width - kSideRoom) / std::max(area.width, 1);
        const double x = panel.x + kPaneLeft + s * (tile.x - area.x) + kPaneInset;
        const double y = panel.y + kPaneTop + s * (tile.y - area.y) + kPaneInset;
        return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(s * tile.width - 2 * kPaneInset),
                static_cast<int>(s * tile.height - 2 * kPaneInset)};
    }
    // The middle of row `index` of a pane holding `count` windows.
    static std::pair<int, int> rowMiddle(const Frame& pane, int index, int count) {
        if (count == 1) return {pane.x + pane.width / 2, pane.y + pane.height / 2};
        const double pitch = std::clamp((pane.height - kRowBottomRoom) / count, kLeastPitch, kMostPitch);
        return {pane.x + pane.width / 2, pane.y + static_cast<int>(kRowTop + index * pitch + (pitch - kRowGap) / 2)};
    }

    ArveloSession session{"arvelo-map-e2e"};
    ChildProcess* arvelo = nullptr;
    Frame area;
};

}  // namespace

TEST_F(MapEndToEnd, CtrlAltWOpensTheMapAndClickingARowRaisesThatWindow) {
    const Frames tiled = arrangePrograms();
    ASSERT_EQ(tiled.size(), 3u) << session.describe(tiled);
    ASSERT_FALSE(anyOverlap(tiled)) << session.describe(tiled);
    area = session.probe.workArea();
    std::vector<std::pair<xcb_window_t, Frame>> windows(tiled.begin(), tiled.end());
    const auto [first, firstFrame] = windows[0];
    const auto [target, targetFrame] = windows[1];
    xdotool({"windowactivate", "--sync", std::to_string(first)});

    const auto panel = openMap();
    ASSERT_TRUE(panel);
    // Centred on the screen, two thirds of it wide.
    const Frame screen = session.probe.screen();
    EXPECT_NEAR(panel->frame.x + panel->frame.width / 2, screen.width / 2, 2);
    EXPECT_NEAR(panel->frame.width, 0.66 * area.width + kSideRoom, 2);
    // The seam handles between the three tiles stay on screen, under the map.
    MapStacking stacking;
    EXPECT_TRUE(waitUntil(5, [&] {
        stacking = stackingAround(panel->window, arvelo->pid());
        return stacking.below > 0 && stacking.above == 0;
    })) << "arvelo's panels around the map: " << stacking.text();
    screenshot("map-open.png");

    const auto [x, y] = rowMiddle(paneOf(panel->frame, targetFrame), 0, 1);
    click(x, y);
    EXPECT_TRUE(waitUntil(5, [&] { return session.probe.activeWindow() == target; }))
        << "the clicked row's window is active";
    EXPECT_TRUE(mapCloses()) << "choosing a row closes the map";
}

TEST_F(MapEndToEnd, ArrowKeysAndReturnRaiseTheChosenWindowAndEscapeOrAPressOutsideCloseTheMap) {
    const Frames tiled = arrangePrograms();
    ASSERT_EQ(tiled.size(), 3u) << session.describe(tiled);
    area = session.probe.workArea();

    // Down once, twice, three times from no row: three different windows, each raised.
    std::set<xcb_window_t> chosen;
    for (int steps = 1; steps <= 3; ++steps) {
        SCOPED_TRACE(steps);
        ASSERT_TRUE(openMap());
        std::vector<std::string> keys{"key", "--delay", "80"};
        for (int i = 0; i < steps; ++i) keys.push_back("Down");
        keys.push_back("Return");
        xdotool(keys);
        ASSERT_TRUE(mapCloses()) << "Return closes the map";
        const xcb_window_t active = settledActive(tiled);
        EXPECT_TRUE(tiled.count(active)) << "an arranged window is active";
        chosen.insert(active);
    }
    EXPECT_EQ(chosen.size(), 3u) << "each step down chose another row";

    // Escape gives the keyboard back to the window that had it.
    const xcb_window_t before = tiled.begin()->first;
    xdotool({"windowactivate", "--sync", std::to_string(before)});
    ASSERT_TRUE(openMap());
    xdotool({"key", "Escape"});
    EXPECT_TRUE(mapCloses()) << "Escape closes the map";
    EXPECT_TRUE(waitUntil(5, [&] { return session.probe.activeWindow() == before; }))
        << "the window that had the keyboard has it again";

    // A left or a right press on a window outside the map (not on a seam's handle, which is
    // ours) closes it.
    for (const char* button : {"1", "3"}) {
        SCOPED_TRACE(std::string("button ") + button);
        const auto panel = openMap();
        ASSERT_TRUE(panel);
        xdotool({"mousemove", std::to_string(panel->frame.x + 40), std::to_string(std::max(2, panel->frame.y - 20)),
                 "click", button});
        EXPECT_TRUE(mapCloses()) << "a press outside closes the map";
        xdotool({"key", "Escape"});  // whatever the right press opened in that window
    }
}

TEST_F(MapEndToEnd, AHiddenTabChosenFromTheMapComesForward) {
    session.start(ARVELO_FIXTURE_PATH, {});
    const Frames original = session.probe.settledFrames(
        kFixture, [](const Frames& frames) { return frames.size() == 3; }, kFewBeats);
    arvelo = &session.runArvelo({"--fixture-only"});
    // The large-minimum window is learnt within a few beats and becomes a tab of another's tile.
    std::optional<Frame> bar;
    std::optional<xcb_window_t> shown;
    const auto findTabs = [&] {
        const Frames frames = session.probe.framesOf(kFixture);
        for (const Frame& p : panelsOf(arvelo->pid()))
            for (const auto& [window, frame] : frames)
                if (p.width == frame.width && p.height >= 10 && p.height <= 60 && p.x == frame.x &&
                    std::abs(p.y + p.height - frame.y) <= 2) {
                    bar = p;
                    shown = window;
                    return true;
                }
        return false;
    };
    ASSERT_TRUE(waitUntil(kFewBeats, findTabs)) << session.describe(session.probe.framesOf(kFixture));
    const Frames tiled = session.probe.settledFrames(
        kFixture, [](const Frames&) { return true; }, kFewBeats);
    ASSERT_TRUE(findTabs());
    area = session.probe.workArea();
    // The hidden tab is parked outside the work area.
    std::optional<xcb_window_t> hidden;
    for (const auto& [window, frame] : tiled)
        if (window != *shown && (frame.x + frame.width > area.x + area.width || frame.y + frame.height > area.y + area.height))
            hidden = window;
    ASSERT_TRUE(hidden) << session.describe(tiled);
    (void)original;

    const auto panel = openMap();
    ASSERT_TRUE(panel);
    screenshot("map-tabs.png");
    // The tile runs from the tab bar down to its window's bottom; its pane lists both tabs, the
    // shown one first.
    const Frame window = tiled.at(*shown);
    const Frame tile{window.x, bar->y, window.width, window.y + window.height - bar->y};
    const auto [x, y] = rowMiddle(paneOf(panel->frame, tile), 1, 2);
    click(x, y);
    EXPECT_TRUE(mapCloses());
    // It comes up at the tile's place (at least as large as its minimum size), and the window
    // shown before is parked.
    const auto parked = [&](const Frame& f) {
        return f.x + f.width > area.x + area.width || f.y + f.height > area.y + area.height;
    };
    Frames now;
    EXPECT_TRUE(waitUntil(kFewBeats, [&] {
        now = session.probe.framesOf(kFixture);
        return now.count(*hidden) && std::abs(now.at(*hidden).x - window.x) <= 4 &&
               std::abs(now.at(*hidden).y - window.y) <= 4 && now.count(*shown) && parked(now.at(*shown));
    })) << "the hidden tab stands in its tile now\n"
        << session.describe(now);
}
