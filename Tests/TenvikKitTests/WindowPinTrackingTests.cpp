// SPDX-License-Identifier: MIT
// WindowPinTrackingTests.cpp: an active pin following its window on the simulated desktop's
// virtual clock: the refresh interval with and without the window list's news and an
// Accessibility observer, the visibility rule and the frame rate it gives, the capture size,
// hide, unhide, desktop and screen changes, the window or its application going away against
// a window server that does not answer, an application that does not answer, title changes
// and changed settings.
#include "PinScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace tenvik {
namespace {

using test::PinScene;

// A preview view that only reports the pointer for the test.
class PointerSurface final : public PreviewSurface {
public:
    void enqueue(const platform::CapturedImage&) override {}
    void flush() override {}
    void setPictureOpacity(double) override {}
    void setBorderVisible(bool) override {}
};

// The profile last asked of the pin's capture.
platform::PinCaptureProfile lastProfile(PinScene& scene) {
    scene.desktop.drain();
    return scene.capture()->profile();
}

TEST(WindowPinTracking, RefreshIntervalFollowsWhatReportsTheWindowsChanges) {
    struct Case {
        const char* name;
        bool followed;
        bool trusted;
        double interval;
    };
    for (const Case& c : {Case{"window list news", true, true, 5.0}, Case{"window list news, not trusted", true, false, 5.0},
                          Case{"observed", false, true, 1.0}, Case{"not trusted", false, false, 0.35}}) {
        SCOPED_TRACE(c.name);
        PinScene scene;
        scene.desktop.setTrusted(c.trusted);
        scene.followWindows = c.followed;
        auto pin = scene.activePin();
        ASSERT_TRUE(pin->isActive());
        EXPECT_DOUBLE_EQ(pin->refreshInterval(), c.interval);
        EXPECT_EQ(pin->isObserved(), c.trusted);
        EXPECT_EQ(pin->isFollowed(), c.followed);
        // A move nothing reports is seen at the next tick, not before.
        scene.notes->state().frame = {300, 200, 800, 600};
        scene.desktop.advance(c.interval - 0.01);
        EXPECT_EQ(pin->pinnedWindow()->bounds, (arvelo::Rect{100, 100, 800, 600}));
        scene.desktop.advance(0.02);
        EXPECT_EQ(pin->pinnedWindow()->bounds, (arvelo::Rect{300, 200, 800, 600}));
    }
}

TEST(WindowPinTracking, TheWindowListsNewsRefreshesAtOnce) {
    PinScene scene;
    scene.desktop.setTrusted(false);  // no observer: only the window list's news is this quick
    auto pin = scene.activePin();
    ASSERT_TRUE(pin->isFollowed());
    scene.notes->moveTo({400, 300, 640, 480});
    scene.notes->setTitle("Notes (edited)");
    scene.desktop.drain();
    EXPECT_EQ(pin->pinnedWindow()->bounds, (arvelo::Rect{400, 300, 640, 480}));
    EXPECT_EQ(pin->statusText(), "Editor - Notes (edited) (click-through needs a window manager)");
    EXPECT_EQ(lastProfile(scene), (platform::PinCaptureProfile{640, 480, 10}));
}

TEST(WindowPinTracking, AnObservedMoveRefreshesAtOnce) {
    PinScene scene;
    auto pin = scene.activePin();
    ASSERT_TRUE(pin->isObserved());
    scene.notes->moveTo({400, 300, 800, 600});
    scene.desktop.drain();
    EXPECT_EQ(pin->pinnedWindow()->bounds, (arvelo::Rect{400, 300, 800, 600}));
}

TEST(WindowPinTracking, LosingAccessibilityDropsTheObserverAtTheNextRefresh) {
    PinScene scene;
    scene.followWindows = false;
    auto pin = scene.activePin();
    ASSERT_DOUBLE_EQ(pin->refreshInterval(), 1.0);
    scene.desktop.setTrusted(false);
    scene.desktop.advance(1.0);
    EXPECT_FALSE(pin->isObserved());
    EXPECT_DOUBLE_EQ(pin->refreshInterval(), 0.35);
    EXPECT_TRUE(pin->hasRefreshTimer());
    EXPECT_EQ(pin->statusText(), "Editor - Notes (click-through needs a window manager)");
}

TEST(WindowPinTracking, VisibilityRuleAndTheFrameRateItGives) {
    struct Case {
        const char* name;
        std::function<void(PinScene&)> act;
        bool visible;
    };
    const Case cases[] = {
        {"as pinned", nullptr, true},
        {"minimised", [](PinScene& s) { s.notes->minimize(); }, false},
        {"application hidden", [](PinScene& s) { s.editor->hide(); }, false},
        {"moved off every display", [](PinScene& s) { s.notes->moveTo({2500, 100, 800, 600}); }, false},
        {"partly on a display", [](PinScene& s) { s.notes->moveTo({1800, 100, 800, 600}); }, true},
        {"on a second display", [](PinScene& s) {
             s.desktop.addDisplay("Side", {1280, 1024});
             s.notes->moveTo({2200, 100, 800, 600});
         },
         true},
        {"on another desktop", [](PinScene& s) { s.notes->setSpaces({2}); }, false},
        {"no displays", [](PinScene& s) { s.desktop.world().displays().clear(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PinScene scene;
        auto pin = scene.activePin();
        if (c.act) c.act(scene);
        // Changes nothing reports are seen at the slow check.
        scene.desktop.advance(WindowPinManager::kFollowedRefreshInterval);
        ASSERT_TRUE(pin->isActive());
        EXPECT_EQ(pin->panelController().isVisible(), c.visible);
        EXPECT_EQ(pin->statusText().ends_with(" (hidden)"), !c.visible);
        EXPECT_EQ(lastProfile(scene).framesPerSecond, c.visible ? 10 : 1);
    }
}

TEST(WindowPinTracking, HideUnhideDesktopAndScreenChangesRefreshAtOnce) {
    PinScene scene;
    scene.desktop.setTrusted(false);  // no observer: only the notifications can be this quick
    auto pin = scene.activePin();
    scene.editor->hide();
    scene.desktop.drain();
    EXPECT_FALSE(pin->panelController().isVisible());
    scene.editor->unhide();
    scene.desktop.drain();
    EXPECT_TRUE(pin->panelController().isVisible());

    scene.notes->state().spaces = {2};
    scene.desktop.switchSpace(0, 3);
    scene.desktop.drain();
    EXPECT_FALSE(pin->panelController().isVisible());
    scene.desktop.switchSpace(0, 2);
    scene.desktop.drain();
    EXPECT_TRUE(pin->panelController().isVisible());

    scene.desktop.world().displays().front().frame = {0, 0, 640, 480};
    scene.notes->state().frame = {700, 100, 800, 600};
    scene.desktop.services().screens->didChangeParameters.notify();
    scene.desktop.drain();
    EXPECT_FALSE(pin->panelController().isVisible());
}

TEST(WindowPinTracking, OnlyTheWindowsEndOrItsOwnersEndsThePin) {
    struct Case {
        const char* name;
        std::function<void(PinScene&)> act;
        bool trusted;
        bool ends;
    };
    const Case cases[] = {
        {"window closes, observed", [](PinScene& s) { s.notes->vanish(); }, true, true},
        {"window closes, on the window list's news", [](PinScene& s) { s.notes->vanish(); }, false, true},
        {"application quits", [](PinScene& s) { s.editor->quit(); }, true, true},
        {"application quits, on the window list's news", [](PinScene& s) { s.editor->quit(); }, false, true},
        {"the window server does not answer", [](PinScene& s) { s.desktop.world().windowServerStalled = true; },
         true, false},
        {"the window server answers partly",
         [](PinScene& s) { s.desktop.world().unansweredWindows = {s.notes->number()}; }, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PinScene scene;
        scene.desktop.setTrusted(c.trusted);
        auto pin = scene.activePin();
        const platform::PinCaptureProfile profile = lastProfile(scene);
        c.act(scene);
        // Past the slow check: the window has been asked about since.
        scene.desktop.advance(WindowPinManager::kFollowedRefreshInterval + 1.0);
        if (c.ends) {
            EXPECT_TRUE(pin->hasFailed());
            EXPECT_EQ(pin->statusText(), "Preview source unavailable");
            EXPECT_FALSE(pin->pinStream());
            EXPECT_FALSE(pin->hasRefreshTimer());
            scene.desktop.drain();
            EXPECT_TRUE(scene.noCaptureRunning());
            continue;
        }
        // Nothing the server leaves unanswered changes the pin, its panel or its capture.
        EXPECT_TRUE(pin->isActive());
        EXPECT_TRUE(pin->panelController().isVisible());
        EXPECT_EQ(pin->pinnedWindow()->bounds, (arvelo::Rect{100, 100, 800, 600}));
        EXPECT_EQ(lastProfile(scene), profile);
        EXPECT_TRUE(pin->unansweredSince());
        EXPECT_DOUBLE_EQ(pin->refreshInterval(), c.trusted ? 1.0 : 0.35) << "asked again at the quick pace";
    }
}

TEST(WindowPinTracking, AWindowUnansweredFor10SecondsIsSaidOnceAndThePinKeepsAsking) {
    PinScene scene;
    auto pin = scene.activePin();
    const std::string text = pin->statusText();
    const int before = scene.stateChanges;
    scene.desktop.world().windowServerStalled = true;
    scene.notes->state().frame = {300, 200, 800, 600};  // moved while the server is stopped
    // The screens change: the pin asks about its window at once, and gets no answer.
    scene.desktop.services().screens->didChangeParameters.notify();
    scene.desktop.drain();
    ASSERT_TRUE(pin->unansweredSince());
    scene.desktop.advance(9.0);
    EXPECT_EQ(pin->statusText(), text) << "nothing is said before 10 s";
    EXPECT_EQ(scene.stateChanges, before);
    scene.desktop.advance(2.0);
    EXPECT_EQ(pin->statusText(), text + " (X server not answering, still trying)");
    EXPECT_EQ(scene.stateChanges, before + 1);
    scene.desktop.advance(30.0);
    EXPECT_EQ(scene.stateChanges, before + 1) << "said once";
    EXPECT_TRUE(pin->isActive());

    scene.desktop.world().windowServerStalled = false;
    scene.desktop.advance(1.0);
    EXPECT_EQ(pin->statusText(), text);
    EXPECT_EQ(pin->pinnedWindow()->bounds, (arvelo::Rect{300, 200, 800, 600}));
    EXPECT_FALSE(pin->unansweredSince());
    EXPECT_DOUBLE_EQ(pin->refreshInterval(), WindowPinManager::kFollowedRefreshInterval);
    const auto lines = scene.logLines("pin");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("has not answered") != std::string::npos; }),
              1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("answers again") != std::string::npos; }),
              1);
}

