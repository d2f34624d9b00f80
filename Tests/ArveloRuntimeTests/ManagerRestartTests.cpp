// SPDX-License-Identifier: MIT
// ManagerRestartTests.cpp: arranged windows while the window manager goes away and comes back
// (replaced, restarted, killed), on the simulated desktop: the windows keep their records and
// original frames, the recovery file is not rewritten with tiled frames, the layout is waited
// for and applied again, and a window is forgotten only when it is really gone.
#include "TickScene.h"

#include <algorithm>
#include <set>

using namespace arvelo;
using arvelo::testing::TickScene;
using platform::sim::WindowHandle;

namespace {

class ManagerRestart : public TickScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Built-in", {1440, 900});
        auto logos = desktop.launch("XLogo", "xlogo");
        for (int i = 0; i < 3; ++i) {
            const Rect frame(100 + 80.0 * i, 90 + 50.0 * i, 400, 300);
            windows.push_back(logos.openWindow("logo " + std::to_string(i), frame));
            originals.push_back(frame);
        }
        start();
        wait(3);
        tiled = framesOf(windows);
        for (std::size_t i = 0; i < windows.size(); ++i) ASSERT_NE(tiled[i], originals[i]) << "arranged " << i;
        recovery = readState("restore.json");
    }

    // The manager lets the windows go: the first `count` of them, or every one and the
    // manager itself.
    void managerLeaves(std::size_t count, bool trustLost) {
        if (trustLost) desktop.setTrusted(false);
        for (std::size_t i = 0; i < count; ++i) windows[i].unmanaged();
    }
    // A new manager takes them again, placing each where it likes (as a fresh manager puts a
    // window it takes by its own rules).
    void managerReturns(std::size_t count) {
        desktop.setTrusted(true);
        for (std::size_t i = 0; i < count; ++i) {
            windows[i].moveTo(tiled[i].offsetBy(7, 23));
            windows[i].unmanaged(false);
            wait(0.3);
        }
    }

    // A recovery file's entries, whatever their order.
    static std::multiset<std::string> entries(const std::string& text) {
        std::multiset<std::string> result;
        for (const auto& entry : nlohmann::json::parse(text)) result.insert(entry.dump());
        return result;
    }

    bool inLayout(const std::string& key) const {
        const auto keys = tree().allWindows();
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    }

    std::vector<WindowHandle> windows;
    std::vector<Rect> originals;
    std::vector<Rect> tiled;
    std::string recovery;
};

}  // namespace

TEST_F(ManagerRestart, AManagerThatComesBackIsWaitedForAndNoOriginalIsLost) {
    struct Case {
        const char* name;
        bool trustLost;    // no manager at all for a while (killed), or one taking over (replaced)
        double awayFor;    // seconds until the manager takes the windows again
    };
    const Case cases[] = {
        {"replaced", false, 1.0},
        {"restarted", true, 2.0},
        {"killed and started again", true, 6.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto layout = tree();
        managerLeaves(windows.size(), c.trustLost);
        wait(c.awayFor);
        EXPECT_EQ(tree(), layout) << "the layout waits for the manager";
        EXPECT_EQ(entries(readState("restore.json")), entries(recovery)) << "no original is replaced while the manager is away";

        managerReturns(windows.size());
        wait(3);
        EXPECT_EQ(tree(), layout);
        EXPECT_EQ(framesOf(windows), tiled) << "the layout is applied again";
        EXPECT_EQ(entries(readState("restore.json")), entries(recovery));
        for (const auto& window : windows) EXPECT_EQ(recordOf(window).originalFrame, originals[&window - &windows[0]]);
    }

    coordinator->restore();
    wait(2);
    EXPECT_EQ(framesOf(windows), originals) << "every window back where it was before arranging";
    EXPECT_FALSE(stateExists("restore.json"));
}

TEST_F(ManagerRestart, AManagerThatStaysAwayLeavesTheLayoutButNotTheOriginals) {
    managerLeaves(windows.size(), true);
    wait(15);
    EXPECT_EQ(entries(readState("restore.json")), entries(recovery)) << "the windows exist: their originals stay";

    managerReturns(windows.size());
    wait(5);
    for (std::size_t i = 0; i < windows.size(); ++i)
        EXPECT_EQ(recordOf(windows[i]).originalFrame, originals[i]) << "window " << i;
    coordinator->restore();
    wait(2);
    EXPECT_EQ(framesOf(windows), originals);
}

TEST_F(ManagerRestart, AWithdrawnWindowLeavesTheLayoutAndKeepsItsOriginalUntilItIsGone) {
    // Its client hides it (to a tray): one window is no manager going away.
    const std::string key = keyOf(windows[0]);
    windows[0].unmanaged();
    wait(3);
    EXPECT_FALSE(inLayout(key)) << "taken out of the layout at once";
    EXPECT_EQ(entries(readState("restore.json")), entries(recovery)) << "its original stays with it";

    windows[0].moveTo({900, 500, 400, 300});
    windows[0].unmanaged(false);
    wait(3);
    EXPECT_EQ(keyOf(windows[0]), key) << "known again under its key";
    EXPECT_EQ(recordOf(windows[0]).originalFrame, originals[0]) << "not the frame it came back with";

    // Destroyed while withdrawn: forgotten.
    windows[0].unmanaged();
    wait(3);
    EXPECT_TRUE(coordinator->access->records.contains(key));
    windows[0].vanish();
    wait(3);
    EXPECT_FALSE(coordinator->access->records.contains(key));
}
