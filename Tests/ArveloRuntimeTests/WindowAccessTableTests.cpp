// SPDX-License-Identifier: MIT
// WindowAccessTableTests.cpp: the window table: which applications are scanned, how a scan
// is merged (records kept, refreshed, dropped, sorted), a record's identity, and the scanner
// diagnostics file of fixture mode.
#include "WindowAccessScene.h"

#include "Platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace arvelo::testing {
namespace {

using platform::ActivationPolicy;
using platform::sim::App;

std::vector<std::string> bundles(const std::vector<ScanApplication>& applications) {
    std::vector<std::string> out;
    for (const auto& application : applications) out.push_back(application.bundle);
    return out;
}

TEST(WindowAccessTable, ScansOrdinaryApplicationsOtherThanItselfAndTheExcluded) {
    AccessScene scene;
    auto& desktop = scene.desktop;
    desktop.launch("org.example.Editor", "Editor");
    desktop.launch(std::string(kZendraApplicationID), "ZendraWM");
    App accessory;
    accessory.applicationID = "org.example.Tray";
    accessory.activationPolicy = ActivationPolicy::accessory;
    desktop.launch(accessory);
    desktop.launch("org.example.Excluded", "Excluded");
    const auto anonymous = desktop.launch(App{});  // no identifier and no name
    desktop.launch(std::string(kFixtureApplicationID), "ArveloFixture");

    scene.access->excluded = {"org.example.Excluded", "pid." + std::to_string(anonymous.pid())};
    const auto applications = scene.access->applications();
    // An application without an identifier compares as "", not as its "pid." identity.
    EXPECT_EQ(bundles(applications), (std::vector<std::string>{"org.example.Editor", ""}));
    EXPECT_EQ(applications[1].name, "Window");
    EXPECT_EQ(applications[1].pid, anonymous.pid());

    scene.access->includeFixture = true;
    EXPECT_EQ(bundles(scene.access->applications()), std::vector<std::string>{std::string(kFixtureApplicationID)});
}

TEST(WindowAccessTable, MergeKeepsRecordsAndRefreshesWhatTheScanSaw) {
    AccessScene scene;
    auto window = scene.openScanned({100, 100, 800, 600}, "Draft");
    const auto record = scene.recordOf(window);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->minimumProbeAt, scene.desktop.clock().now());
    record->minimum = {500, 400};
    record->originalFrame = Rect(1, 2, 3, 4);

    window.setTitle("Final").moveTo({50, 60, 700, 500}).minimize();
    scene.desktop.advance(1);
    scene.scan();
    ASSERT_EQ(scene.recordOf(window), record);
    EXPECT_EQ(record->title, "Final");
    EXPECT_EQ(record->frame, Rect(50, 60, 700, 500));
    EXPECT_EQ(record->minimized, true);
    EXPECT_EQ(record->minimum, Size(500, 400));
    EXPECT_EQ(record->originalFrame, Rect(1, 2, 3, 4));
    EXPECT_FALSE(record->onScreen);  // minimized: off the on-screen list
}

TEST(WindowAccessTable, MergeDropsWhatWasNotSeenUnlessItsProcessFailed) {
    AccessScene scene;
    auto editor = scene.desktop.launch("org.example.Editor", "Editor");
    auto kept = editor.openWindow("Kept", {0, 0, 800, 600});
    auto closed = editor.openWindow("Closed", {100, 0, 800, 600});
    auto viewer = scene.desktop.launch("org.example.Viewer", "Viewer");
    auto shown = viewer.openWindow("Shown", {0, 100, 800, 600});
    scene.scan();
    ASSERT_EQ(scene.access->records.size(), 3u);

    // The editor stops answering: its records stay, even that of a window closed meanwhile.
    closed.vanish();
    editor.respondsAfter(0.5);
    shown.setTitle("Shown again");
    scene.scan();
    EXPECT_TRUE(scene.recordOf(kept) && scene.recordOf(closed) && scene.recordOf(shown));

    editor.respondsAfter(0);
    scene.scan();
    EXPECT_TRUE(scene.recordOf(kept));
    EXPECT_FALSE(scene.recordOf(closed));

    // A snapshot with nothing in it empties the table.
    scene.access->merge({});
    EXPECT_TRUE(scene.access->records.empty());
}

TEST(WindowAccessTable, MergeSkipsWindowsOfApplicationsThatQuitSinceTheScan) {
    AccessScene scene;
    auto app = scene.desktop.launch("org.example.Editor", "Editor");
    app.openWindow("Window", {0, 0, 800, 600});
    const ScanSnapshot snapshot = scene.capture();
    app.quit();
    EXPECT_TRUE(scene.access->merge(snapshot).empty());
    EXPECT_TRUE(scene.access->records.empty());
}

TEST(WindowAccessTable, MergeSortsByApplicationNameThenTitleThenKey) {
    AccessScene scene;
    auto zeta = scene.desktop.launch("org.example.Zeta", "Zeta");
    auto alpha = scene.desktop.launch("org.example.Alpha", "Alpha");
    auto anonymous = scene.desktop.launch(App{});
    zeta.openWindow("A", {0, 0, 800, 600});
    alpha.openWindow("Same", {0, 0, 800, 600});
    alpha.openWindow("Same", {10, 10, 800, 600});
    alpha.openWindow("Other", {20, 20, 800, 600});
    anonymous.openWindow("Untitled", {30, 30, 800, 600});

    std::vector<std::string> order;
    std::vector<std::string> sameKeys;
    for (const auto& record : scene.scan()) {
        order.push_back(record->app.localizedName.value_or(record->applicationID()) + "/" + record->title);
        if (record->title == "Same") sameKeys.push_back(record->id);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha/Other", "Alpha/Same", "Alpha/Same", "Zeta/A",
                                               "pid." + std::to_string(anonymous.pid()) + "/Untitled"}));
    ASSERT_EQ(sameKeys.size(), 2u);
    EXPECT_LT(sameKeys[0], sameKeys[1]);
}