TEST(WindowPinTracking, AnApplicationThatDoesNotAnswerCostsAtMostTheShortTimeOut) {
    PinScene scene;
    scene.editor->state().behaviour.responseTime = 5.0;
    auto pin = scene.activePin();
    ASSERT_TRUE(pin->isActive());
    EXPECT_FALSE(pin->isObserved());  // its windows cannot be read in time
    EXPECT_DOUBLE_EQ(pin->refreshInterval(), WindowPinManager::kFollowedRefreshInterval);
    scene.desktop.advance(2.0);
    EXPECT_TRUE(pin->isActive());
    bool askedEditor = false;
    for (const auto& call : scene.desktop.calls().all()) {
        if (call.element.pid != scene.editor->pid()) continue;
        askedEditor = true;
        EXPECT_DOUBLE_EQ(call.timeout, 0.1) << call.name;
    }
    EXPECT_TRUE(askedEditor);
}

TEST(WindowPinTracking, OnlyAChangedTextTellsTheOwner) {
    PinScene scene;
    auto pin = scene.activePin();
    const int before = scene.stateChanges;
    scene.desktop.advance(3.0);
    EXPECT_EQ(scene.stateChanges, before);
    scene.notes->setTitle("Notes (edited)");
    scene.desktop.advance(1.0);
    EXPECT_EQ(scene.stateChanges, before + 1);
    EXPECT_EQ(pin->statusText(), "Editor - Notes (edited)");
}

