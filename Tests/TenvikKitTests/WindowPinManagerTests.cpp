// SPDX-License-Identifier: MIT
// WindowPinManagerTests.cpp: one pin on the simulated desktop: its start and the texts it shows,
// every way it fails (torn down before its owner hears of it), superseded attempts and stale
// stream failures, unpin and stop.
#include "PinScene.h"

#include <gtest/gtest.h>

namespace tenvik {
namespace {

using Kind = PinState::Kind;
using platform::CaptureError;
using test::PinScene;

TEST(WindowPinManager, StartsThenShowsTheWindowAndItsText) {
    PinScene scene;
    auto pin = scene.makePin();
    pin->pinCurrentFrontmostWindow();
    EXPECT_EQ(pin->pinState().kind, Kind::starting);
    EXPECT_EQ(pin->statusText(), "Starting pin...");
    EXPECT_TRUE(pin->isLive());
    EXPECT_FALSE(pin->pinnedWindow());
    EXPECT_EQ(scene.stateChanges, 1);

    scene.desktop.drain();
    EXPECT_TRUE(pin->isActive());
    EXPECT_EQ(pin->statusText(), "Editor - Notes");
    ASSERT_TRUE(pin->pinnedWindow());
    EXPECT_EQ(pin->pinnedWindow()->windowID, scene.notes->number());
    EXPECT_EQ(pin->pinState().windowID, scene.notes->number());
    EXPECT_TRUE(pin->panelController().isVisible());
    ASSERT_TRUE(pin->pinStream());
    EXPECT_EQ(pin->pinStream()->state(), PinStream::State::running);
    EXPECT_TRUE(scene.capture()->capturing());
    // The pin text first without the panel shown, then with it.
    EXPECT_EQ(scene.stateChanges, 3);
    EXPECT_TRUE(pin->isObserved());
    EXPECT_TRUE(pin->isFollowed());
    EXPECT_DOUBLE_EQ(pin->refreshInterval(), WindowPinManager::kFollowedRefreshInterval);
    EXPECT_TRUE(pin->hasRefreshTimer());
}

TEST(WindowPinManager, TextsOfTitleAccessibilityAndHiddenPanel) {
    struct Case {
        const char* name;
        std::string title;
        bool trusted;
        bool minimiseAfter;
        std::string text;
    };
    const Case cases[] = {
        {"title", "Notes", true, false, "Editor - Notes"},
        {"no title", "", true, false, "Editor"},
        {"no Accessibility", "Notes", false, false, "Editor - Notes (click-through needs a window manager)"},
        {"hidden panel", "Notes", true, true, "Editor - Notes (hidden)"},
        {"both suffixes", "Notes", false, true, "Editor - Notes (click-through needs a window manager) (hidden)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PinScene scene;
        scene.notes->setTitle(c.title);
        scene.desktop.setTrusted(c.trusted);
        auto pin = scene.activePin();
        if (c.minimiseAfter) {
            scene.notes->minimize();
            scene.desktop.advance(1.0);
        }
        EXPECT_EQ(pin->statusText(), c.text);
    }
}

TEST(WindowPinManager, EveryFailureTearsDownBeforeTheOwnerHears) {
    struct Case {
        const char* name;
        std::function<void(PinScene&)> arrange;
        std::optional<CaptureError> startError;
        std::string message;
    };
    const Case cases[] = {
        {"no Screen Recording",
         [](PinScene& s) { s.desktop.setScreenCaptureAccess(false); },
         std::nullopt,
         "Pinning needs the X server's Composite extension"},
        {"no Screen Recording and only this program",
         [](PinScene& s) {
             s.desktop.setScreenCaptureAccess(false);
             s.editor->quit();
             s.self->activate();
         },
         std::nullopt,
         "Pinning needs the X server's Composite extension"},
        {"only this program ever in front",
         [](PinScene& s) {
             s.editor->quit();
             s.self->activate();
         },
         std::nullopt,
         "No capturable window"},
        {"no window large enough",
         [](PinScene& s) { s.notes->moveTo({100, 100, 120, 600}); },
         std::nullopt,
         "Window not shareable"},
        {"capturable windows cannot be listed",
         [](PinScene& s) { s.desktop.world().shareableWindowsError = "The X server did not answer."; },
         std::nullopt,
         "Preview stream failed: The X server did not answer."},
        {"capture refuses with a sentence", nullptr, CaptureError{"Capture", 3, "  No pixmap.\n"},
         "Preview stream failed: No pixmap."},
        {"capture refuses without a sentence", nullptr, CaptureError{"Capture", 7, " \n"},
         "Preview stream failed (Capture 7)"},
        {"capture refuses with the empty sentence", nullptr,
         CaptureError{"Capture", 9, "The operation couldn\u2019t be completed."}, "Preview stream failed (Capture 9)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PinScene scene;
        if (c.arrange) c.arrange(scene);
        scene.desktop.drain();
        if (c.startError) scene.desktop.liveCapture().answersAtOnce = false;
        auto pin = scene.makePin();
        bool sawTornDown = true;
        pin->onStateChange = [&] {
            if (pin->hasFailed())
                sawTornDown = !pin->pinnedWindow() && !pin->pinStream() && !pin->panelController().isVisible() &&
                              !pin->hasRefreshTimer();
        };
        pin->pinCurrentFrontmostWindow();
        scene.desktop.drain();
        if (c.startError) {
            ASSERT_TRUE(scene.capture());
            scene.capture()->answerStart(c.startError);
            scene.desktop.drain();
            scene.capture()->answerStop();
            scene.desktop.drain();
        }
        EXPECT_TRUE(pin->hasFailed());
        EXPECT_EQ(pin->statusText(), c.message);
        EXPECT_FALSE(pin->isLive());
        EXPECT_TRUE(sawTornDown);
        EXPECT_TRUE(scene.noCaptureRunning());
    }
}

TEST(WindowPinManager, PinningWhileThisProgramIsInFrontTakesTheLastOtherApplication) {
    PinScene scene;
    auto pin = scene.makePin();
    scene.self->activate();
    scene.editor->activate();
    scene.self->activate();
    scene.desktop.drain();
    pin->pinCurrentFrontmostWindow();
    scene.desktop.drain();
    ASSERT_TRUE(pin->isActive());
    EXPECT_EQ(pin->pinnedWindow()->ownerPID, scene.editor->pid());

    // Once that application has quit, there is nothing to pin.
    auto later = scene.makePin();
    scene.editor->activate();
    scene.self->activate();
    scene.desktop.drain();
    scene.editor->quit();
    scene.desktop.drain();
    later->pinCurrentFrontmostWindow();
    EXPECT_EQ(later->statusText(), "No capturable window");
}

TEST(WindowPinManager, ANewAttemptMakesTheEarlierOneStale) {
    PinScene scene;
    scene.desktop.liveCapture().answersAtOnce = false;
    auto pin = scene.makePin();
    pin->pinCurrentFrontmostWindow();
    scene.desktop.drain();
    const auto first = scene.capture();
    ASSERT_TRUE(first && first->startPending());

    pin->pinCurrentFrontmostWindow();
    scene.desktop.drain();
    const auto second = scene.capture();
    ASSERT_NE(first, second);

    // The first capture starts late: it is stopped and changes nothing.
    first->answerStart();
    scene.desktop.drain();
    first->answerStop();
    scene.desktop.drain();
    EXPECT_EQ(pin->pinState().kind, Kind::starting);
    EXPECT_FALSE(first->capturing());

    second->answerStart();
    scene.desktop.drain();
    EXPECT_TRUE(pin->isActive());
    EXPECT_EQ(pin->pinStream()->state(), PinStream::State::running);
}

TEST(WindowPinManager, AStreamFailureCountsOnlyForTheCurrentAttempt) {
    struct Case {
        const char* name;
        std::function<void(PinScene&, WindowPinManager&)> before;
        Kind expected;
        std::string text;
    };
    const Case cases[] = {
        {"while active", nullptr, Kind::failed, "Preview stream failed: The window is gone."},
        {"after unpin", [](PinScene&, WindowPinManager& pin) { pin.unpin(); }, Kind::idle, "None"},
        {"after a newer attempt",
         [](PinScene& s, WindowPinManager& pin) {
             s.desktop.liveCapture().answersAtOnce = false;
             pin.pinCurrentFrontmostWindow();
         },
         Kind::starting, "Starting pin..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PinScene scene;
        auto pin = scene.activePin();
        ASSERT_TRUE(pin->isActive());
        const auto capture = scene.capture();
        if (c.before) c.before(scene, *pin);
        capture->end({"Capture", 2, "The window is gone."});
        scene.desktop.drain();
        EXPECT_EQ(pin->pinState().kind, c.expected);
        EXPECT_EQ(pin->statusText(), c.text);
    }
}

TEST(WindowPinManager, UnpinAndStop) {
    PinScene scene;
    auto pin = scene.activePin();
    const int before = scene.stateChanges;
    pin->stop();
    EXPECT_TRUE(pin->isActive());  // the state stays
    EXPECT_EQ(scene.stateChanges, before);
    EXPECT_FALSE(pin->pinStream());
    EXPECT_FALSE(pin->hasRefreshTimer());
    EXPECT_FALSE(pin->panelController().isVisible());
    scene.desktop.drain();
    EXPECT_TRUE(scene.noCaptureRunning());

    auto other = scene.activePin();
    other->unpin();
    EXPECT_EQ(other->pinState().kind, Kind::idle);
    EXPECT_EQ(other->statusText(), "None");
    EXPECT_FALSE(other->isLive());
    scene.desktop.drain();
    EXPECT_TRUE(scene.noCaptureRunning());
}

TEST(WindowPinManager, APinLetGoStopsItsCapture) {
    PinScene scene;
    std::weak_ptr<WindowPinManager> weak;
    {
        auto pin = scene.activePin();
        weak = pin;
    }
    EXPECT_TRUE(weak.expired());
    scene.desktop.advance(2.0);
    EXPECT_TRUE(scene.noCaptureRunning());
}

}  // namespace
}  // namespace tenvik
