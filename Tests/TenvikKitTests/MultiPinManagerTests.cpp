// SPDX-License-Identifier: MIT
// MultiPinManagerTests.cpp: every pin as the kit controller sees it, on the simulated desktop:
// toggling over the front window, the summary line, a failed pin kept until the next toggle,
// duplicates, Release All, the front-window filter, this program in front, callbacks that
// release or toggle pins from inside a pin's own change, and many pins at once or in a row.
#include "PinScene.h"

#include <gtest/gtest.h>

namespace tenvik {
namespace {

using Kind = PinState::Kind;
using test::PinScene;

struct ManagerScene : PinScene {
    ManagerScene() {
        manager.onStateChange = [this] { ++managerChanges; };
    }

    // Opens a window of a new application and brings it to the front.
    platform::sim::WindowHandle frontWindow(const std::string& name, const arvelo::Rect& frame) {
        auto app = desktop.launch("org.example." + name, name);
        auto window = app.openWindow(name + " window", frame);
        app.activate();
        desktop.drain();
        return window;
    }

    MultiPinManager manager{pinServices(), std::string(test::kOwnApplicationID)};
    int managerChanges = 0;
};

TEST(MultiPinManager, ToggleStartsAPinAndTogglingAgainReleasesIt) {
    ManagerScene scene;
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "None");
    scene.manager.togglePinCurrentWindow();
    ASSERT_EQ(scene.manager.pins().size(), 1u);
    EXPECT_EQ(scene.manager.pins().front().kind, Kind::starting);
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "Starting pin...");
    EXPECT_TRUE(scene.manager.hasLivePin());
    EXPECT_FALSE(scene.manager.hasActivePin());

    scene.desktop.drain();
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "Editor - Notes");
    EXPECT_EQ(scene.manager.pinnedWindowIDs(), std::vector<std::uint32_t>{scene.notes->number()});
    EXPECT_TRUE(scene.manager.frontWindowIsPinned());
    EXPECT_TRUE(scene.manager.hasActivePin());

    scene.manager.togglePinCurrentWindow();
    EXPECT_TRUE(scene.manager.pins().empty());
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "None");
    EXPECT_FALSE(scene.manager.frontWindowIsPinned());
    scene.desktop.drain();
    EXPECT_TRUE(scene.noCaptureRunning());
    const auto lines = scene.logLines("app");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "info: pin toggle front=" + std::to_string(scene.notes->number()) +
                                " pinned=" + std::to_string(scene.notes->number()));
}

TEST(MultiPinManager, AFailedPinStaysVisibleUntilTheNextToggle) {
    ManagerScene scene;
    scene.desktop.setScreenCaptureAccess(false);
    scene.manager.togglePinCurrentWindow();
    ASSERT_EQ(scene.manager.pins().size(), 1u);
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "Pinning needs the X server's Composite extension");
    EXPECT_TRUE(scene.manager.lastPinFailed());
    EXPECT_FALSE(scene.manager.hasLivePin());

    scene.desktop.setScreenCaptureAccess(true);
    scene.manager.togglePinCurrentWindow();
    ASSERT_EQ(scene.manager.pins().size(), 1u);
    EXPECT_EQ(scene.manager.pins().front().kind, Kind::starting);
    EXPECT_FALSE(scene.manager.lastPinFailed());
}

TEST(MultiPinManager, SummaryCountsLivePinsOnly) {
    ManagerScene scene;
    scene.manager.togglePinCurrentWindow();
    scene.desktop.drain();
    scene.frontWindow("Viewer", {900, 100, 600, 400});
    scene.manager.togglePinCurrentWindow();
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "2 windows");  // one active, one starting
    scene.desktop.drain();
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "2 windows");
    EXPECT_EQ(scene.manager.pinnedWindowIDs().size(), 2u);

    // A failed last pin beside one live pin is not counted.
    scene.desktop.liveCapture().lastBackend()->end({"Capture", 1, "Gone."});
    scene.desktop.drain();
    ASSERT_EQ(scene.manager.pins().size(), 2u);
    EXPECT_TRUE(scene.manager.lastPinFailed());
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "Editor - Notes");
}

