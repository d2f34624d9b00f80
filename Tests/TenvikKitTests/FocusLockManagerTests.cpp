// SPDX-License-Identifier: MIT
// FocusLockManagerTests.cpp: the focus lock's decisions on the simulated desktop and its
// virtual clock: locking, the 50 ms push back, allowed applications pausing the lock, the
// temporary allowance, termination, and a window manager that refuses or ignores the pushes.
#include "KitScene.h"
#include "TenvikKit/FocusLock/FocusActivationPolicy.h"
#include "TenvikKit/FocusLock/FocusLockManager.h"

#include <gtest/gtest.h>

namespace tenvik {
namespace {

using platform::sim::AppHandle;

class FocusLock : public ::testing::Test {
public:
    FocusLock() {
        lock = std::make_unique<FocusLockManager>(scene.workspace, scene.desktop.services().dispatch, *scene.settings,
                                                  "org.vomira.Arvelo");
        lock->onStateChange = [this] { ++stateChanges; };
        fixture.openWindow("Fixture", {100, 100, 400, 300});
        xlogo.openWindow("xlogo", {600, 100, 300, 300});
        password.openWindow("KeePassXC", {100, 500, 300, 300});
    }

    // Activates an application as the user would, and lets its notification arrive.
    void activate(AppHandle& app) {
        app.activate();
        scene.desktop.drain();
    }
    std::optional<std::int32_t> front() { return scene.desktop.world().frontmost(); }

