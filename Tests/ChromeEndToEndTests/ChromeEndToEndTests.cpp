// SPDX-License-Identifier: MIT
// ChromeEndToEndTests.cpp: the chrome on a virtual X desktop with openbox, over the fixture
// application's three windows as the real arvelo tiles them (the large-minimum window shares a
// tile with another as its tab). The tab bar sits directly above its shown window in the
// server's stacking order; clicking the other tab shows that window; dragging a seam handle moves the seam and both neighbours follow; a tab dragged
// shows the drop preview; Ctrl+Alt+Return shows the zoom bar. After each step the server's list holds
// exactly the panels that should be there. The same with a compositing manager (xcompmgr).
// Screenshots of every panel kind go to the build folder.
#include "ArveloSession.h"
#include "ScreenPixel.h"
#include "Wait.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

using namespace e2e;

namespace {

const std::vector<std::string> kFixture = {"org.vomira.ArveloFixture"};
constexpr double kFewBeats = 15;

// One of arvelo's panels as the X server has it.
struct Panel {
    xcb_window_t window = 0;
    Frame frame;
    int position = 0;  // in the root's children, bottom to top
    int depth = 0;     // 32: drawn with an alpha channel
};

// The root's children and arvelo's panels among them, read straight from the server.
class Stacking {
public:
    Stacking() : c_(xcb_connect(nullptr, nullptr)), root_(xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root) {
        const char name[] = "_NET_WM_PID";
        auto* reply = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        pidAtom_ = reply ? reply->atom : 0;
        free(reply);
    }
    ~Stacking() { xcb_disconnect(c_); }

    std::vector<xcb_window_t> order() {
        auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
        std::vector<xcb_window_t> list;
        if (tree) list.assign(xcb_query_tree_children(tree), xcb_query_tree_children(tree) + tree->children_len);
        free(tree);
        return list;
    }
    // Viewable override-redirect windows of the process, bottom to top.
    std::vector<Panel> panelsOf(pid_t pid) {
        std::vector<Panel> panels;
        const auto children = order();
        for (std::size_t i = 0; i < children.size(); ++i) {
            const xcb_window_t w = children[i];
            auto* attributes = xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
            const bool shown =
                attributes && attributes->override_redirect && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            free(attributes);
            if (!shown || pidOf(w) != pid) continue;
            auto* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr);
            if (!g) continue;
            panels.push_back({w, Frame{g->x, g->y, g->width, g->height}, static_cast<int>(i), g->depth});
            free(g);
        }
        return panels;
    }
    // The root's child that holds a client (its frame).
    std::optional<std::pair<xcb_window_t, int>> frameOf(xcb_window_t client) {
        xcb_window_t at = client;
        for (int depth = 0; depth < 8; ++depth) {
            auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, at), nullptr);
            if (!tree) return std::nullopt;
            const xcb_window_t parent = tree->parent;
            free(tree);
            if (parent == root_) {
                const auto o = order();
                return std::pair(at, static_cast<int>(std::find(o.begin(), o.end(), at) - o.begin()));
            }
            at = parent;
        }
        return std::nullopt;
    }

    // A compositing manager owns the screen's selection.
    bool compositing() {
        const char name[] = "_NET_WM_CM_S0";
        auto* atom = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        if (!atom) return false;
        auto* owner = xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, atom->atom), nullptr);
        const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
        free(owner);
        free(atom);
        return owned;
    }

private:
    pid_t pidOf(xcb_window_t w) {
        auto* reply =
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = 0;
        if (reply && xcb_get_property_value_length(reply) >= 4)
            pid = static_cast<pid_t>(*static_cast<std::uint32_t*>(xcb_get_property_value(reply)));
        free(reply);
        return pid;
    }

    xcb_connection_t* c_;
    xcb_window_t root_;
    xcb_atom_t pidAtom_ = 0;
};

class ChromeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
        setenv("ARVELO", ARVELO_PATH, 1);
    }

    void xdotool(const std::vector<std::string>& arguments) {
        ChildProcess tool("/usr/bin/xdotool", arguments);
        ASSERT_EQ(tool.waitForExit(20), 0) << "xdotool failed";
    }
    // The screen once it has finished drawing (freshly shown panels paint on their first
    // expose): two pictures in a row alike.
    void screenshot(const std::string& name) {
        const std::string file = std::string(SCREENSHOT_FOLDER) + "/" + name;
        const std::string raw = session.home.path("screen.rgb").string();
        const auto picture = [&] {
            ChildProcess shot("/usr/bin/import", {"-window", "root", "-depth", "8", "rgb:" + raw});
            EXPECT_EQ(shot.waitForExit(20), 0) << "screenshot " << file;
            return readFile(raw);
        };
        std::string previous = picture();
        EXPECT_TRUE(waitUntil(kFewBeats, [&] {
            std::string current = picture();
            const bool same = current == previous;
            previous = std::move(current);
            return same;
        }))
            << "the screen did not hold still for " << file;
        ChildProcess shot("/usr/bin/import", {"-window", "root", file});
        EXPECT_EQ(shot.waitForExit(20), 0) << "screenshot " << file;
    }
    // The drop preview: the one large panel.
    bool previewShown() {
        for (const Panel& p : panels())
            if (p.frame.width > 300 && p.frame.height > 300) return true;
        return false;
    }
    bool zoomBarShown() {
        for (const Panel& p : panels())
            if (p.frame.height == 32 && p.frame.width > 100 && p.frame.width < 400) return true;
        return false;
    }
    // Starts a compositing manager; false when none is installed.
    bool startCompositor() {
        if (std::system("command -v xcompmgr >/dev/null") != 0) return false;
        compositor_ = &session.start("xcompmgr", {"-n"});
        return waitUntil(5, [&] { return stacking.compositing(); });
    }
    void stopCompositor() {
        ASSERT_TRUE(compositor_);
        compositor_->terminate();
        compositor_->waitForExit(5);
        ASSERT_TRUE(waitUntil(5, [&] { return !stacking.compositing(); }));
    }
    // Every panel on screen has the form that shows: an alpha channel exactly while a
    // compositing manager runs.
    bool panelsHaveDepth(int depth) {
        const auto all = panels();
        return !all.empty() && std::all_of(all.begin(), all.end(), [&](const Panel& p) { return p.depth == depth; });
    }
    // Presses the first tab and drags it down into the tile, where the preview shows, and
    // answers the preview panel.
    std::optional<Panel> dragTabIntoPreview(const Panel& bar) {
        const int x = bar.frame.x + 40, y = bar.frame.y + bar.frame.height / 2;
        xdotool({"mousemove", std::to_string(x), std::to_string(y), "mousedown", "1", "sleep", "0.1",
                 "mousemove_relative", "--", "20", "120", "sleep", "0.1", "mousemove_relative", "--", "20", "120"});
        std::optional<Panel> preview;
        waitUntil(5, [&] {
            for (const Panel& p : panels())
                if (p.frame.width > 300 && p.frame.height > 300) preview = p;
            return preview.has_value();
        });
        return preview;
    }
    void dropBack() { xdotool({"mousemove_relative", "--", "-40", "-240", "sleep", "0.1", "mouseup", "1"}); }
    // A point of the preview away from its frame and its label box, and the colour the screen
    // shows there once it holds still (a panel paints a moment after it maps).
    static std::pair<int, int> insidePreview(const Panel& preview) {
        return {preview.frame.x + preview.frame.width / 4, preview.frame.y + preview.frame.height / 4};
    }
    std::optional<Colour> steadyPixel(int x, int y) {
        std::optional<Colour> last;
        std::optional<Colour> steady;
        waitUntil(5, [&] {
            const auto now = screenPixel(x, y);
            if (now && last && now->near(*last, 2)) steady = now;
            last = now;
            return steady.has_value();
        });
        return steady;
    }

    // The fixture's windows tiled by arvelo (fixture mode), once they hold still.
    Frames arranged() {
        session.start(ARVELO_FIXTURE_PATH, {});
        session.probe.settledFrames(
            kFixture, [](const Frames& frames) { return frames.size() == 3; }, kFewBeats);
        arvelo_ = &session.runArvelo({"--fixture-only"});
        // The large-minimum window is learnt within a few beats and goes into another's tile.
        EXPECT_TRUE(waitUntil(kFewBeats, [&] { return tabBar().has_value(); })) << describe();
        return session.probe.settledFrames(
            kFixture, [](const Frames&) { return true; }, kFewBeats);
    }
    std::vector<Panel> panels() { return stacking.panelsOf(arvelo_->pid()); }
    // The tab bar: the panel lying on top of a fixture window's frame, as wide as it.
    std::optional<Panel> tabBar() {
        const Frames frames = session.probe.framesOf(kFixture);
        for (const Panel& p : panels())
            for (const auto& [window, frame] : frames)
                if (p.frame.width == frame.width && p.frame.height >= 16 && p.frame.height <= 60 &&
                    std::abs(p.frame.y + p.frame.height - frame.y) <= 2 && p.frame.x == frame.x)
                    return p;
        return std::nullopt;
    }
    // The tab bar once it and the arrangement under it have held still for a second: after a
    // drop the tiles are laid out again and a press is held back for a moment.
    std::optional<Panel> steadyTabBar() {
        std::optional<Panel> last;
        Frames lastFrames;
        int still = 0;
        waitUntil(10, [&] {
            const auto bar = tabBar();
            const Frames frames = session.probe.framesOf(kFixture);
            if (bar && last && bar->frame == last->frame && frames == lastFrames) ++still;
            else still = 0;
            last = bar;
            lastFrames = frames;
            return still >= 20;
        });
        return still >= 20 ? last : std::nullopt;
    }
    // Seam handles: thin panels standing between tiles.
    std::vector<Panel> seamHandles() {
        std::vector<Panel> found;
        for (const Panel& p : panels())
            if (p.frame.width <= 12 || p.frame.height <= 12) found.push_back(p);
        return found;
    }
    std::string describe() {
        std::string text;
        for (const Panel& p : panels()) text += "panel " + p.frame.text() + "\n";
        return text + session.describe(session.probe.framesOf(kFixture));
    }
    // The fixture window right under a panel.
    std::optional<xcb_window_t> windowBelow(const Panel& bar) {
        for (const auto& [window, frame] : session.probe.framesOf(kFixture))
            if (frame.x == bar.frame.x && std::abs(bar.frame.y + bar.frame.height - frame.y) <= 2) return window;
        return std::nullopt;
    }

    ArveloSession session{"chrome"};
    Stacking stacking;
    ChildProcess* arvelo_ = nullptr;
    ChildProcess* compositor_ = nullptr;
};

