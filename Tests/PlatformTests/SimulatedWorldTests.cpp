// SPDX-License-Identifier: MIT
// SimulatedWorldTests.cpp: what the simulated desktop's window server, screens, Spaces,
// workspace and Accessibility tree answer, as the scan and the coordinator read them.
#include "Platform/Sim/Desktop.h"

#include <gtest/gtest.h>

using namespace platform;
using arvelo::Point;
using arvelo::Rect;
using arvelo::Size;

namespace {

constexpr double kTimeout = 0.25;

class SimulatedWorld : public ::testing::Test {
protected:
    SimulatedWorld() {
        desk.addDisplay("Left", {1000, 800});
        desk.addDisplay("Right", {1200, 1000});
    }
    Accessibility& ax() { return *services.accessibility; }
    std::vector<std::uint32_t> onScreenNumbers() {
        std::vector<std::uint32_t> numbers;
        for (const auto& info : services.windowList->windows({})) numbers.push_back(info.number);
        return numbers;
    }

    sim::Desktop desk;
    Services services = desk.services();
};

TEST_F(SimulatedWorld, ScreensAreInTheBottomLeftSpaceWithThePrimaryFirst) {
    desk.world().displays()[0].visibleFrame = {0, 30, 1000, 770};
    const auto screens = services.screens->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].number, 1u);
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 1000, 800));
    EXPECT_EQ(screens[0].visibleFrame, Rect(0, 0, 1000, 770));
    // The taller right display reaches 200 points below the primary's bottom edge.
    EXPECT_EQ(screens[1].frame, Rect(1000, -200, 1200, 1000));
    EXPECT_EQ(screens[1].name, "Right");

    desk.movePointer({10, 20});
    EXPECT_EQ(services.pointer->location(), Point(10, 780));
}

TEST_F(SimulatedWorld, WindowListIsFrontToBackAndLeavesOutWhatIsNotOnScreen) {
    auto app = desk.launch("org.example.Editor", "Editor");
    auto a = app.openWindow("A", {0, 0, 400, 300});
    auto b = app.openWindow("B", {100, 100, 400, 300});
    auto minimized = app.openWindow("C", {0, 0, 400, 300});
    minimized.minimize();
    auto elsewhere = app.openWindow("D", {1100, 0, 400, 300});
    elsewhere.setSpaces({2});
    a.raise();
    EXPECT_EQ(onScreenNumbers(), (std::vector<std::uint32_t>{a.number(), b.number()}));

    const auto all = services.windowList->windows({.onScreenOnly = false});
    EXPECT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].ownerPid, app.pid());
    EXPECT_EQ(all[0].name, "A");
    EXPECT_EQ(all[0].bounds, Rect(0, 0, 400, 300));

    desk.switchSpace(1, 2);
    EXPECT_EQ(onScreenNumbers(), (std::vector<std::uint32_t>{a.number(), elsewhere.number(), b.number()}));
    app.hide();
    EXPECT_TRUE(onScreenNumbers().empty());
}

TEST_F(SimulatedWorld, SpacesAnswerPerDisplayAndPerWindowAndNothingWhenSwitchedOff) {
    auto app = desk.launch("org.example.Editor", "Editor");
    auto left = app.openWindow("L", {0, 0, 400, 300});
    desk.switchSpace(1, 7);
    auto right = app.openWindow("R", {1100, 0, 400, 300});
    EXPECT_EQ(services.spaces->currentSpace(1), 1u);
    EXPECT_EQ(services.spaces->currentSpace(2), 7u);
    EXPECT_EQ(services.spaces->spacesOfWindow(left.number()), std::set<SpaceID>{1});
    EXPECT_EQ(services.spaces->spacesOfWindow(right.number()), std::set<SpaceID>{7});
    EXPECT_TRUE(services.spaces->spacesOfWindow(0).empty());

    desk.setSpacesAvailable(false);
    EXPECT_EQ(services.spaces->currentSpace(2), 0u);
    EXPECT_TRUE(services.spaces->spacesOfWindow(right.number()).empty());
}

