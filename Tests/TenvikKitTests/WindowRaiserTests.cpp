// SPDX-License-Identifier: MIT
// WindowRaiserTests.cpp: finding and raising a pinned window's real window on the simulated
// desktop: the frame pass with its 180-point limit and ties, the title pass, failures and their
// log lines, the activation and focus writes, and the 0.1 s time-out on every request.
#include "KitScene.h"
#include "PinTestAccessibility.h"
#include "TenvikKit/Pins/WindowRaiser.h"

#include <gtest/gtest.h>

namespace tenvik {
namespace {

using platform::sim::Request;

struct RaiserScene : test::KitScene {
    RaiserScene() { desktop.addDisplay("Main", {1920, 1080}); }

    WindowRaiser raiser() { return WindowRaiser(accessibility, desktop.services().workspace); }
    static PinnedWindow pinned(const platform::sim::AppHandle& app, std::string title, arvelo::Rect bounds) {
        return {0, app.pid(), "Editor", std::move(title), bounds, true};
    }

    std::shared_ptr<test::FaultyAccessibility> accessibility =
        std::make_shared<test::FaultyAccessibility>(desktop.services().accessibility);
};

TEST(WindowRaiser, FindsTheWindowByFrameThenByTitle) {
    const arvelo::Rect pinnedBounds{100, 100, 800, 600};
    struct Case {
        const char* name;
        arvelo::Rect first, second;  // frames of the two windows, "First" listed first
        std::string firstTitle, secondTitle, pinnedTitle;
        std::optional<int> expected;  // 0: the first window, 1: the second
    };
    const Case cases[] = {
        {"two at 20 points: the one listed first", {120, 100, 800, 600}, {100, 120, 800, 600}, "A", "B", "", 0},
        {"the closer one", {150, 100, 800, 600}, {110, 100, 800, 600}, "A", "B", "", 1},
        {"179 points: by frame", {279, 100, 800, 600}, {900, 900, 100, 100}, "A", "B", "B", 0},
        {"180 points: the title decides", {280, 100, 800, 600}, {900, 900, 100, 100}, "A", "B", "B", 1},
        {"180 points and an empty title: nothing", {280, 100, 800, 600}, {900, 900, 100, 100}, "A", "B", "", {}},
        {"two titled alike: nothing", {900, 900, 100, 100}, {0, 900, 100, 100}, "Doc", "Doc", "Doc", {}},
        {"titles are compared exactly", {900, 900, 100, 100}, {0, 900, 100, 100}, "doc", " Doc", "Doc", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RaiserScene scene;
        auto app = scene.desktop.launch("org.example.Editor", "Editor");
        auto second = app.openWindow(c.secondTitle, c.second);
        auto first = app.openWindow(c.firstTitle, c.first);  // opened last: front, listed first
        const auto found = scene.raiser().axWindow(RaiserScene::pinned(app, c.pinnedTitle, pinnedBounds));
        if (!c.expected) {
            EXPECT_FALSE(found);
            continue;
        }
        ASSERT_TRUE(found);
        EXPECT_EQ(found->window, (*c.expected == 0 ? first : second).number());
    }
}

TEST(WindowRaiser, AWindowWithoutAPositionStillTakesPartInTheTitlePass) {
    RaiserScene scene;
    auto app = scene.desktop.launch("org.example.Editor", "Editor");
    auto window = app.openWindow("Doc", {100, 100, 800, 600});
    scene.accessibility->failingReads.insert({window.number(), "AXPosition"});
    const auto found = scene.raiser().axWindow(RaiserScene::pinned(app, "Doc", {100, 100, 800, 600}));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->window, window.number());
}

TEST(WindowRaiser, RaisingActivatesAndFocusesTheWindow) {
    RaiserScene scene;
    auto app = scene.desktop.launch("org.example.Editor", "Editor");
    auto target = app.openWindow("Doc", {100, 100, 800, 600});
    app.openWindow("Other", {600, 400, 800, 600});
    auto cover = scene.desktop.launch("org.example.Other", "Other");
    cover.openWindow("Cover", {0, 0, 1920, 1080});
    cover.activate();
    scene.desktop.calls().clear();

    EXPECT_TRUE(scene.raiser().raise(RaiserScene::pinned(app, "Doc", {100, 100, 800, 600})));
    const auto calls = scene.desktop.calls().all();
    ASSERT_FALSE(calls.empty());
    for (const auto& call : calls) EXPECT_EQ(call.timeout, 0.1) << call.description();
    EXPECT_EQ(scene.desktop.world().frontmost(), app.pid());
    EXPECT_EQ(scene.desktop.world().stacking().front(), target.number());
    const auto& services = scene.desktop.services();
    EXPECT_EQ(services.accessibility->copyAttributeValue(target.element(), "AXMain", 1).value, platform::AccessValue(true));
    EXPECT_EQ(services.accessibility->copyAttributeValue(app.element(), "AXFocusedWindow", 1).value,
              platform::AccessValue(target.element()));

    const auto raises = scene.desktop.calls().of(Request::action, "AXRaise");
    ASSERT_EQ(raises.size(), 1u);
    std::vector<std::string> writes;
    for (const auto& call : scene.desktop.calls().of(Request::set)) writes.push_back(call.name);
    EXPECT_EQ(writes, (std::vector<std::string>{"AXMain", "AXFocused", "AXFocusedWindow"}));
}

TEST(WindowRaiser, FailuresChangeNothingAndSaySo) {
    struct Case {
        const char* name;
        bool trusted;
        bool failRaise;
        bool quit;
        std::string logLine;
    };
    const Case cases[] = {
        {"not trusted", false, false, false, "debug: raiseSourceWindow no-match pid="},
        {"the application quit", true, false, true, "debug: raiseSourceWindow no-match pid="},
        {"the raise fails", true, true, false, "error: raiseSourceWindow raise failed pid="},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RaiserScene scene;
        auto app = scene.desktop.launch("org.example.Editor", "Editor");
        app.openWindow("Doc", {100, 100, 800, 600});
        auto cover = scene.desktop.launch("org.example.Other", "Other");
        cover.openWindow("Cover", {0, 0, 1920, 1080});
        cover.activate();
        scene.desktop.setTrusted(c.trusted);
        if (c.failRaise) scene.accessibility->failingActions["AXRaise"] = platform::AccessError::cannotComplete;
        const auto window = RaiserScene::pinned(app, "Doc", {100, 100, 800, 600});
        if (c.quit) app.quit();

        EXPECT_FALSE(scene.raiser().raise(window));
        EXPECT_EQ(scene.desktop.world().frontmost(), cover.pid()) << "not activated";
        const auto lines = scene.logLines("pin");
        ASSERT_FALSE(lines.empty());
        const std::string pid = std::to_string(window.ownerPID);
        EXPECT_EQ(lines.back(), c.logLine + pid + (c.failRaise ? " error=-25204" : ""));
    }
}

}  // namespace
}  // namespace tenvik