TEST(MultiPinManager, ANewPinOfAnAlreadyPinnedWindowGivesWay) {
    ManagerScene scene;
    // Toggled twice before either pin is up: both pins resolve to the same window.
    scene.manager.togglePinCurrentWindow();
    scene.manager.togglePinCurrentWindow();
    ASSERT_EQ(scene.manager.pins().size(), 2u);
    const auto older = scene.manager.pinManagers().front();
    scene.managerChanges = 0;
    scene.desktop.drain();
    ASSERT_EQ(scene.manager.pinManagers().size(), 1u);
    EXPECT_EQ(scene.manager.pinManagers().front(), older);
    EXPECT_TRUE(older->isActive());
    EXPECT_EQ(scene.manager.pinnedWindowIDs(), std::vector<std::uint32_t>{scene.notes->number()});
    EXPECT_GT(scene.managerChanges, 1);
    EXPECT_EQ(scene.desktop.liveCapture().backends().size(), 2u);
    EXPECT_FALSE(scene.desktop.liveCapture().backends().back()->capturing());
}

TEST(MultiPinManager, FrontWindowFilter) {
    struct Case {
        const char* name;
        arvelo::Rect frame;
        std::int32_t layer;
        bool counts;
    };
    const Case cases[] = {
        {"121 × 101", {0, 0, 121, 101}, 0, true},
        {"200 × 100", {0, 0, 200, 100}, 0, false},
        {"120 × 400", {0, 0, 120, 400}, 0, false},
        {"another layer", {0, 0, 600, 400}, 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ManagerScene scene;
        scene.manager.togglePinCurrentWindow();
        scene.desktop.drain();
        scene.editor->openWindow({.title = "In front", .frame = c.frame, .layer = c.layer});
        scene.desktop.drain();
        // Behind a window that does not count, the pinned window is the front window.
        EXPECT_EQ(scene.manager.frontWindowIsPinned(), !c.counts);
    }
}

TEST(MultiPinManager, ReleaseAllReleasesEveryPin) {
    ManagerScene scene;
    scene.manager.togglePinCurrentWindow();
    scene.frontWindow("Viewer", {900, 100, 600, 400});
    scene.manager.togglePinCurrentWindow();
    scene.frontWindow("Terminal", {100, 700, 600, 300});
    scene.manager.togglePinCurrentWindow();
    scene.desktop.drain();
    ASSERT_EQ(scene.manager.pinnedWindowIDs().size(), 3u);
    std::vector<Kind> seen;
    for (const auto& pin : scene.manager.pinManagers())
        pin->onStateChange = [&seen, owner = pin->onStateChange, weak = std::weak_ptr<WindowPinManager>(pin)] {
            if (auto p = weak.lock()) seen.push_back(p->pinState().kind);
            owner();
        };
    std::vector<std::size_t> pinsSeenByOwner;
    scene.manager.onStateChange = [&] { pinsSeenByOwner.push_back(scene.manager.pins().size()); };
    scene.manager.unpin();
    EXPECT_EQ(seen, (std::vector<Kind>{Kind::idle, Kind::idle, Kind::idle}));
    EXPECT_TRUE(scene.manager.pins().empty());
    // Each release tells the owner, and the whole release once more at its end.
    EXPECT_EQ(pinsSeenByOwner, (std::vector<std::size_t>{2, 1, 0, 0}));
    scene.desktop.drain();
    EXPECT_TRUE(scene.noCaptureRunning());
    EXPECT_TRUE(scene.desktop.panels().open().empty());
}

TEST(MultiPinManager, ThisProgramInFrontPinsTheApplicationSeenBeforeAnyPinExisted) {
    ManagerScene scene;
    // The editor came forward before any pin was made; then this program.
    scene.self->activate();
    scene.desktop.drain();
    scene.manager.togglePinCurrentWindow();
    scene.desktop.drain();
    ASSERT_TRUE(scene.manager.hasActivePin());
    EXPECT_EQ(scene.manager.pinnedWindowIDs(), std::vector<std::uint32_t>{scene.notes->number()});
}

TEST(MultiPinManager, CallbacksMayReleaseOrTogglePinsFromInsideAPinsChange) {
    struct Case {
        const char* name;
        std::function<void(MultiPinManager&)> onChange;
    };
    const Case cases[] = {
        {"Release All when a pin changes", [](MultiPinManager& m) { m.unpin(); }},
        {"toggle when a pin changes",
         [](MultiPinManager& m) {
             if (m.hasActivePin()) m.togglePinCurrentWindow();
         }},
        {"toggle twice when a pin changes",
         [](MultiPinManager& m) {
             if (!m.hasActivePin()) return;
             m.togglePinCurrentWindow();
             m.togglePinCurrentWindow();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ManagerScene scene;
        // Each case acts on a few changes, then lets the pins be.
        int budget = 3;
        scene.manager.onStateChange = [&] {
            if (budget-- > 0) c.onChange(scene.manager);
        };
        scene.manager.togglePinCurrentWindow();
        scene.desktop.advance(2.0);
        scene.manager.onStateChange = nullptr;
        scene.manager.unpin();
        scene.desktop.drain();
        EXPECT_TRUE(scene.manager.pins().empty());
        EXPECT_TRUE(scene.noCaptureRunning());
    }
}

TEST(MultiPinManager, TwentyPinsAtOnce) {
    ManagerScene scene;
    std::vector<std::uint32_t> windows;
    for (int i = 0; i < 20; ++i) {
        const double x = 40.0 * i, y = 20.0 * i;
        windows.push_back(scene.frontWindow("App" + std::to_string(i), {x, y, 400, 300}).number());
        scene.manager.togglePinCurrentWindow();
    }
    scene.desktop.advance(1.0);
    EXPECT_EQ(scene.manager.pinnedWindowIDs(), windows);
    EXPECT_EQ(scene.manager.pinnedWindowDescription(), "20 windows");
    scene.manager.unpin();
    scene.desktop.drain();
    EXPECT_TRUE(scene.manager.pins().empty());
    EXPECT_TRUE(scene.noCaptureRunning());
    EXPECT_TRUE(scene.desktop.panels().open().empty());
}

TEST(MultiPinManager, PinAndUnpinAHundredTimes) {
    ManagerScene scene;
    for (int i = 0; i < 100; ++i) {
        scene.manager.togglePinCurrentWindow();
        // Every few rounds the toggle comes before the pin is up.
        if (i % 3 != 0) scene.desktop.drain();
        scene.manager.togglePinCurrentWindow();
        if (i % 3 == 0) scene.manager.unpin();
    }
    scene.manager.unpin();
    scene.desktop.advance(2.0);
    EXPECT_TRUE(scene.manager.pins().empty());
    EXPECT_TRUE(scene.noCaptureRunning());
    EXPECT_TRUE(scene.desktop.panels().open().empty());
}

TEST(MultiPinManager, StopTellsNoOne) {
    ManagerScene scene;
    scene.manager.togglePinCurrentWindow();
    scene.desktop.drain();
    scene.managerChanges = 0;
    scene.manager.stop();
    EXPECT_TRUE(scene.manager.pins().empty());
    EXPECT_EQ(scene.managerChanges, 0);
    scene.desktop.drain();
    EXPECT_TRUE(scene.noCaptureRunning());
    // It can be used again.
    scene.manager.togglePinCurrentWindow();
    scene.desktop.drain();
    EXPECT_TRUE(scene.manager.hasActivePin());
}

TEST(MultiPinManager, InteractionChangesReachTheOwner) {
    ManagerScene scene;
    std::vector<std::optional<std::int32_t>> told;
    scene.manager.onInteractionChange = [&](std::optional<std::int32_t> pid) { told.push_back(pid); };
    scene.manager.togglePinCurrentWindow();
    scene.desktop.drain();
    auto pin = scene.manager.pinManagers().front();
    ASSERT_TRUE(pin->panelController().onInteractionRequest);
    EXPECT_TRUE(pin->panelController().onInteractionRequest());
    EXPECT_EQ(told, (std::vector<std::optional<std::int32_t>>{scene.editor->pid()}));
    pin->panelController().onInteractionEnded();
    EXPECT_EQ(told.back(), std::nullopt);

    // A window that cannot be raised takes the allowance back at once.
    told.clear();
    scene.desktop.setTrusted(false);
    EXPECT_FALSE(pin->panelController().onInteractionRequest());
    EXPECT_EQ(told, (std::vector<std::optional<std::int32_t>>{scene.editor->pid(), std::nullopt}));
}

}  // namespace
}  // namespace tenvik
