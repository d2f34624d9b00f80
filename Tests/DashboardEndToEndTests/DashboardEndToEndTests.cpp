// SPDX-License-Identifier: MIT
// DashboardEndToEndTests.cpp: the overview and the dashboard on a virtual X desktop
// (scripts/with-xvfb): with three standard X programs tiled, a second arvelo started with
// "arvelo://overview" opens the overview window; clicking a card there focuses that tile (its
// window fills the display) and closes the overview; Escape closes it too and the chrome
// panels the overview cleared come back; any other host opens the dashboard, and so does
// "Open Vomira…" in the tray menu.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace e2e;

namespace {

const std::vector<std::string> kPrograms = {"XLogo", "XEyes", "XClock"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
const std::string kOverviewTitle = "Vomira \u2014 Overview";

// How many of a process's chrome panels are shown: its viewable override-redirect windows.
class ChromePanels {
public:
    ChromePanels() : c_(xcb_connect(nullptr, nullptr)), root_(xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root) {
        const char name[] = "_NET_WM_PID";
        auto* reply = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        pidAtom_ = reply ? reply->atom : 0;
        std::free(reply);
    }
    ~ChromePanels() { xcb_disconnect(c_); }
    ChromePanels(const ChromePanels&) = delete;
    ChromePanels& operator=(const ChromePanels&) = delete;

    int countOf(pid_t pid) {
        auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
        if (!tree) return 0;
        int count = 0;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            auto* attributes = xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, children[i]), nullptr);
            const bool shown =
                attributes && attributes->override_redirect && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(attributes);
            if (!shown) continue;
            auto* property = xcb_get_property_reply(
                c_, xcb_get_property(c_, 0, children[i], pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
            if (property && xcb_get_property_value_length(property) == 4 &&
                *static_cast<const std::uint32_t*>(xcb_get_property_value(property)) == static_cast<std::uint32_t>(pid))
                ++count;
            std::free(property);
        }
        std::free(tree);
        return count;
    }

    // The middle of the status item in the tray: a small viewable window of ours, found
    // anywhere in the tree (the tray host reparents it).
    std::optional<std::pair<int, int>> statusItem() { return find(root_); }

private:
    std::optional<std::pair<int, int>> find(xcb_window_t window) {
        auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr);
        if (!tree) return std::nullopt;
        std::vector<xcb_window_t> children(xcb_query_tree_children(tree),
                                           xcb_query_tree_children(tree) + xcb_query_tree_children_length(tree));
        std::free(tree);
        for (xcb_window_t child : children) {
            auto* attributes = xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, child), nullptr);
            const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(attributes);
            if (!viewable) continue;
            auto* property = xcb_get_property_reply(
                c_, xcb_get_property(c_, 0, child, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr);
            std::string wmClass;
            if (property)
                wmClass.assign(static_cast<const char*>(xcb_get_property_value(property)),
                               static_cast<std::size_t>(xcb_get_property_value_length(property)));
            std::free(property);
            auto* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, child), nullptr);
            const bool small = g && g->width > 4 && g->width <= 64 && g->height > 4 && g->height <= 64;
            const int width = g ? g->width : 0, height = g ? g->height : 0;
            std::free(g);
            if (small && wmClass.find("org.vomira.Arvelo") != std::string::npos) {
                auto* origin =
                    xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, child, root_, 0, 0), nullptr);
                if (!origin) continue;
                const std::pair<int, int> middle{origin->dst_x + width / 2, origin->dst_y + height / 2};
                std::free(origin);
                return middle;
            }
            if (const auto found = find(child)) return found;
        }
        return std::nullopt;
    }

    xcb_connection_t* c_;
    xcb_window_t root_;
    xcb_atom_t pidAtom_ = 0;
};

class DashboardEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
        setenv("ARVELO", ARVELO_PATH, 1);
    }

    void xdotool(const std::vector<std::string>& arguments) {
        ChildProcess tool("/usr/bin/xdotool", arguments);
        ASSERT_EQ(tool.waitForExit(10), 0) << "xdotool failed";
    }

    Frames framesOf() { return session.probe.framesOf(kPrograms); }

    Frames arrangePrograms() {
        session.start("/usr/bin/xlogo", {"-geometry", "400x300+100+100"});
        session.start("/usr/bin/xeyes", {"-geometry", "300x250+250+200"});
        session.start("/usr/bin/xclock", {"-geometry", "250x250+400+300"});
        const Frames original = session.probe.settledFrames(
            kPrograms, [](const Frames& frames) { return frames.size() == 3; }, kFewBeats);
        arvelo = &session.runArvelo();
        return session.probe.settledFrames(
            kPrograms,
            [&](const Frames& frames) {
                if (frames.size() != 3 || anyOverlap(frames)) return false;
                for (const auto& [window, frame] : frames)
                    if (frame == original.at(window)) return false;
                return true;
            },
            kFewBeats);
    }

    // The shown window of ours with this title, if any.
    std::optional<Client> windowTitled(const std::string& title) {
        for (const Client& client : session.probe.clients())
            if (client.title == title) return client;
        return std::nullopt;
    }

    void sendURL(const std::string& url) {
        ChildProcess& second = session.runArvelo({url}, "second.log");
        EXPECT_EQ(second.waitForExit(5), 0) << session.home.read("second.log");
    }

    std::optional<Client> openOverview() {
        sendURL("arvelo://overview");
        std::optional<Client> overview;
        waitUntil(kFewBeats, [&] { return (overview = windowTitled(kOverviewTitle)).has_value(); });
        return overview;
    }

    bool fillsScreen(const Frame& frame) const {
        const Frame screen = session.probe.screen();
        return frame.width >= screen.width * 9 / 10 && frame.height >= screen.height * 85 / 100;
    }

    std::string describe(const Frames& frames) const { return session.describe(frames); }

    ArveloSession session{"arvelo-dashboard-e2e"};
    ChildProcess* arvelo = nullptr;
    ChromePanels chrome;
};

}  // namespace