TEST(WindowAccessTable, OnScreenFollowsTheWindowNumberOnTheList) {
    AccessScene scene;
    auto window = scene.openScanned({0, 0, 800, 600});
    const auto record = scene.recordOf(window);
    EXPECT_TRUE(record->onScreen);
    ScanSnapshot snapshot = scene.capture();
    snapshot.onScreenIDs.clear();
    scene.access->merge(snapshot);
    EXPECT_FALSE(record->onScreen);

    // A window without a number is never on screen.
    scene.access->merge(
        {{{"nameless", window.pid(), window.element(), "Window", {0, 0, 800, 600}, 0, false}}, {}, {}, {0}});
    EXPECT_FALSE(scene.access->records.at("nameless")->onScreen);
}

TEST(WindowAccessTable, IdentityAndIcon) {
    AccessScene scene;
    App anonymous;
    anonymous.pid = 812;
    scene.desktop.launch(anonymous).openWindow("Window", {0, 0, 800, 600});
    App named;
    named.applicationID = "org.example.Paint";
    named.name = "Paint";
    named.iconName = "paint";
    scene.desktop.launch(named).openWindow("Canvas", {0, 0, 800, 600});
    const auto records = scene.scan();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->applicationID(), "org.example.Paint");
    EXPECT_EQ(records[0]->icon(), (WindowIcon{"paint", false, ""}));
    EXPECT_EQ(records[1]->applicationID(), "pid.812");
    EXPECT_EQ(records[1]->icon(), (WindowIcon{"macwindow", true, "pid.812"}));
}

TEST(WindowAccessTable, FixtureModeWritesScannerDiagnostics) {
    AccessScene scene;
    scene.desktop.launch(std::string(kFixtureApplicationID), "ArveloFixture")
        .openWindow("ArveloFixture 1", {0, 0, 800, 600});
    const auto support = *scene.services.folders.applicationSupport;
    const auto file = support / "Arvelo" / "scanner-diagnostics.json";

    // The folder is not made here: without it nothing is written.
    scene.access->includeFixture = true;
    scene.scan();
    EXPECT_FALSE(std::filesystem::exists(file));

    std::filesystem::create_directories(file.parent_path());
    scene.access->includeFixture = false;
    scene.scan();
    EXPECT_FALSE(std::filesystem::exists(file));

    scene.access->includeFixture = true;
    scene.scan();
    const auto text = platform::readFile(file);
    ASSERT_TRUE(text);
    const auto json = nlohmann::json::parse(*text);
    ASSERT_EQ(json.size(), 1u);
    EXPECT_EQ(json[0]["application"], kFixtureApplicationID);
    EXPECT_EQ(json[0]["windowCount"], 1);
    EXPECT_NE(text->find("\n  {\n    \"application\""), std::string::npos) << *text;  // pretty, sorted
}

TEST(WindowAccessTable, ADestroyedWindowIsForgottenAndItsKeyNeverNamesAnotherWindow) {
    AccessScene scene;
    // A client without a process id of its own: the X11 backend gives it a stand-in made from
    // its client's id base, which the X server hands to the next client when this one is gone.
    auto first = scene.desktop.launch(App{.pid = 4200, .applicationID = "XLogo", .name = "xlogo"});
    auto window =
        first.openWindow(platform::sim::WindowSpec{.title = "xlogo", .frame = {52, 71, 400, 300}, .number = 500});
    scene.scan();
    const auto old = scene.recordOf(window);
    ASSERT_TRUE(old);
    const std::string oldKey = old->id;
    old->originalFrame = Rect(52, 71, 400, 300);

    // Forgotten at its destruction, original frame and all; other numbers forget nothing.
    EXPECT_TRUE(scene.access->forgetWindow(777).empty());
    EXPECT_TRUE(scene.access->forgetWindow(0).empty());
    first.quit();
    EXPECT_EQ(scene.access->forgetWindow(500), std::vector<std::string>{oldKey});
    EXPECT_TRUE(scene.access->records.empty());

    // The next client gets the same stand-in id, and its window the same number.
    auto second = scene.desktop.launch(App{.pid = 4200, .applicationID = "XClock", .name = "xclock"});
    auto reused =
        second.openWindow(platform::sim::WindowSpec{.title = "xclock", .frame = {600, 80, 300, 300}, .number = 500});
    scene.scan();
    const auto fresh = scene.recordOf(reused);
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh->id, oldKey) << "a key of its own";
    EXPECT_FALSE(fresh->originalFrame);
    EXPECT_EQ(fresh->applicationID(), "XClock");
    scene.scan();
    EXPECT_EQ(scene.recordOf(reused)->id, fresh->id) << "and it keeps it";

    // Again: a third window under that number gets a third key.
    const std::string secondKey = fresh->id;
    second.quit();
    scene.access->forgetWindow(500);
    auto third = scene.desktop.launch(App{.pid = 4200, .applicationID = "XTerm", .name = "xterm"});
    auto again =
        third.openWindow(platform::sim::WindowSpec{.title = "xterm", .frame = {0, 0, 500, 300}, .number = 500});
    scene.scan();
    ASSERT_TRUE(scene.recordOf(again));
    EXPECT_NE(scene.recordOf(again)->id, oldKey);
    EXPECT_NE(scene.recordOf(again)->id, secondKey);
}

}  // namespace
}  // namespace arvelo::testing