    test::KitScene scene;
    AppHandle fixture = scene.desktop.launch("org.vomira.ArveloFixture", "Fixture");
    AppHandle xlogo = scene.desktop.launch("XLogo", "xlogo");
    AppHandle password = scene.desktop.launch("org.keepassxc.KeePassXC", "KeePassXC");
    std::unique_ptr<FocusLockManager> lock;
    int stateChanges = 0;
};

TEST_F(FocusLock, LockingTakesTheFrontApplicationAndBringsItForward) {
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    ASSERT_TRUE(lock->lockedApplication());
    EXPECT_EQ(lock->lockedApplication()->pid, fixture.pid());
    EXPECT_FALSE(lock->isPaused());
    EXPECT_EQ(stateChanges, 1);
    EXPECT_EQ(scene.desktop.workspace().requests().back(), "activate " + std::to_string(fixture.pid()) + " allWindows");
}

TEST_F(FocusLock, LockingWhileThisProgramIsInFrontTakesTheLastOtherApplication) {
    // Nothing seen yet besides this program: nothing happens.
    scene.desktop.app(scene.desktop.world().ownPid()).activate();
    scene.desktop.drain();
    lock->lockCurrentFrontmostApp();
    EXPECT_FALSE(lock->lockedApplication());
    EXPECT_EQ(stateChanges, 0);

    activate(xlogo);
    scene.desktop.app(scene.desktop.world().ownPid()).activate();
    scene.desktop.drain();
    lock->lockCurrentFrontmostApp();
    ASSERT_TRUE(lock->lockedApplication());
    EXPECT_EQ(lock->lockedApplication()->pid, xlogo.pid());
    scene.desktop.drain();
    EXPECT_EQ(front(), xlogo.pid());
}

TEST_F(FocusLock, AnotherApplicationIsPushedBackAfterFiftyMilliseconds) {
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    scene.desktop.drain();
    activate(xlogo);
    EXPECT_EQ(front(), xlogo.pid());
    EXPECT_TRUE(lock->hasPendingReactivation());
    scene.desktop.advance(0.049);
    EXPECT_EQ(front(), xlogo.pid());
    scene.desktop.advance(0.001);
    EXPECT_EQ(front(), fixture.pid());
    EXPECT_FALSE(lock->isPaused());
}

TEST_F(FocusLock, TwoRefusedActivationsWithinFiftyMillisecondsPushBackOnce) {
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    scene.desktop.drain();
    const std::size_t before = scene.desktop.workspace().requests().size();
    activate(xlogo);
    scene.desktop.advance(0.02);
    auto other = scene.desktop.launch("org.example.Other", "Other");
    activate(other);
    scene.desktop.advance(0.2);
    const auto& requests = scene.desktop.workspace().requests();
    EXPECT_EQ(requests.size() - before, 1u);
    EXPECT_EQ(front(), fixture.pid());
}

TEST_F(FocusLock, AllowedApplicationsPauseTheLockAndTheLockedOneEndsThePause) {
    struct Case {
        const char* name;
        std::function<void(FocusLock&)> allow;
        std::function<AppHandle(FocusLock&)> app;
    };
    const Case cases[] = {
        {"the user's allowed list",
         [](FocusLock& t) { t.scene.settings->setFocusAllowedApplicationIDs({"org.keepassxc.KeePassXC"}); },
         [](FocusLock& t) { return t.password; }},
        {"a keyring prompt", [](FocusLock&) {},
         [](FocusLock& t) { return t.scene.desktop.launch("Gcr-prompter", "gcr-prompter"); }},
        {"a polkit password prompt", [](FocusLock&) {},
         [](FocusLock& t) {
             return t.scene.desktop.launch("Polkit-gnome-authentication-agent-1",
                                           "polkit-gnome-authentication-agent-1");
         }},
        {"a screen locker", [](FocusLock&) {},
         [](FocusLock& t) { return t.scene.desktop.launch("XScreenSaver", "xscreensaver"); }},
        {"an input method", [](FocusLock&) {},
         [](FocusLock& t) { return t.scene.desktop.launch("org.fcitx.Fcitx5", "fcitx5"); }},
        {"a panel: no ordinary window", [](FocusLock&) {},
         [](FocusLock& t) {
             platform::sim::App panel;
             panel.applicationID = "Xfce4-panel";
             panel.name = "xfce4-panel";
             panel.activationPolicy = platform::ActivationPolicy::accessory;
             return t.scene.desktop.launch(panel);
         }},
        {"the temporary allowance", [](FocusLock& t) { t.lock->setTemporaryAllowedPID(t.xlogo.pid()); },
         [](FocusLock& t) { return t.xlogo; }},
        {"an identifier added to the allowed list",
         [](FocusLock& t) { t.scene.settings->setFocusAllowedApplicationIDs({"XLogo"}); },
         [](FocusLock& t) { return t.xlogo; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        activate(fixture);
        lock->lockCurrentFrontmostApp();
        scene.desktop.drain();
        c.allow(*this);
        AppHandle app = c.app(*this);
        activate(app);
        EXPECT_TRUE(lock->isPaused());
        EXPECT_FALSE(lock->hasPendingReactivation());
        scene.desktop.advance(0.1);
        EXPECT_EQ(front(), app.pid());
        activate(fixture);
        EXPECT_FALSE(lock->isPaused());
        lock->setTemporaryAllowedPID(std::nullopt);
        scene.settings->setFocusAllowedApplicationIDs(AppSettings::defaultFocusAllowedApplicationIDs());
        lock->unlock();
    }
}

TEST_F(FocusLock, ThePushIsDroppedWhenTheFrontChangesToAnAcceptableOneWithinTheDelay) {
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    scene.desktop.drain();
    activate(xlogo);
    // The user comes back to the locked application by themselves: no push needed.
    scene.desktop.world().activate(fixture.pid());  // without letting the notification arrive
    const std::size_t before = scene.desktop.workspace().requests().size();
    scene.desktop.advance(0.1);
    EXPECT_EQ(scene.desktop.workspace().requests().size(), before);
}

TEST_F(FocusLock, AllowedMatchingKeepsLetterCaseOnlyForReverseDNSIdentifiers) {
    // A class name ("XLogo") is matched whatever its case; a reverse-DNS identifier exactly.
    struct Case {
        const char* entry;
        bool paused;
    };
    const Case cases[] = {{"xlogo", true}, {" XLOGO ", true}, {"xlogo.app", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        scene.settings->setFocusAllowedApplicationIDs({c.entry});
        activate(fixture);
        lock->lockCurrentFrontmostApp();
        scene.desktop.drain();
        activate(xlogo);
        EXPECT_EQ(lock->isPaused(), c.paused);
        scene.desktop.advance(0.05);
        EXPECT_EQ(front(), c.paused ? xlogo.pid() : fixture.pid());
        lock->unlock();
    }
    AppHandle nautilus = scene.desktop.launch("org.gnome.Nautilus", "Files");
    nautilus.openWindow("Files", {300, 300, 300, 300});
    scene.settings->setFocusAllowedApplicationIDs({"org.gnome.nautilus"});
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    scene.desktop.drain();
    activate(nautilus);
    EXPECT_FALSE(lock->isPaused());
}

TEST_F(FocusLock, QuittingTheLockedApplicationUnlocks) {
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    scene.desktop.drain();
    stateChanges = 0;
    fixture.quit();
    scene.desktop.drain();
    EXPECT_FALSE(lock->lockedApplication());
    EXPECT_GE(stateChanges, 1);
    // Nothing is pushed back afterwards.
    activate(xlogo);
    scene.desktop.advance(0.1);
    EXPECT_EQ(front(), xlogo.pid());
}

TEST_F(FocusLock, UnlockTellsEvenWhenNothingWasLockedAndStopEndsObserving) {
    lock->unlock();
    EXPECT_EQ(stateChanges, 1);
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    lock->stop();
    EXPECT_FALSE(lock->lockedApplication());
    stateChanges = 0;
    activate(xlogo);
    scene.desktop.advance(0.1);
    EXPECT_EQ(stateChanges, 0);
    EXPECT_EQ(front(), xlogo.pid());
}

TEST_F(FocusLock, ARefusedPushIsGivenUpAndLoggedOnce) {
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    scene.desktop.drain();
    scene.workspace->activation = test::ManagedWorkspace::Activation::refuse;
    auto other = scene.desktop.launch("org.example.Other", "Other");
    for (int i = 0; i < 20; ++i) {
        activate(i % 2 ? other : xlogo);
        scene.desktop.advance(0.05);
    }
    const auto lines = scene.logLines("app");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("could not bring back") != std::string::npos; }),
              1);
    EXPECT_TRUE(lock->lockedApplication());
}

TEST_F(FocusLock, AManagerThatIgnoresThePushesIsNotFoughtInALoop) {
    activate(fixture);
    lock->lockCurrentFrontmostApp();
    scene.desktop.drain();
    scene.workspace->activation = test::ManagedWorkspace::Activation::ignore;
    scene.workspace->activationRequests = 0;
    auto other = scene.desktop.launch("org.example.Other", "Other");
    for (int i = 0; i < 40; ++i) {
        activate(i % 2 ? other : xlogo);
        scene.desktop.advance(0.05);
    }
    EXPECT_EQ(scene.workspace->activationRequests, FocusLockManager::kMaxUnansweredPushes);
    const auto lines = scene.logLines("app");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("stops pushing") != std::string::npos; }),
              1);
    // Once the locked application is back in front, pushing resumes.
    scene.workspace->activation = test::ManagedWorkspace::Activation::forward;
    activate(fixture);
    activate(xlogo);
    scene.desktop.advance(0.05);
    EXPECT_EQ(front(), fixture.pid());
}

