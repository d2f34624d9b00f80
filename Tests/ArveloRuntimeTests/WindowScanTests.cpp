// SPDX-License-Identifier: MIT
// WindowScanTests.cpp: which windows the scan keeps, which processes it marks as failed, the
// keys it gives, its window-number matching without the private call, and its diagnostics.
#include "WindowAccessScene.h"

#include <gtest/gtest.h>

#include <functional>

namespace arvelo::testing {
namespace {

using platform::AccessError;
using platform::sim::AppHandle;
using platform::sim::WindowSpec;

WindowSpec spec(std::function<void(WindowSpec&)> change) {
    WindowSpec s;
    s.title = "Window";
    s.frame = {100, 100, 800, 600};
    change(s);
    return s;
}

struct CandidateCase {
    const char* scene;
    std::function<void(AppHandle&)> build;
    bool scanned;
    bool failed;
};

TEST(WindowScan, KeepsOrDropsEachKindOfWindow) {
    const std::vector<CandidateCase> cases{
        {"an ordinary window", [](AppHandle& app) { app.openWindow(spec([](auto&) {})); }, true, false},
        {"a dialog", [](AppHandle& app) { app.openWindow(spec([](auto& s) { s.subrole = "AXDialog"; })); }, false,
         false},
        {"a minimized dialog",
         [](AppHandle& app) {
             app.openWindow(spec([](auto& s) {
                 s.subrole = "AXDialog";
                 s.minimized = true;
             }));
         },
         true, false},
        {"a window without a subrole", [](AppHandle& app) { app.openWindow(spec([](auto& s) { s.subrole.reset(); })); },
         false, false},
        {"a minimized window, off the on-screen list",
         [](AppHandle& app) { app.openWindow(spec([](auto& s) { s.minimized = true; })); }, true, false},
        {"a full-screen window", [](AppHandle& app) { app.openWindow(spec([](auto& s) { s.fullScreen = true; })); },
         false, false},
        {"a window 79 points wide",
         [](AppHandle& app) { app.openWindow(spec([](auto& s) {
                                  s.frame = {0, 0, 79, 600};
                              })); }, false, false},
        {"a window 59 points high",
         [](AppHandle& app) { app.openWindow(spec([](auto& s) {
                                  s.frame = {0, 0, 800, 59};
                              })); }, false, false},
        {"a window of 80 × 60 points",
         [](AppHandle& app) { app.openWindow(spec([](auto& s) {
                                  s.frame = {0, 0, 80, 60};
                              })); }, true, false},
        {"a window that cannot be moved",
         [](AppHandle& app) { app.openWindow(spec([](auto& s) { s.positionSettable = false; })); }, false, false},
        {"a window that cannot be resized",
         [](AppHandle& app) { app.openWindow(spec([](auto& s) { s.sizeSettable = false; })); }, false, false},
        {"a window on a Space not shown",
         [](AppHandle& app) { app.openWindow(spec([](auto& s) { s.spaces = std::set<platform::SpaceID>{2}; })); },
         false, false},
        {"an unreadable window list and no window",
         [](AppHandle& app) { app.failsWindowsRead(AccessError::cannotComplete); }, false, true},
        {"an unreadable window list and a focused window",
         [](AppHandle& app) {
             app.failsWindowsRead(AccessError::failure);
             app.openWindow(spec([](auto&) {}));
         },
         true, false},
        {"an empty window list and no window", [](AppHandle& app) { app.answersEmptyWindowList(); }, false, false},
        {"an empty window list hiding a window",
         [](AppHandle& app) {
             app.answersEmptyWindowList();
             app.openWindow(spec([](auto&) {}));
         },
         true, false},
        {"an application too slow to answer",
         [](AppHandle& app) {
             app.respondsAfter(0.5);
             app.openWindow(spec([](auto&) {}));
         },
         false, true},
    };
    for (const CandidateCase& c : cases) {
        SCOPED_TRACE(c.scene);
        AccessScene scene;
        AppHandle app = scene.desktop.launch("org.example.App", "App");
        c.build(app);
        const ScanSnapshot snapshot = scene.capture();
        EXPECT_EQ(snapshot.windows.size(), c.scanned ? 1u : 0u);
        EXPECT_EQ(snapshot.failedPIDs.contains(app.pid()), c.failed);
    }
}

struct KnownWindowCase {
    const char* change;
    std::function<void(AppHandle&, platform::sim::WindowHandle&)> apply;
    bool keptInTable;
    bool failed;
};

// A window the table already knows skips the subrole, settable, on-screen and full-screen
// filters, but a known window that turns unreadable marks its process failed so the table keeps
// its records.
TEST(WindowScan, KnownWindowsKeepTheirRecordsOrMarkTheirProcess) {
    const std::vector<KnownWindowCase> cases{
        {"becomes a dialog", [](auto&, auto& w) { w.state().subrole = "AXDialog"; }, true, false},
        {"moves to a Space not shown", [](auto&, auto& w) { w.setSpaces({2}); }, true, false},
        {"becomes unmovable", [](auto&, auto& w) { w.settable(false, false); }, true, false},
        {"shrinks to 79 points wide",
         [](auto&, auto& w) {
             w.moveTo({0, 0, 79, 600});
         },
         true, true},
        {"stops answering", [](auto& app, auto&) { app.respondsAfter(0.5); }, true, true},
        // The layout waits for an arranged window while it is full screen.
        {"goes full screen", [](auto&, auto& w) { w.setFullScreen(); }, true, false},
        {"closes", [](auto&, auto& w) { w.vanish(); }, false, false},
    };
    for (const KnownWindowCase& c : cases) {
        SCOPED_TRACE(c.change);
        AccessScene scene;
        AppHandle app = scene.desktop.launch("org.example.App", "App");
        auto window = app.openWindow("Window", {100, 100, 800, 600});
        scene.scan();
        const auto record = scene.recordOf(window);
        ASSERT_TRUE(record);

        c.apply(app, window);
        const ScanSnapshot snapshot = scene.capture();
        EXPECT_EQ(snapshot.failedPIDs.contains(app.pid()), c.failed);
        scene.access->merge(snapshot);
        EXPECT_EQ(scene.access->records.contains(record->id), c.keptInTable);
    }
}

TEST(WindowScan, KeysStayTheSameAcrossScansAndTitleChanges) {
    AccessScene scene;
    auto app = scene.desktop.launch("org.example.App", "App");
    auto first = app.openWindow("One", {0, 0, 800, 600});
    app.openWindow("Two", {100, 100, 800, 600});
    const ScanSnapshot before = scene.capture();
    ASSERT_EQ(before.windows.size(), 2u);
    EXPECT_EQ(before.windows.back().id, std::to_string(app.pid()) + ":" + std::to_string(first.number()) + ":" +
                                            std::to_string(first.element().hash()));
    scene.access->merge(before);

    first.setTitle("One, renamed");
    const ScanSnapshot after = scene.capture();
    ASSERT_EQ(after.windows.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(after.windows[i].id, before.windows[i].id);
}

// Without the private call a window takes the number of the closest window-list entry of its
// process, however far; it counts as on screen only when that entry is within 80 points.
TEST(WindowScan, WithoutTheWindowNumberCallTheNearestWindowOfTheProcessLendsItsNumber) {
    struct Case {
        const char* scene;
        Rect frame;
        bool minimized;
        bool scanned;
    };
    const std::vector<Case> cases{
        {"off the list, 79 points away", {40, 39, 800, 600}, false, true},
        {"off the list, 80 points away", {40, 40, 800, 600}, false, false},
        {"minimized, far away", {600, 300, 500, 400}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scene);
        AccessScene scene;
        scene.desktop.setWindowNumberCallAvailable(false);
        auto app = scene.desktop.launch("org.example.App", "App");
        auto shown = app.openWindow("Shown", {0, 0, 800, 600});
        WindowSpec other;
        other.title = "Other";
        other.frame = c.frame;
        other.minimized = c.minimized;
        auto hidden = app.openWindow(other);
        hidden.state().hiddenFromScreen = true;

        const ScanSnapshot snapshot = scene.capture();
        ASSERT_EQ(snapshot.windows.size(), c.scanned ? 2u : 1u);
        for (const ScannedWindow& window : snapshot.windows) EXPECT_EQ(window.windowNumber, shown.number()) << window.title;
    }
}

TEST(WindowScan, WindowsAreMatchedToTheWindowListByFrame) {
    AccessScene scene;
    scene.desktop.setWindowNumberCallAvailable(false);
    auto app = scene.desktop.launch("org.example.App", "App");
    auto back = app.openWindow("Back", {0, 0, 800, 600});
    auto front = app.openWindow("Front", {40, 30, 800, 600});
    const ScanSnapshot snapshot = scene.capture();
    ASSERT_EQ(snapshot.windows.size(), 2u);
    EXPECT_EQ(snapshot.windows[0].windowNumber, front.number());
    EXPECT_EQ(snapshot.windows[1].windowNumber, back.number());
    // A second scan recognises the known windows by element and keeps their keys.
    scene.access->merge(snapshot);
    const ScanSnapshot again = scene.capture();
    ASSERT_EQ(again.windows.size(), 2u);
    EXPECT_EQ(again.windows[0].id, snapshot.windows[0].id);
}

TEST(WindowScan, AKnownWindowFoundByItsNumberUnderANewElementKeepsItsKey) {
    AccessScene scene;
    auto app = scene.desktop.launch("org.example.App", "App");
    auto window = app.openWindow("Window", {100, 100, 800, 600});
    // The table knows the window under an element that no longer answers.
    const platform::AccessElement stale = platform::AccessElement::windowOf(app.pid(), 0xdead);
    scene.access->merge(
        {{{"known", app.pid(), stale, "Window", {100, 100, 800, 600}, window.number(), false}}, {}, {}, {}});

    const ScanSnapshot snapshot = scene.capture();
    ASSERT_EQ(snapshot.windows.size(), 1u);
    EXPECT_EQ(snapshot.windows[0].id, "known");
    EXPECT_EQ(snapshot.windows[0].element, window.element());
    EXPECT_TRUE(snapshot.failedPIDs.empty());

    // The record takes the element that answers, so writes reach the window again.
    scene.access->merge(snapshot);
    const auto record = scene.access->records.at("known");
    EXPECT_EQ(record->element, window.element());
    EXPECT_TRUE(scene.access->place(record, {0, 0, 700, 500}));
    EXPECT_EQ(window.frame(), Rect(0, 0, 700, 500));
}

TEST(WindowScan, OnlyTheFirstOfTwoCandidatesWithOneKeyIsKept) {
    AccessScene scene;
    auto app = scene.desktop.launch("org.example.App", "App");
    auto one = app.openWindow("One", {0, 0, 800, 600});
    auto two = app.openWindow("Two", {100, 100, 800, 600});
    const std::vector<RetainedWindow> retained{{"same", app.pid(), one.element(), one.number()},
                                               {"same", app.pid(), two.element(), two.number()}};
    const ScanSnapshot snapshot = WindowScan::capture(*scene.services.accessibility, *scene.services.windowList,
                                                      {{app.pid(), "org.example.App", "App"}}, retained, false);
    ASSERT_EQ(snapshot.windows.size(), 1u);
    EXPECT_EQ(snapshot.windows[0].title, "Two");  // the front window is the first candidate
}

TEST(WindowScan, WithoutApplicationsOnlyTheOnScreenNumbersAreCollected) {
    AccessScene scene;
    auto window = scene.desktop.launch("org.example.App", "App").openWindow("Window", {0, 0, 800, 600});
    const ScanSnapshot snapshot =
        WindowScan::capture(*scene.services.accessibility, *scene.services.windowList, {}, {}, true);
    EXPECT_TRUE(snapshot.windows.empty());
    EXPECT_TRUE(snapshot.failedPIDs.empty());
    EXPECT_TRUE(snapshot.diagnostics.empty());
    EXPECT_EQ(snapshot.onScreenIDs, std::set<std::uint32_t>{window.number()});
}

TEST(WindowScan, AnEmptyTitleIsReplacedByTheApplicationName) {
    AccessScene scene;
    scene.desktop.launch("org.example.App", "App").openWindow("", {0, 0, 800, 600});
    const ScanSnapshot snapshot = scene.capture();
    ASSERT_EQ(snapshot.windows.size(), 1u);
    EXPECT_EQ(snapshot.windows[0].title, "App");
}

TEST(WindowScan, DiagnosticsDescribeEachApplication) {
    AccessScene scene;
    auto fine = scene.desktop.launch("org.example.Fine", "Fine");
    fine.openWindow("One", {0, 0, 800, 600});
    fine.openWindow("Two", {0, 0, 800, 600}).minimize();
    auto broken = scene.desktop.launch("", "Broken");
    broken.failsWindowsRead(AccessError::cannotComplete);
    broken.openWindow("Found anyway", {100, 100, 800, 600});

    const ScanSnapshot snapshot =
        WindowScan::capture(*scene.services.accessibility, *scene.services.windowList,
                            {{fine.pid(), "org.example.Fine", "Fine"}, {broken.pid(), "", "Broken"}}, {}, true);
    ASSERT_EQ(snapshot.diagnostics.size(), 2u);
    EXPECT_EQ(snapshot.diagnostics[0], nlohmann::json({{"application", "org.example.Fine"},
                                                       {"pid", fine.pid()},
                                                       {"windowReadError", 0},
                                                       {"windowCount", 2},
                                                       {"recoveredWindowCount", 2}}));
    // Children, focused and main window, and the window under its centre: one distinct window.
    EXPECT_EQ(snapshot.diagnostics[1], nlohmann::json({{"application", ""},
                                                       {"pid", broken.pid()},
                                                       {"windowReadError", -25204},
                                                       {"windowCount", -1},
                                                       {"recoveredWindowCount", 1}}));
}

TEST(WindowScan, FrameReadersAndScore) {
    AccessScene scene;
    auto app = scene.desktop.launch("org.example.App", "App");
    auto window = app.openWindow("Window", {10, 20, 800, 600});
    platform::Accessibility& ax = *scene.services.accessibility;
    EXPECT_EQ(WindowScan::rect(ax, window.element()), Rect(10, 20, 800, 600));
    EXPECT_EQ(WindowScan::rect(ax, app.element()), std::nullopt);
    window.minimize();
    EXPECT_TRUE(WindowScan::boolValue(ax, window.element(), "AXMinimized"));
    EXPECT_FALSE(WindowScan::boolValue(ax, window.element(), "AXTitle"));
    window.vanish();
    EXPECT_FALSE(WindowScan::boolValue(ax, window.element(), "AXMinimized"));
    EXPECT_EQ(WindowScan::rect(ax, window.element()), std::nullopt);

    platform::WindowInfo entry;
    entry.bounds = Rect(10, 20, 300, 200);
    EXPECT_EQ(WindowScan::score(entry, {15, 10, 310, 200}), 25);
    entry.bounds.reset();
    EXPECT_EQ(WindowScan::score(entry, {15, 10, 310, 200}), 1.7976931348623157e308);
}

TEST(WindowScan, AncestorWindowClimbsFromAnyElement) {
    AccessScene scene;
    auto app = scene.desktop.launch("org.example.App", "App");
    auto window = app.openWindow("Window", {0, 0, 800, 600});
    platform::Accessibility& ax = *scene.services.accessibility;
    const auto button = platform::AccessElement::closeButtonOf(app.pid(), window.number());
    EXPECT_EQ(WindowScan::ancestorWindow(ax, button), window.element());
    EXPECT_EQ(WindowScan::ancestorWindow(ax, window.element()), window.element());
    // The application element has no parent.
    EXPECT_EQ(WindowScan::ancestorWindow(ax, app.element()), std::nullopt);
}

}  // namespace
}  // namespace arvelo::testing
