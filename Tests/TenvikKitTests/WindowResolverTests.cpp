// SPDX-License-Identifier: MIT
// WindowResolverTests.cpp: choosing the window to pin on the simulated desktop: the size, layer
// and screen filter, the choice through the window list, the snapshot from the window list or,
// without one, from the capturable window, and the facts of a minimised or closed window.
#include "KitScene.h"
#include "TenvikKit/Pins/WindowResolver.h"

#include <gtest/gtest.h>

namespace tenvik {
namespace {

using platform::sim::WindowSpec;

struct ResolverScene : test::KitScene {
    ResolverScene() { desktop.addDisplay("Main", {1920, 1080}); }

    WindowResolver resolver() const { return WindowResolver(services.liveCapture, services.windowList); }
    static WindowResolver::Application application(const platform::sim::AppHandle& app) {
        return {app.pid(), app.state().name};
    }

    platform::Services services = desktop.services();
};

TEST(WindowResolver, OnlyLargeOrdinaryOnScreenWindowsCount) {
    struct Case {
        const char* name;
        WindowSpec spec;
        bool minimised = false;
        bool resolves;
    };
    const Case cases[] = {
        {"121 × 101", {.title = "W", .frame = {10, 10, 121, 101}}, false, true},
        {"120 wide", {.title = "W", .frame = {10, 10, 120, 400}}, false, false},
        {"100 tall", {.title = "W", .frame = {10, 10, 400, 100}}, false, false},
        {"another layer", {.title = "W", .frame = {10, 10, 400, 400}, .layer = 3}, false, false},
        {"minimised", {.title = "W", .frame = {10, 10, 400, 400}}, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResolverScene scene;
        auto app = scene.desktop.launch("org.example.Editor", "Editor");
        auto window = app.openWindow(c.spec);
        if (c.minimised) window.minimize();
        const auto result = scene.resolver().resolve(ResolverScene::application(app));
        if (c.resolves) {
            ASSERT_TRUE(std::holds_alternative<WindowResolver::Resolved>(result));
            EXPECT_EQ(std::get<WindowResolver::Resolved>(result).window.windowID, window.number());
        } else {
            ASSERT_TRUE(std::holds_alternative<PreviewError>(result));
        }
    }
}

TEST(WindowResolver, ChoosesTheFrontWindowAndDescribesItFromTheWindowList) {
    ResolverScene scene;
    auto other = scene.desktop.launch("org.example.Other", "Other");
    auto app = scene.desktop.launch("org.example.Editor", "Editor");
    auto back = app.openWindow("Back", {0, 0, 800, 600});
    auto front = app.openWindow("Front", {300, 200, 800, 600});
    other.openWindow("Over everything", {0, 0, 1920, 1080});
    front.raise();

    const auto result = scene.resolver().resolve(ResolverScene::application(app));
    ASSERT_TRUE(std::holds_alternative<WindowResolver::Resolved>(result));
    const auto& resolved = std::get<WindowResolver::Resolved>(result);
    EXPECT_EQ(resolved.window.windowID, front.number());
    EXPECT_EQ(resolved.shareable.windowID, front.number());
    EXPECT_EQ(resolved.window.ownerPID, app.pid());
    EXPECT_EQ(resolved.window.ownerName, "Editor");
    EXPECT_EQ(resolved.window.title, "Front");
    EXPECT_EQ(resolved.window.bounds, (arvelo::Rect{300, 200, 800, 600}));
    EXPECT_TRUE(resolved.window.isOnScreen);
    EXPECT_NE(back.number(), front.number());
    const auto lines = scene.logLines("pin");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "debug: resolve selected pid=" + std::to_string(app.pid()) +
                                " windowID=" + std::to_string(front.number()));
}

TEST(WindowResolver, WithoutAWindowListTheFirstCapturableWindowIsDescribedByTheCapture) {
    ResolverScene scene;
    auto app = scene.desktop.launch("org.example.Editor", "Editor");
    auto first = app.openWindow("First", {0, 0, 800, 600});
    app.openWindow("Second", {100, 100, 800, 600});
    first.raise();
    scene.desktop.launch("org.example.Other", "Other").activate();  // no window of the editor is active

    const WindowResolver resolver(scene.services.liveCapture,
                                  [](const platform::WindowListOptions&) { return std::nullopt; });
    const auto result = resolver.resolve(ResolverScene::application(app));
    ASSERT_TRUE(std::holds_alternative<WindowResolver::Resolved>(result));
    const auto& window = std::get<WindowResolver::Resolved>(result).window;
    EXPECT_EQ(window.windowID, first.number());
    EXPECT_EQ(window.ownerName, "Editor");
    EXPECT_EQ(window.title, "First");
    EXPECT_TRUE(window.isOnScreen);
    EXPECT_FALSE(resolver.currentWindowInfo(first.number()));
}

TEST(WindowResolver, ACapturableListErrorIsPassedOn) {
    ResolverScene scene;
    auto app = scene.desktop.launch("org.example.Editor", "Editor");
    app.openWindow("W", {0, 0, 800, 600});
    scene.desktop.world().shareableWindowsError = "The list of windows could not be read.";
    const auto result = scene.resolver().resolve(ResolverScene::application(app));
    ASSERT_TRUE(std::holds_alternative<WindowResolver::ContentError>(result));
    EXPECT_EQ(std::get<WindowResolver::ContentError>(result).message, "The list of windows could not be read.");
}

TEST(WindowResolver, CurrentInfoOfMinimisedElsewhereAndClosedWindows) {
    ResolverScene scene;
    auto app = scene.desktop.launch("org.example.Editor", "Editor");
    auto window = app.openWindow("Doc", {0, 0, 800, 600});
    auto small = app.openWindow("Tiny", {0, 0, 50, 50});
    const auto resolver = scene.resolver();

    auto info = resolver.currentWindowInfo(window.number());
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->isOnScreen);
    EXPECT_TRUE(resolver.currentWindowInfo(small.number())) << "no size test here";

    window.minimize();
    info = resolver.currentWindowInfo(window.number());
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->isOnScreen);

    window.minimize(false);
    window.setSpaces({2});
    info = resolver.currentWindowInfo(window.number());
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->isOnScreen) << "on another Space";

    window.vanish();
    EXPECT_FALSE(resolver.currentWindowInfo(window.number()));
}

}  // namespace
}  // namespace tenvik