TEST_F(SimulatedWorld, WorkspaceNotificationsArriveOnTheMainQueue) {
    std::vector<std::string> events;
    auto launched = services.workspace->didLaunchApplication.connect(
        [&](const RunningApplication& app) { events.push_back("launch " + app.localizedName.value_or("?")); });
    auto activated = services.workspace->didActivateApplication.connect(
        [&](const RunningApplication& app) { events.push_back("activate " + std::to_string(app.active)); });
    auto quit = services.workspace->didTerminateApplication.connect(
        [&](const RunningApplication& app) { events.push_back("quit " + app.localizedName.value_or("?")); });
    auto space = services.workspace->activeSpaceDidChange.connect([&] { events.push_back("space"); });

    auto app = desk.launch("", "tool");
    services.workspace->activate(app.pid(), ActivationOptions::none);
    desk.switchSpace(0, 3);
    app.quit();
    EXPECT_TRUE(events.empty());
    desk.drain();
    EXPECT_EQ(events, (std::vector<std::string>{"launch tool", "activate 1", "space", "quit tool"}));
    EXPECT_EQ(desk.workspace().requests(), std::vector<std::string>{"activate " + std::to_string(app.pid())});
}

TEST_F(SimulatedWorld, RunningApplicationsIncludeThisProgramAsAnAccessory) {
    auto app = desk.launch("", "tool");
    const auto apps = services.workspace->runningApplications();
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_EQ(apps[0].pid, services.workspace->ownPid());
    EXPECT_EQ(apps[0].applicationID, "org.vomira.Arvelo");
    EXPECT_EQ(apps[0].activationPolicy, ActivationPolicy::accessory);
    EXPECT_EQ(apps[1].applicationID, std::nullopt);
    app.quit();
    EXPECT_FALSE(services.workspace->application(app.pid()));
    // A quit application's element no longer answers.
    EXPECT_EQ(ax().copyAttributeValue(app.element(), ax::kWindows, kTimeout).error, AccessError::cannotComplete);

    // Launched again under the same pid, it is listed again.
    sim::App again;
    again.pid = app.pid();
    again.name = "tool";
    desk.launch(again);
    EXPECT_EQ(services.workspace->runningApplications().size(), 2u);
}

TEST_F(SimulatedWorld, AccessibilityTreeOfAWindowWithASheet) {
    auto app = desk.launch("org.example.Editor", "Editor");
    auto window = app.openWindow("Doc", {0, 0, 600, 400});
    auto sheet = window.openSheet("Save", {100, 0, 400, 200});
    const AccessElement w = window.element();

    EXPECT_EQ(ax().copyAttributeValue(app.element(), ax::kWindows, kTimeout).value, AccessValue(std::vector<AccessElement>{w}));
    const auto children = ax().copyAttributeValue(w, ax::kChildren, kTimeout).value.elements();
    ASSERT_TRUE(children);
    ASSERT_EQ(children->size(), 2u);
    EXPECT_EQ((*children)[0], sheet.element());
    EXPECT_EQ(ax().copyAttributeValue(sheet.element(), ax::kRole, kTimeout).value, AccessValue("AXSheet"));
    EXPECT_EQ(ax().copyAttributeValue(sheet.element(), ax::kParent, kTimeout).value, AccessValue(w));
    EXPECT_EQ(ax().copyAttributeValue(w, ax::kParent, kTimeout).value, AccessValue(app.element()));
    EXPECT_EQ(ax().copyAttributeValue(w, ax::kSubrole, kTimeout).value, AccessValue("AXStandardWindow"));
    EXPECT_EQ(ax().copyAttributeValue(app.element(), ax::kFocusedWindow, kTimeout).value, AccessValue(w));
    EXPECT_EQ(ax().copyAttributeValue(w, "AXNoSuchThing", kTimeout).error, AccessError::attributeUnsupported);

    // The element at a point is the topmost window there: the sheet over its window.
    EXPECT_EQ(ax().elementAtPosition(app.element(), {150, 50}, kTimeout).value, AccessValue(sheet.element()));
    EXPECT_EQ(ax().elementAtPosition(app.element(), {50, 300}, kTimeout).value, AccessValue(w));
    EXPECT_EQ(ax().elementAtPosition(app.element(), {900, 300}, kTimeout).error, AccessError::noValue);

    // Closing through the close button takes the sheet along.
    const auto close = ax().copyAttributeValue(w, ax::kCloseButton, kTimeout).value.element();
    ASSERT_TRUE(close);
    EXPECT_EQ(ax().performAction(*close, ax::kPressAction, kTimeout), AccessError::success);
    EXPECT_FALSE(window.alive());
    EXPECT_FALSE(sheet.alive());
}

