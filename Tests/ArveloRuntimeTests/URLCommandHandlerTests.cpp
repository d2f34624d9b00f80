// SPDX-License-Identifier: MIT
// URLCommandHandlerTests.cpp: URLs handed to the program run their commands on the coordinator,
// in order; the kit and window-map commands reach their hooks; bad strings do nothing.
#include "CoordinatorScene.h"

#include "Arvelo/Commands/ArrangerHotKeyTable.h"
#include "Arvelo/Commands/URLCommandHandler.h"

using namespace arvelo;
using arvelo::testing::CoordinatorScene;

namespace {

class URLCommands : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Screen", {1440, 900});
        auto app = desktop.launch("org.example.Editor", "Editor");
        for (const char* title : {"alpha", "beta"}) windows.push_back(app.openWindow(title, {100, 100, 500, 350}));
        start();
        coordinator->selectedDisplay = coordinator->displays->front().id;
        handler = std::make_unique<URLCommandHandler>(coordinator, desktop.services());
        handler->togglePin = [&] { ran.push_back("pin"); };
        handler->releaseAll = [&] { ran.push_back("release-all"); };
        handler->toggleWindowMap = [&] { ran.push_back("map"); };
        coordinator->setDashboardWindowMaker([&] {
            auto window = std::make_shared<HostedWindow>();
            window->present = [&] { ran.push_back("dashboard"); };
            return window;
        });
    }

    std::vector<platform::sim::WindowHandle> windows;
    std::unique_ptr<URLCommandHandler> handler;
    std::vector<std::string> ran;
};

TEST_F(URLCommands, SeveralURLsRunInOrderAndOthersAreSkipped) {
    handler->open({"arvelo://pin", "https://example.org", "arvelo://nowhere", "not a url",
                   "arvelo:", "arvelo://release-all", std::string(5000, 'a'), "ARVELO://PIN"});
    EXPECT_EQ(ran, (std::vector<std::string>{"pin", "dashboard", "dashboard", "release-all", "pin"}));
    EXPECT_TRUE(logMentions("URL skipped: scheme is not"));
    EXPECT_TRUE(logMentions("URL skipped: longer than 2048 characters"));
}

TEST_F(URLCommands, TheWindowMapCommandFollowsItsUserDefault) {
    handler->open({"arvelo://map"});
    desktop.defaults().setBoolean(kWindowMapEnabledDefault, false);
    handler->open({"arvelo://map"});
    EXPECT_TRUE(ran.empty());
    desktop.defaults().setBoolean(kWindowMapEnabledDefault, true);
    handler->open({"arvelo://map", "arvelo://map"});
    EXPECT_EQ(ran, (std::vector<std::string>{"map", "map"}));
}

TEST_F(URLCommands, NavigationCommandsActOnTheCurrentSelection) {
    const std::string display = coordinator->selectedDisplay.get();
    const std::string first = coordinator->states->at(display).root.allWindows().front();
    handler->open({"arvelo://back"});  // nothing to go back to
    EXPECT_TRUE(coordinator->navigation().future().empty());

    coordinator->focus(first);
    ASSERT_TRUE(coordinator->states->at(display).focus);
    handler->open({"arvelo://zoom-out"});
    EXPECT_FALSE(coordinator->states->at(display).focus);
    handler->open({"arvelo://back"});
    EXPECT_TRUE(coordinator->states->at(display).focus);
    handler->open({"arvelo://forward"});
    EXPECT_FALSE(coordinator->states->at(display).focus);

    coordinator->setOverviewWindowMaker([&] {
        auto window = std::make_shared<HostedWindow>();
        window->present = [&] { ran.push_back("overview"); };
        return window;
    });
    coordinator->focus(first);
    handler->open({"arvelo://overview"});
    EXPECT_FALSE(coordinator->states->at(display).focus);
    EXPECT_EQ(ran, std::vector<std::string>{"overview"});
}

TEST_F(URLCommands, RestoreKeepsAutomaticTilingAndArrangeTurnsItOn) {
    const Rect original = windows[0].frame();
    ASSERT_NE(original, Rect(100, 100, 500, 350));
    handler->open({"arvelo://restore"});
    EXPECT_FALSE(coordinator->managing.get());
    EXPECT_TRUE(coordinator->autoTile.get());
    settle();
    desktop.advance(1);
    EXPECT_EQ(windows[0].frame(), Rect(100, 100, 500, 350));

    coordinator->autoTile = false;
    handler->open({"arvelo://arrange"});
    EXPECT_TRUE(coordinator->autoTile.get());
    settle();
    EXPECT_TRUE(coordinator->managing.get());
    EXPECT_EQ(windows[0].frame(), original);
}

}  // namespace
