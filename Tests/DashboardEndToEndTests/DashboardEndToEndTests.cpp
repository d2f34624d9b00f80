// DashboardEndToEndTests.cpp: the overview and the dashboard on a virtual X desktop
// (scripts/with-xvfb): with three standard X programs tiled, a second arvelo started with
// "arvelo://overview" opens the overview window; clicking a card there focuses that tile (its
// window fills the display) and closes the overview; Escape closes it too; any other host
// opens the dashboard.
#include "ArveloSession.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace e2e;

namespace {

const std::vector<std::string> kPrograms = {"XLogo", "XEyes", "XClock"};
constexpr double kFewBeats = 15;  // seconds: start-up plus a few 0.7 s beats
const std::string kOverviewTitle = "Vomira \u2014 Overview";

class DashboardEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (environmentValue("DISPLAY").empty()) GTEST_SKIP() << "needs an X display (run through scripts/with-xvfb)";
        ASSERT_TRUE(session.probe.connected());
        ASSERT_TRUE(session.home.ready());
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
        session.runArvelo();
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
    const auto overview = openOverview();
    ASSERT_TRUE(overview);
    xdotool({"windowactivate", "--sync", std::to_string(overview->window)});
    xdotool({"key", "Escape"});
    EXPECT_TRUE(waitUntil(5, [&] { return !windowTitled(kOverviewTitle); })) << "Escape closes the overview";
    // The windows stay tiled as they were.
    EXPECT_FALSE(anyOverlap(framesOf()));

    sendURL("arvelo://no-such-command");
    EXPECT_TRUE(waitUntil(5, [&] { return windowTitled("Vomira").has_value(); })) << "the dashboard opens";
}