// Relative luminance and the contrast ratio of two colours, as readability is measured.
double luminance(const Colour& c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red) + 0.7152 * channel(c.green) + 0.0722 * channel(c.blue);
}
double contrast(const Colour& a, const Colour& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
// The accent's light tint over a colour: 22 % of the accent (10, 132, 255).
Colour tinted(const Colour& under) {
    auto mix = [](int u, int a) { return static_cast<int>(std::lround(0.78 * u + 0.22 * a)); };
    return {mix(under.red, 10), mix(under.green, 132), mix(under.blue, 255)};
}
const Colour kWhite{255, 255, 255};

TEST_F(ChromeEndToEnd, TabBarSitsAboveItsWindowAndItsOtherTabShowsThatWindow) {
    arranged();
    const auto bar = tabBar();
    ASSERT_TRUE(bar) << describe();
    const auto shown = windowBelow(*bar);
    ASSERT_TRUE(shown);
    const auto frame = stacking.frameOf(*shown);
    ASSERT_TRUE(frame);
    EXPECT_EQ(bar->position, frame->second + 1) << "directly above the shown window's frame\n" << describe();
    EXPECT_EQ(seamHandles().size(), 1u) << describe();
    EXPECT_EQ(panels().size(), 2u) << "a tab bar and a seam handle, nothing stale\n" << describe();
    screenshot("chrome-tab-bar.png");

    // The second tab sits right of the first: 4 + one tab width + 4 + half a tab.
    const int tabWidth = std::min(std::max((bar->frame.width - 8) / 2 - 4, 90), 260);
    const int x = bar->frame.x + 4 + tabWidth + 4 + tabWidth / 2;
    const int y = bar->frame.y + bar->frame.height / 2;
    xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
    // The other window comes up in the tile's place and the first one is parked off screen;
    // the bar sits above the window now shown.
    std::optional<Panel> moved;
    const bool switched = waitUntil(kFewBeats, [&] {
        moved = tabBar();
        const auto below = moved ? windowBelow(*moved) : std::nullopt;
        return below && *below != *shown;
    });
    ASSERT_TRUE(switched) << describe();
    const Frame parked = session.probe.framesOf(kFixture).at(*shown);
    EXPECT_TRUE(parked.x > 1100 && parked.y > 600) << "parked in the corner: " << parked.text();
    EXPECT_TRUE(waitUntil(5,
                          [&] {
                              const auto bar = tabBar();
                              const auto below = bar ? windowBelow(*bar) : std::nullopt;
                              const auto frame = below ? stacking.frameOf(*below) : std::nullopt;
                              return frame && bar->position == frame->second + 1;
                          }))
        << "the new bar directly above the window now shown\n"
        << describe();
    xdotool({"mousemove", "700", "500"});
    EXPECT_TRUE(waitUntil(kFewBeats, [&] { return panels().size() == 2; }))
        << "the new bar and the seam handle, nothing stale\n"
        << describe();
    screenshot("chrome-other-tab.png");
}

TEST_F(ChromeEndToEnd, DraggingASeamHandleMovesTheSeamAndBothNeighboursFollow) {
    const Frames before = arranged();
    const auto handles = seamHandles();
    ASSERT_EQ(handles.size(), 1u) << describe();
    const Frame seam = handles.front().frame;
    const int x = seam.x + seam.width / 2, y = seam.y + seam.height / 2;
    xdotool({"mousemove", std::to_string(x), std::to_string(y)});
    screenshot("chrome-seam-hover.png");
    xdotool({"mousedown", "1", "sleep", "0.1", "mousemove_relative", "--", "-60", "0", "sleep", "0.1",
             "mousemove_relative", "--", "-60", "0", "sleep", "0.2", "mouseup", "1"});
    const Frames after = session.probe.settledFrames(
        kFixture,
        [&](const Frames& frames) {
            for (const auto& [window, frame] : frames)
                if (before.count(window) && frame.x > 100 && frame.x < before.at(window).x - 90) return true;
            return false;
        },
        kFewBeats);
    int leftMoved = 0, rightMoved = 0;
    for (const auto& [window, frame] : after) {
        if (!before.count(window) || frame.x < -100 || frame.x > 3000) continue;  // parked
        const Frame& was = before.at(window);
        if (was.x < seam.x && frame.width < was.width - 90) ++leftMoved;
        if (was.x > seam.x && frame.x < was.x - 90) ++rightMoved;
    }
    EXPECT_GE(leftMoved, 1) << describe();
    EXPECT_GE(rightMoved, 1) << describe();
    EXPECT_TRUE(waitUntil(5,
                          [&] {
                              const auto moved = seamHandles();
                              return moved.size() == 1 && moved.front().frame.x < seam.x - 90;
                          }))
        << "one new handle at the seam's new place\n"
        << describe();
}

TEST_F(ChromeEndToEnd, ADraggedTabShowsTheDropPreviewAndTheZoomBarComesWithAFocusedTile) {
    arranged();
    const auto bar = tabBar();
    ASSERT_TRUE(bar) << describe();
    const int x = bar->frame.x + 40, y = bar->frame.y + bar->frame.height / 2;
    xdotool({"mousemove", std::to_string(x), std::to_string(y), "mousedown", "1", "sleep", "0.1", "mousemove_relative",
             "--", "20", "120", "sleep", "0.1", "mousemove_relative", "--", "20", "120", "sleep", "0.5"});
    EXPECT_TRUE(waitUntil(5, [&] { return previewShown(); })) << describe();
    screenshot("chrome-drop-preview.png");
    // Back where it started: dropped on its own tile.
    xdotool({"mousemove_relative", "--", "-40", "-240", "sleep", "0.1", "mouseup", "1"});
    EXPECT_TRUE(waitUntil(kFewBeats, [&] { return !previewShown(); }))
        << "the preview is gone after the drop\n"
        << describe();

    xdotool({"key", "ctrl+alt+Return"});
    EXPECT_TRUE(waitUntil(kFewBeats, [&] { return zoomBarShown(); })) << describe();
    xdotool({"mousemove", "5", "500"});
    screenshot("chrome-zoom-bar.png");
}

TEST_F(ChromeEndToEnd, UnderACompositingManagerThePanelsAreTranslucent) {
    if (!startCompositor()) GTEST_SKIP() << "xcompmgr is not installed";
    arranged();
    const auto bar = tabBar();
    ASSERT_TRUE(bar) << describe();
    EXPECT_EQ(bar->position, stacking.frameOf(*windowBelow(*bar))->second + 1) << describe();
    screenshot("chrome-composited-tab-bar.png");
    const int x = bar->frame.x + 40, y = bar->frame.y + bar->frame.height / 2;
    xdotool({"mousemove", std::to_string(x), std::to_string(y), "mousedown", "1", "sleep", "0.1", "mousemove_relative",
             "--", "20", "120", "sleep", "0.1", "mousemove_relative", "--", "20", "120"});
    EXPECT_TRUE(waitUntil(5, [&] { return previewShown(); })) << describe();
    screenshot("chrome-composited-drop-preview.png");
    xdotool({"mousemove_relative", "--", "-40", "-240", "sleep", "0.1", "mouseup", "1"});
    EXPECT_TRUE(waitUntil(kFewBeats, [&] { return !previewShown(); })) << describe();
    xdotool({"key", "ctrl+alt+Return"});
    EXPECT_TRUE(waitUntil(kFewBeats, [&] { return zoomBarShown(); })) << describe();
    screenshot("chrome-composited-zoom-bar.png");
}

// The dashboard and the settings window, opened while the chrome shows (no compositing
// manager, openbox): each comes above every floating panel, and the panels stay above the
// arranged windows.
TEST_F(ChromeEndToEnd, OurOwnWindowsComeAboveThePanelsThatStayAboveTheArrangedWindows) {
    arranged();
    ASSERT_EQ(seamHandles().size(), 1u) << describe();
    struct Case {
        std::string argument;
        std::string title;
    };
    for (const Case& c : {Case{"arvelo://no-such-command", "Vomira"},
                          Case{"--open-settings=general", "Vomira \u2014 Rev & Uzidu Settings"}}) {
        SCOPED_TRACE(c.title);
        ChildProcess& second = session.runArvelo({c.argument}, "second.log");
        EXPECT_EQ(second.waitForExit(10), 0) << session.home.read("second.log");
        std::optional<xcb_window_t> own;
        ASSERT_TRUE(waitUntil(kFewBeats, [&] {
            for (const Client& client : session.probe.clients())
                if (client.title == c.title) own = client.window;
            return own.has_value();
        })) << describe();
        const auto ownAbovePanels = [&] {
            const auto frame = stacking.frameOf(*own);
            const auto handles = seamHandles();
            return frame && !handles.empty() && std::all_of(handles.begin(), handles.end(), [&](const Panel& p) {
                       return p.position < frame->second;
                   });
        };
        EXPECT_TRUE(waitUntil(5, ownAbovePanels)) << describe();
        for (const auto& [window, frame] : session.probe.framesOf(kFixture)) {
            const auto arranged = stacking.frameOf(window);
            ASSERT_TRUE(arranged);
            for (const Panel& handle : seamHandles())
                EXPECT_GT(handle.position, arranged->second) << "the seam handle above an arranged window";
        }
        screenshot(std::string("chrome-above-panels-") + (c.title == "Vomira" ? "dashboard" : "settings") + ".png");
    }
}

// The drop preview over a tile, as the screen shows it without and with a compositing
// manager: the window under the preview shows untouched (no compositor: only the frame and the
// label box are there) or lightly tinted, and the label stands out from its box.
TEST_F(ChromeEndToEnd, TheDropPreviewLetsTheTileShowThroughAndItsLabelReads) {
    for (const bool composited : {false, true}) {
        SCOPED_TRACE(composited ? "with xcompmgr" : "without a compositing manager");
        if (composited && !startCompositor()) GTEST_SKIP() << "xcompmgr is not installed";
        if (!arvelo_) arranged();
        const auto bar = steadyTabBar();
        ASSERT_TRUE(bar) << describe();
        // What the screen shows where the preview will be: the tile's window.
        const auto preview = dragTabIntoPreview(*bar);
        ASSERT_TRUE(preview) << describe();
        dropBack();
        ASSERT_TRUE(waitUntil(kFewBeats, [&] { return panels().size() == 2; })) << describe();
        const auto [x, y] = insidePreview(*preview);
        const auto under = steadyPixel(x, y);
        ASSERT_TRUE(under);

        const auto again = steadyTabBar();
        ASSERT_TRUE(again) << describe();
        ASSERT_TRUE(dragTabIntoPreview(*again));
        const auto shown = steadyPixel(x, y);
        ASSERT_TRUE(shown);
        screenshot(composited ? "chrome-preview-composited.png" : "chrome-preview-outline.png");
        if (composited)
            EXPECT_TRUE(shown->near(tinted(*under), 14))
                << "a light tint " << tinted(*under).text() << " over " << under->text() << ", shown " << shown->text();
        else
            EXPECT_TRUE(shown->near(*under, 6)) << "the window, not the panel: " << under->text() << " shown "
                                                << shown->text();
        // The label box: left of the label's first letter, on the preview's middle line.
        const int boxY = preview->frame.y + preview->frame.height / 2;
        std::optional<Colour> box;
        for (int bx = preview->frame.x + preview->frame.width / 2; bx > preview->frame.x + 8 && !box; bx -= 4) {
            const auto pixel = screenPixel(bx, boxY);
            const auto next = screenPixel(bx - 4, boxY);
            // The box's ground: two dark pixels side by side before the tile shows again.
            if (pixel && next && luminance(*pixel) < 0.1 && pixel->near(*next, 4)) {
                const auto beyond = screenPixel(bx - 8, boxY);
                if (beyond && beyond->near(*pixel, 4)) box = pixel;
            }
        }
        ASSERT_TRUE(box) << "a dark box behind the label";
        EXPECT_GE(contrast(kWhite, *box), 4.5) << box->text();
        dropBack();
        ASSERT_TRUE(waitUntil(kFewBeats, [&] { return panels().size() == 2; })) << describe();
    }
}

// A compositing manager started and stopped while arvelo runs: every panel, the drop preview
// made before too, takes the form that shows at once (an alpha channel with it, none without).
TEST_F(ChromeEndToEnd, ACompositorStartedOrStoppedIsFollowedByEveryPanel) {
    if (std::system("command -v xcompmgr >/dev/null") != 0) GTEST_SKIP() << "xcompmgr is not installed";
    arranged();
    ASSERT_TRUE(dragTabIntoPreview(*tabBar())) << describe();  // the preview is made opaque
    dropBack();
    ASSERT_TRUE(waitUntil(kFewBeats, [&] { return panels().size() == 2; })) << describe();
    EXPECT_TRUE(panelsHaveDepth(24)) << describe();

    ASSERT_TRUE(startCompositor());
    EXPECT_TRUE(waitUntil(5, [&] { return panelsHaveDepth(32); })) << describe();
    const auto bar = steadyTabBar();
    ASSERT_TRUE(bar) << describe();
    const auto preview = dragTabIntoPreview(*bar);
    ASSERT_TRUE(preview) << describe();
    EXPECT_EQ(preview->depth, 32) << "the preview follows too";
    dropBack();
    ASSERT_TRUE(waitUntil(kFewBeats, [&] { return panels().size() == 2; })) << describe();

    stopCompositor();
    EXPECT_TRUE(waitUntil(5, [&] { return panelsHaveDepth(24); })) << describe();
    const auto last = steadyTabBar();
    ASSERT_TRUE(last) << describe();
    const auto opaque = dragTabIntoPreview(*last);
    ASSERT_TRUE(opaque) << describe();
    EXPECT_EQ(opaque->depth, 24);
    dropBack();
}

}  // namespace
