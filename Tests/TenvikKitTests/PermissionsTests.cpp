// SPDX-License-Identifier: MIT
// PermissionsTests.cpp: permission polling with one timer for both windows, requests, the
// refresh on this program's own activation, and launch at login over the shared autostart
// entry, including a folder that cannot be written.
#include "KitScene.h"
#include "Platform/LoginItem.h"
#include "TenvikKit/Gestures/GestureMonitor.h"
#include "TenvikKit/Permissions/DesktopRequirements.h"
#include "TenvikKit/Permissions/LaunchAtLoginManager.h"
#include "TenvikKit/Permissions/PermissionsManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tenvik {
namespace {

using Owner = PermissionsManager::PollingOwner;

class Permissions : public ::testing::Test {
protected:
    test::KitScene scene;
    PermissionsManager permissions{scene.desktop.services().accessibility, scene.desktop.services().screenCapture,
                                   scene.desktop.services().workspace, scene.desktop.services().dispatch,
                                   std::string("org.vomira.Arvelo")};
};

TEST_F(Permissions, OneTimerServesBothWindowsWhileEitherHoldsIt) {
    scene.desktop.setScreenCaptureAccess(false);
    permissions.startPolling(Owner::settings);
    EXPECT_FALSE(permissions.screenRecordingGranted.get());
    permissions.startPolling(Owner::onboarding);
    permissions.startPolling(Owner::onboarding);
    EXPECT_EQ(scene.desktop.clock().scheduled().size(), 1u);
    scene.desktop.setScreenCaptureAccess(true);
    scene.desktop.advance(1.0);
    EXPECT_TRUE(permissions.screenRecordingGranted.get());
    permissions.stopPolling(Owner::settings);
    EXPECT_TRUE(permissions.isPolling());
    permissions.stopPolling(Owner::onboarding);
    EXPECT_FALSE(permissions.isPolling());
    permissions.stopPolling(Owner::onboarding);  // absent: nothing happens
    EXPECT_TRUE(scene.desktop.clock().scheduled().empty());
}

TEST_F(Permissions, RequestsMarkThePromptAndOpenNothingWhenGranted) {
    permissions.requestScreenRecording();
    EXPECT_TRUE(permissions.didPromptScreenRecording.get());
    EXPECT_EQ(permissions.settingsPanesOpened(), 0);
    scene.desktop.setTrusted(false);
    permissions.requestAccessibility();
    EXPECT_TRUE(permissions.didPromptAccessibility.get());
    EXPECT_FALSE(permissions.accessibilityGranted.get());
    EXPECT_EQ(permissions.settingsPanesOpened(), 1);
}

TEST_F(Permissions, ThisProgramBecomingActiveRereadsThem) {
    scene.desktop.setTrusted(false);
    permissions.refresh();
    scene.desktop.setTrusted(true);
    auto other = scene.desktop.launch("org.example.Other", "Other");
    other.activate();
    scene.desktop.drain();
    EXPECT_FALSE(permissions.accessibilityGranted.get());
    platform::sim::App self;
    self.applicationID = "org.vomira.Arvelo";
    self.name = "Vomira";
    scene.desktop.launch(self).activate();
    scene.desktop.drain();
    EXPECT_TRUE(permissions.accessibilityGranted.get());
}

TEST(LaunchAtLogin, SharesTheAutostartEntryAndRemembersTheRequest) {
    test::KitScene scene;
    const auto folder = scene.desktop.temporaryFolder() / "config" / "autostart";
    LaunchAtLoginManager manager(platform::LoginItem(folder, "/usr/bin/arvelo"), *scene.settings);
    EXPECT_EQ(manager.status(), LaunchAtLoginManager::Status::disabled);
    EXPECT_TRUE(manager.setEnabled(false));  // not registered: nothing to do, nothing logged
    EXPECT_TRUE(scene.logLines("app").empty());

    EXPECT_TRUE(manager.setEnabled(true));
    EXPECT_EQ(manager.status(), LaunchAtLoginManager::Status::enabled);
    EXPECT_TRUE(scene.settings->launchAtLoginRequested());
    // The shell's "Open at Login" reads the same file.
    EXPECT_EQ(platform::LoginItem(folder, "/other").status(), platform::LoginItem::Status::enabled);
    EXPECT_TRUE(manager.setEnabled(true));
    EXPECT_EQ(scene.logLines("app"), std::vector<std::string>{"debug: launch at login updated enabled=true status=1"});

    EXPECT_TRUE(manager.setEnabled(false));
    EXPECT_FALSE(std::filesystem::exists(folder / platform::LoginItem::kFileName));
    EXPECT_FALSE(scene.settings->launchAtLoginRequested());
}

TEST(LaunchAtLogin, AFolderThatCannotBeWrittenFailsClearlyAndChangesNothing) {
    test::KitScene scene;
    const auto config = scene.desktop.temporaryFolder() / "config";
    std::filesystem::create_directories(config);
    { std::ofstream blocker(config / "autostart"); }  // a file where the folder should be
    LaunchAtLoginManager manager(platform::LoginItem(config / "autostart", "/usr/bin/arvelo"), *scene.settings);
    EXPECT_FALSE(manager.setEnabled(true));
    EXPECT_EQ(manager.status(), LaunchAtLoginManager::Status::disabled);
    EXPECT_FALSE(scene.settings->launchAtLoginRequested());
    const auto lines = scene.logLines("app");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("error: launch at login update failed enabled=true error=", 0), 0u) << lines[0];
}

TEST(DesktopRequirements, EachRowTellsItsStateAndOnlyWhatCanBeMissingIsAStep) {
    const struct {
        const char* what;
        bool windowManager, compositing, touchpad;
        const char* touchpadReason;  // none when null
        std::vector<bool> met;
        std::vector<bool> remedy;
    } cases[] = {
        {"everything", true, true, true, nullptr, {true, true, true, true}, {false, false, false, false}},
        {"nothing", false, false, false, GestureMonitor::kNoPermissionReason, {true, false, false, false},
         {false, true, true, true}},
        // A touchpad that cannot tell three fingers: the reason is the state, and nothing can be done.
        {"two-finger touchpad", true, true, false, GestureMonitor::kNoThreeFingersReason, {true, true, true, false},
         {false, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DesktopFacts facts;
        facts.windowManager = c.windowManager;
        facts.compositingManager = c.compositing;
        facts.touchpadReadable = c.touchpad;
        if (c.touchpadReason) facts.touchpadUnavailableReason = c.touchpadReason;
        const auto rows = desktopRequirements(facts);
        ASSERT_EQ(rows.size(), 4u);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].met, c.met[i]) << rows[i].title;
            EXPECT_EQ(!rows[i].remedy.empty(), c.remedy[i]) << rows[i].title;
            EXPECT_FALSE(rows[i].state.empty());
        }
        // The session is always so while the program runs: never a step.
        const auto steps = desktopSteps(facts);
        ASSERT_EQ(steps.size(), 3u);
        EXPECT_EQ(steps[0].kind, DesktopRequirement::Kind::windowManager);
    }
    DesktopFacts twoFingers;
    twoFingers.touchpadUnavailableReason = GestureMonitor::kNoThreeFingersReason;
    EXPECT_EQ(desktopRequirements(twoFingers)[3].state, GestureMonitor::kNoThreeFingersReason);
}

}  // namespace
}  // namespace tenvik