TEST(WindowPinTracking, CaptureSizeFollowsTheWindow) {
    PinScene scene;
    auto pin = scene.activePin();
    EXPECT_EQ(lastProfile(scene), (platform::PinCaptureProfile{800, 600, 10}));
    scene.notes->moveTo({100, 100, 640, 360});
    scene.desktop.advance(1.0);
    EXPECT_EQ(lastProfile(scene), (platform::PinCaptureProfile{640, 360, 10}));

    // A size that cannot be captured hides the panel and keeps the last profile.
    scene.notes->state().frame = {100, 100, std::numeric_limits<double>::infinity(), 360};
    scene.desktop.advance(WindowPinManager::kFollowedRefreshInterval);
    EXPECT_FALSE(pin->panelController().isVisible());
    EXPECT_EQ(lastProfile(scene), (platform::PinCaptureProfile{640, 360, 10}));
}

TEST(WindowPinTracking, ChangedSettingsReachTheCapture) {
    for (int idle : {5, 15, 30}) {
        SCOPED_TRACE(idle);
        PinScene scene;
        auto pin = scene.activePin();
        scene.pinSettings->setPinIdleFPS(idle);
        pin->applySettings();
        EXPECT_EQ(lastProfile(scene).framesPerSecond, idle);
    }
}

TEST(WindowPinTracking, WorkingThroughThePreviewAsksFor30FramesUntilThePointerLeaves) {
    PinScene scene;
    std::shared_ptr<PointerSurface> surface;
    scene.previewHost.present = [&](platform::PanelID) {
        surface = std::make_shared<PointerSurface>();
        return surface;
    };
    std::vector<std::optional<std::int32_t>> told;
    auto pin = scene.activePin();
    pin->onInteractionChange = [&](std::optional<std::int32_t> pid) { told.push_back(pid); };
    ASSERT_TRUE(surface && surface->onHoverInside);
    scene.desktop.movePointer({500, 400});
    surface->onHoverInside();
    ASSERT_TRUE(pin->panelController().isInteracting());
    EXPECT_EQ(told, (std::vector<std::optional<std::int32_t>>{scene.editor->pid()}));
    EXPECT_EQ(lastProfile(scene).framesPerSecond, 30);

    // Far from the panel, the move ends the interaction.
    scene.desktop.mouseMove({1500, 950});
    scene.desktop.advance(0.1);
    EXPECT_FALSE(pin->panelController().isInteracting());
    EXPECT_EQ(told.back(), std::nullopt);
    EXPECT_EQ(lastProfile(scene).framesPerSecond, 10);
}

}  // namespace
}  // namespace tenvik
