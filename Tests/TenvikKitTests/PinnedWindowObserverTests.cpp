// SPDX-License-Identifier: MIT
// PinnedWindowObserverTests.cpp: watching a pinned window on the simulated desktop: what is
// registered when the application grants or refuses notifications, restarts and stops, the
// minimised state, and that an observer destroyed while live leaves nothing behind.
#include "KitScene.h"
#include "PinTestAccessibility.h"
#include "TenvikKit/Pins/PinnedWindowObserver.h"

#include <gtest/gtest.h>

namespace tenvik {
namespace {

struct ObserverScene : test::KitScene {
    ObserverScene() {
        desktop.addDisplay("Main", {1920, 1080});
        app = std::make_unique<platform::sim::AppHandle>(desktop.launch("org.example.Editor", "Editor"));
        window = std::make_unique<platform::sim::WindowHandle>(app->openWindow("Doc", {100, 100, 800, 600}));
    }
    std::unique_ptr<PinnedWindowObserver> makeObserver() {
        auto made = std::make_unique<PinnedWindowObserver>(accessibility);
        made->onChange = [this] { ++changes; };
        return made;
    }

    std::shared_ptr<test::FaultyAccessibility> accessibility =
        std::make_shared<test::FaultyAccessibility>(desktop.services().accessibility);
    std::unique_ptr<platform::sim::AppHandle> app;
    std::unique_ptr<platform::sim::WindowHandle> window;
    int changes = 0;
};

TEST(PinnedWindowObserver, RegistersWhatTheApplicationGrants) {
    using V = std::vector<std::string>;
    struct Case {
        const char* name;
        std::set<std::string> refused;
        bool live;
        V registered;
    };
    const Case cases[] = {
        {"everything granted",
         {},
         true,
         {"AXMoved", "AXResized", "AXWindowMiniaturized", "AXWindowDeminiaturized", "AXUIElementDestroyed"}},
        {"destroyed refused",
         {"AXUIElementDestroyed"},
         true,
         {"AXMoved", "AXResized", "AXWindowMiniaturized", "AXWindowDeminiaturized"}},
        {"only the required two",
         {"AXWindowMiniaturized", "AXWindowDeminiaturized", "AXUIElementDestroyed"},
         true,
         {"AXMoved", "AXResized"}},
        {"resized refused", {"AXResized"}, false, {}},
        {"moved refused", {"AXMoved"}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ObserverScene scene;
        scene.accessibility->refusedNotifications = c.refused;
        auto observer = scene.makeObserver();
        EXPECT_EQ(observer->start(scene.app->pid(), scene.window->element()), c.live);
        EXPECT_EQ(observer->registeredNotifications(), c.registered);
        EXPECT_EQ(observer->isLive(), c.live);
        EXPECT_EQ(scene.accessibility->observersAlive, c.live ? 1 : 0) << "a refused start keeps no observer";
        // A partial registration is undone: a move reaches nobody.
        scene.window->moveTo({200, 100, 800, 600});
        scene.desktop.drain();
        EXPECT_EQ(scene.changes, c.live ? 1 : 0);
    }
}

TEST(PinnedWindowObserver, EveryNotificationCallsOnChangeOnce) {
    ObserverScene scene;
    auto observer = scene.makeObserver();
    ASSERT_TRUE(observer->start(scene.app->pid(), scene.window->element()));
    struct Step {
        const char* name;
        std::function<void()> act;
        int changes;
    };
    const Step steps[] = {
        {"moved",
         [&] {
             scene.window->moveTo({300, 100, 800, 600});
         },
         1},
        {"resized",
         [&] {
             scene.window->moveTo({300, 100, 700, 600});
         },
         1},
        {"moved and resized",
         [&] {
             scene.window->moveTo({0, 0, 500, 400});
         },
         2},
        {"minimised", [&] { scene.window->minimize(); }, 1},
        {"restored", [&] { scene.window->minimize(false); }, 1},
        {"closed", [&] { scene.window->vanish(); }, 1},
    };
    for (const auto& step : steps) {
        scene.changes = 0;
        step.act();
        scene.desktop.drain();
        EXPECT_EQ(scene.changes, step.changes) << step.name;
    }
}

TEST(PinnedWindowObserver, RestartStopAndMinimisedState) {
    ObserverScene scene;
    auto observer = scene.makeObserver();
    scene.desktop.calls().clear();
    observer->stop();
    EXPECT_TRUE(scene.desktop.calls().all().empty()) << "stopping a never-started observer asks nothing";
    EXPECT_FALSE(observer->isMinimized());

    ASSERT_TRUE(observer->start(scene.app->pid(), scene.window->element()));
    ASSERT_TRUE(observer->start(scene.app->pid(), scene.window->element()));
    EXPECT_EQ(scene.accessibility->observersAlive, 1) << "the first registration is gone";
    scene.window->moveTo({300, 100, 800, 600});
    scene.desktop.drain();
    EXPECT_EQ(scene.changes, 1) << "one registration, one call";

    scene.window->minimize();
    scene.desktop.drain();
    EXPECT_TRUE(observer->isMinimized());
    const auto reads = scene.desktop.calls().of(platform::sim::Request::copy, "AXMinimized");
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back().timeout, 0.1);

    observer->stop();
    EXPECT_FALSE(observer->isMinimized()) << "a stopped observer has no window";
    EXPECT_TRUE(observer->registeredNotifications().empty());
    EXPECT_EQ(scene.accessibility->observersAlive, 0);
    EXPECT_TRUE(observer->onChange) << "onChange is kept across stop";
    scene.changes = 0;
    scene.window->minimize(false);
    scene.desktop.drain();
    EXPECT_EQ(scene.changes, 0);
}

TEST(PinnedWindowObserver, DestroyingALiveObserverStopsIt) {
    ObserverScene scene;
    auto observer = scene.makeObserver();
    ASSERT_TRUE(observer->start(scene.app->pid(), scene.window->element()));
    // A notification already on its way when the observer goes.
    scene.window->moveTo({300, 100, 800, 600});
    observer.reset();
    EXPECT_EQ(scene.accessibility->observersAlive, 0);
    scene.window->moveTo({400, 100, 800, 600});
    scene.desktop.drain();
    EXPECT_EQ(scene.changes, 0);
}

}  // namespace
}  // namespace tenvik