TEST_F(DashboardEndToEnd, OverviewURLOpensTheOverviewAndClickingACardFocusesItsTile) {
    const Frames tiled = arrangePrograms();
    ASSERT_EQ(tiled.size(), 3u) << describe(tiled);
    ASSERT_FALSE(anyOverlap(tiled)) << describe(tiled);

    const auto overview = openOverview();
    ASSERT_TRUE(overview) << session.describe(framesOf());
    EXPECT_NEAR(overview->frame.width, 960, 12);
    EXPECT_NEAR(overview->frame.height, 660, 40);

    // The largest tile's place on the display, as fractions; its card sits at the same
    // fractions of the canvas (24-point window padding plus the canvas's 14-point margin).
    const auto [window, tile] = *std::max_element(tiled.begin(), tiled.end(), [](const auto& a, const auto& b) {
        return a.second.width * a.second.height < b.second.width * b.second.height;
    });
    const Frame screen = session.probe.screen();
    const double fx = (tile.x + tile.width / 2.0 - screen.x) / screen.width;
    const double fy = (tile.y + tile.height / 2.0 - screen.y) / screen.height;
    const Frame& o = overview->frame;
    const int x = o.x + 38 + static_cast<int>(fx * (o.width - 76));
    const int y = o.y + o.height / 4 + static_cast<int>(fy * (o.height / 2));
    xdotool({"mousemove", std::to_string(x), std::to_string(y)});
    xdotool({"click", "1"});

    Frames frames;
    EXPECT_TRUE(waitUntil(kFewBeats, [&] {
        frames = framesOf();
        return frames.count(window) && fillsScreen(frames.at(window));
    })) << describe(frames);
    EXPECT_TRUE(waitUntil(5, [&] { return !windowTitled(kOverviewTitle); })) << "the overview closes";
}

TEST_F(DashboardEndToEnd, EscapeClosesTheOverviewAndAnUnknownCommandOpensTheDashboard) {
    const Frames tiled = arrangePrograms();
    ASSERT_EQ(tiled.size(), 3u) << describe(tiled);
    // The seam handles between the three tiles are up; the overview takes them away.
    EXPECT_TRUE(waitUntil(kFewBeats, [&] { return chrome.countOf(arvelo->pid()) > 0; })) << "chrome panels shown";
    const auto overview = openOverview();
    ASSERT_TRUE(overview);
    EXPECT_TRUE(waitUntil(5, [&] { return chrome.countOf(arvelo->pid()) == 0; })) << "the overview clears the chrome";
    xdotool({"windowactivate", "--sync", std::to_string(overview->window)});
    xdotool({"key", "Escape"});
    EXPECT_TRUE(waitUntil(5, [&] { return !windowTitled(kOverviewTitle); })) << "Escape closes the overview";
    EXPECT_TRUE(waitUntil(5, [&] { return chrome.countOf(arvelo->pid()) > 0; })) << "the chrome is back";
    // The windows stay tiled as they were.
    EXPECT_FALSE(anyOverlap(framesOf()));

    sendURL("arvelo://no-such-command");
    EXPECT_TRUE(waitUntil(5, [&] { return windowTitled("Vomira").has_value(); })) << "the dashboard opens";
}

TEST_F(DashboardEndToEnd, OpenVomiraFromTheTrayMenuOpensTheDashboard) {
    arvelo = &session.runArvelo();
    std::optional<std::pair<int, int>> item;
    ASSERT_TRUE(waitUntil(kFewBeats, [&] { return (item = chrome.statusItem()).has_value(); }))
        << "the status item shows in the tray";
    EXPECT_FALSE(windowTitled("Vomira"));
    xdotool({"mousemove", std::to_string(item->first), std::to_string(item->second)});
    xdotool({"click", "1"});
    // The menu opens at the pointer (a pop-up window of ours); its first item is "Open Vomira…".
    EXPECT_TRUE(waitUntil(5, [&] { return chrome.countOf(arvelo->pid()) > 0; })) << "the menu opens";
    xdotool({"key", "Down", "Return"});
    EXPECT_TRUE(waitUntil(5, [&] { return windowTitled("Vomira").has_value(); })) << "the dashboard opens";
}