TEST_F(SimulatedWorld, ScanFallbacksCanBeScripted) {
    auto app = desk.launch("org.example.Odd", "Odd");
    auto window = app.openWindow("Main", {0, 0, 600, 400});
    app.failsWindowsRead(AccessError::cannotComplete);
    EXPECT_EQ(ax().copyAttributeValue(app.element(), ax::kWindows, kTimeout).error, AccessError::cannotComplete);
    EXPECT_EQ(ax().copyAttributeValue(app.element(), ax::kChildren, kTimeout).value,
              AccessValue(std::vector<AccessElement>{window.element()}));
    app.state().behaviour.windowsReadError.reset();
    app.answersEmptyWindowList();
    EXPECT_EQ(ax().copyAttributeValue(app.element(), ax::kWindows, kTimeout).value, AccessValue(std::vector<AccessElement>{}));
}

TEST_F(SimulatedWorld, SettableQueriesAndTheOptionalWindowNumberCall) {
    auto app = desk.launch("org.example.Fixed", "Fixed");
    auto window = app.openWindow("Fixed", {0, 0, 300, 200}).settable(true, false);
    EXPECT_TRUE(ax().isAttributeSettable(window.element(), ax::kPosition, kTimeout).yes());
    EXPECT_FALSE(ax().isAttributeSettable(window.element(), ax::kSize, kTimeout).yes());
    EXPECT_EQ(ax().setAttributeValue(window.element(), ax::kSize, Size{10, 10}, kTimeout),
              AccessError::attributeUnsupported);

    EXPECT_EQ(ax().windowNumber(window.element()), window.number());
    desk.setWindowNumberCallAvailable(false);
    EXPECT_FALSE(ax().windowNumberCallAvailable());
    EXPECT_EQ(ax().windowNumber(window.element()), 0u);
}

TEST_F(SimulatedWorld, UntrustedProcessGetsApiDisabled) {
    auto app = desk.launch("org.example.Editor", "Editor");
    desk.setTrusted(false);
    EXPECT_FALSE(ax().isProcessTrusted());
    EXPECT_EQ(ax().copyAttributeValue(app.element(), ax::kWindows, kTimeout).error, AccessError::apiDisabled);
    desk.world().grantTrustOnPrompt = true;
    EXPECT_FALSE(ax().isProcessTrustedWithOptions(false));
    EXPECT_TRUE(ax().isProcessTrustedWithOptions(true));
}

TEST_F(SimulatedWorld, ObserverHearsMovesResizesMinimisingAndDestruction) {
    auto app = desk.launch("org.example.Editor", "Editor");
    auto window = app.openWindow("Doc", {0, 0, 600, 400});
    auto created = ax().createObserver(app.pid());
    ASSERT_EQ(created.error, AccessError::success);
    std::vector<std::string> heard;
    created.observer->onNotification = [&](const AccessElement&, const std::string& name) { heard.push_back(name); };
    for (auto name :
         {ax::kMovedNotification, ax::kResizedNotification, ax::kMiniaturizedNotification, ax::kDestroyedNotification})
        EXPECT_EQ(created.observer->addNotification(window.element(), name), AccessError::success);

    ax().setAttributeValue(window.element(), ax::kPosition, Point{5, 5}, kTimeout);
    ax().setAttributeValue(window.element(), ax::kSize, Size{500, 300}, kTimeout);
    window.minimize();
    window.vanish();
    desk.drain();
    EXPECT_EQ(heard,
              (std::vector<std::string>{"AXMoved", "AXResized", "AXWindowMiniaturized", "AXUIElementDestroyed"}));

    created.observer.reset();  // nothing is delivered to an observer that is gone
    desk.drain();
}

}  // namespace