TEST(FocusActivationPolicy, NormalisedIdentifiers) {
    struct Case {
        const char* text;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"  com.example.App\n", "com.example.App"},
        {"", std::nullopt},
        {"   ", std::nullopt},
        // Names without a "." are WM_CLASS classes or program names: lower-cased.
        {"NoDot", "nodot"},
        {" XTerm\t", "xterm"},
        {"firefox-esr", "firefox-esr"},
        {"com.example App", std::nullopt},
        {"Org.Example.MixedCase", "Org.Example.MixedCase"},
    };
    for (const Case& c : cases) EXPECT_EQ(FocusActivationPolicy::normalizedApplicationID(c.text), c.expected) << c.text;
    // The always-allowed identifiers are in the form a lookup compares: normalised already.
    for (const std::string& id : FocusActivationPolicy::systemAllowlist())
        EXPECT_EQ(FocusActivationPolicy::normalizedApplicationID(id), id);

    // Entries stored in any earlier form still name their application.
    struct Allow {
        const char* entry;
        const char* identifier;
        bool allowed;
    };
    const Allow allows[] = {
        {"XTerm", "XTerm", true},
        {"xterm", "XTerm", true},
        {" XTerm ", "xterm", true},
        {"org.gnome.Nautilus", "org.gnome.Nautilus", true},
        {"org.gnome.nautilus", "org.gnome.Nautilus", false},
        {" org.gnome.Nautilus", "org.gnome.Nautilus", true},
        {"has space", "has space", true},  // an exact match always counts
        {"", "xterm", false},
    };
    for (const Allow& a : allows)
        EXPECT_EQ(FocusActivationPolicy::allows(a.entry, a.identifier), a.allowed) << a.entry << " / " << a.identifier;
}

}  // namespace
}  // namespace tenvik
