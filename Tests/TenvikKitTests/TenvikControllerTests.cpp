// SPDX-License-Identifier: MIT
// TenvikControllerTests.cpp: the kit controller on the simulated desktop: the menu items, tool
// tip and status image for each focus and pin state, actions from hot keys, gestures, menus and
// URLs (and none while a shortcut is recorded), re-registering the hot keys only when a
// shortcut changed, and the launch arguments that open the kit's windows.
#include "KitScene.h"
#include "MultitouchBridge/MultitouchBridgeTesting.h"
#include "TenvikKit/Controller/TenvikController.h"

#include <gtest/gtest.h>

namespace tenvik {
namespace {

// Pins as the tests set them up.
class FakePins : public PinManaging {
public:
    void togglePinCurrentWindow() override { ++toggles; }
    void unpin() override {
        ++unpins;
        states.clear();
    }
    void applySettings() override { ++settingsApplied; }
    void stop() override { ++stops; }
    std::vector<PinState> pins() const override { return states; }
    bool frontWindowIsPinned() const override { return frontPinned; }

    std::vector<PinState> states;
    bool frontPinned = false;
    int toggles = 0, unpins = 0, settingsApplied = 0, stops = 0;
};

class Controller : public ::testing::Test {
public:
    Controller() {
        scene.desktop.advance(10);
        editor.openWindow("notes", {100, 100, 400, 300});
        editor.activate();
        scene.desktop.drain();
    }
    ~Controller() override {
        if (controller) controller->stop();
    }

    void make(std::vector<std::string> arguments = {}) {
        scene.desktop.environment().arguments = std::move(arguments);
        KitShared shared;
        shared.center = &scene.center;
        shared.settings = std::shared_ptr<AppSettings>(scene.settings.get(), [](AppSettings*) {});
        shared.activity = std::make_shared<ActivityMonitor>();
        auto services = scene.desktop.services();
        shared.permissions = std::make_shared<PermissionsManager>(
            services.accessibility, services.screenCapture, services.workspace, services.dispatch, "org.vomira.Arvelo");
        shared.recording = std::make_shared<ShortcutRecordingState>(scene.center);
        auto fake = std::make_unique<FakePins>();
        pins = fake.get();
        controller = std::make_unique<TenvikController>(services, shared, "org.vomira.Arvelo", std::move(fake));
        controller->windows.showSettings = [this](std::optional<SettingsTab> tab) {
            opened.push_back("settings " + (tab ? std::string(rawValue(*tab)) : std::string("-")));
        };
        controller->windows.showOnboarding = [this] { opened.push_back("onboarding"); };
        controller->startGestures = [](GestureMonitor& monitor) { return monitor.startWithStandInDevices(1); };
        controller->onStateChange = [this] { ++refreshes; };
        scene.settings->setHasCompletedOnboarding(true);
        controller->start();
        scene.desktop.drain();
    }

    KitMenu menu() {
        KitMenu items;
        controller->populate(items);
        return items;
    }
    const KitMenuItem& item(const KitMenu& items, std::size_t index) { return items.at(index); }
    ActivityMonitor& activity() { return *controller->shared().activity; }

    test::KitScene scene;
    platform::sim::AppHandle editor = scene.desktop.launch("org.example.Editor", "Editor");
    std::unique_ptr<TenvikController> controller;
    FakePins* pins = nullptr;
    std::vector<std::string> opened;
    int refreshes = 0;
};

// Indexes of the eight items in the order they are added.
enum { kWarning, kHeader, kFocusState, kPinned, kToggleFocus, kTogglePin, kReleaseAll, kSettings };

TEST_F(Controller, MenuToolTipAndImageFollowTheFocusAndPinState) {
    make();
    struct Case {
        const char* name;
        std::function<void(Controller&)> setUp;
        std::string focusState, pinned, toggleFocus, togglePin;
        bool releaseAllShown;
        std::optional<std::string> toolTip;
        std::optional<StatusIconChoice> image;
    };
    using Kind = PinState::Kind;
    const std::vector<Case> cases = {
        {"nothing held", [](Controller&) {}, "Focus: Off", "Pinned: None", "Focus Current App", "Pin Current Window",
         false, std::nullopt, std::nullopt},
        {"focus locked", [](Controller& t) { t.controller->focusLockManager().lockCurrentFrontmostApp(); },
         "Focus: Editor", "Pinned: None", "Release Focus", "Pin Current Window", true, "Focus: Editor",
         StatusIconChoice{"lock.fill", "Focus locked"}},
        {"one pin active",
         [](Controller& t) {
             t.pins->states = {{Kind::active, "notes — Editor", 7u}};
         },
         "Focus: Off", "Pinned: notes — Editor", "Focus Current App", "Pin Current Window", true,
         "Pinned: notes — Editor", StatusIconChoice{"pin.fill", "Pinned window"}},
        {"front window pinned",
         [](Controller& t) {
             t.pins->states = {{Kind::active, "notes — Editor", 7u}};
             t.pins->frontPinned = true;
         },
         "Focus: Off", "Pinned: notes — Editor", "Focus Current App", "Unpin Current Window", true,
         "Pinned: notes — Editor", StatusIconChoice{"pin.fill", "Pinned window"}},
        {"locked and two pins",
         [](Controller& t) {
             t.controller->focusLockManager().lockCurrentFrontmostApp();
             t.pins->states = {{Kind::active, "a", 7u}, {Kind::starting, "", std::nullopt}};
         },
         "Focus: Editor", "Pinned: 2 windows", "Release Focus", "Pin Current Window", true,
         "Focus: Editor, pinned: 2 windows",
         StatusIconChoice{StatusIconChoice::kCompositeSymbol, "Focus locked and pinned"}},
        {"last pin failed",
         [](Controller& t) {
             t.pins->states = {{Kind::failed, "The window closed.", std::nullopt}};
         },
         "Focus: Off", "Pinned: The window closed.", "Focus Current App", "Retry Pin Current Window", false,
         "The window closed.", StatusIconChoice{"pin.slash", "Pin failed"}},
        {"locked with a failed pin",
         [](Controller& t) {
             t.controller->focusLockManager().lockCurrentFrontmostApp();
             t.pins->states = {{Kind::failed, "The window closed.", std::nullopt}};
         },
         "Focus: Editor", "Pinned: The window closed.", "Release Focus", "Retry Pin Current Window", true,
         "Focus: Editor", StatusIconChoice{"lock.fill", "Focus locked"}},
        {"paused for an allowed application",
         [](Controller& t) {
             t.controller->focusLockManager().lockCurrentFrontmostApp();
             auto password = t.scene.desktop.launch("Gcr-prompter", "gcr-prompter");
             password.activate();
             t.scene.desktop.drain();
         },
         "Focus: Paused — Editor", "Pinned: None", "Release Focus", "Pin Current Window", true, "Focus: Editor",
         StatusIconChoice{"lock.fill", "Focus locked"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        controller->focusLockManager().unlock();
        editor.activate();
        scene.desktop.drain();
        pins->states.clear();
        pins->frontPinned = false;
        c.setUp(*this);
        const KitMenu items = menu();
        ASSERT_EQ(items.size(), 8u);
        EXPECT_EQ(item(items, kHeader).title, "Rev & Uzidu");
        EXPECT_EQ(item(items, kFocusState).title, c.focusState);
        EXPECT_FALSE(item(items, kFocusState).enabled);
        EXPECT_EQ(item(items, kPinned).title, c.pinned);
        EXPECT_EQ(item(items, kToggleFocus).title, c.toggleFocus);
        EXPECT_EQ(item(items, kTogglePin).title, c.togglePin);
        EXPECT_EQ(!item(items, kReleaseAll).hidden, c.releaseAllShown);
        EXPECT_EQ(item(items, kSettings).title, "Rev & Uzidu Settings…");
        EXPECT_EQ(controller->statusToolTip(), c.toolTip);
        EXPECT_EQ(controller->statusImage(), c.image);
    }
}

TEST_F(Controller, KeyEquivalentsComeFromTheShortcuts) {
    make();
    scene.settings->setPinHotKey(HotKey{49, 0x900});  // Super+Alt+Space: no key equivalent
    scene.settings->setFocusHotKey(std::nullopt);
    scene.desktop.drain();
    const KitMenu items = menu();
    EXPECT_EQ(item(items, kTogglePin).keyEquivalent, "");
    EXPECT_EQ(item(items, kToggleFocus).keyEquivalent, "");
    EXPECT_EQ(item(items, kReleaseAll).keyEquivalent, "r");
    EXPECT_EQ(item(items, kReleaseAll).keyEquivalentModifierMask, kMenuOptionFlag | kMenuCommandFlag);
    EXPECT_EQ(item(items, kSettings).keyEquivalent, "");
    // The warning shows while Screen Recording is missing.
    EXPECT_TRUE(item(items, kWarning).hidden);
    scene.desktop.setScreenCaptureAccess(false);
    EXPECT_FALSE(item(menu(), kWarning).hidden);
}

TEST_F(Controller, HotKeysGesturesAndURLsActButNotWhileAShortcutIsRecorded) {
    make();
    EXPECT_TRUE(activity().gesturesAvailable.get());
    ASSERT_TRUE(scene.desktop.hotKeys().press(3, 0x900));  // Super+Alt+F
    EXPECT_EQ(controller->focusLockManager().lockedApplication()->pid, editor.pid());
    EXPECT_EQ(activity().lastHotKeyAt.get(), scene.desktop.clock().now());
    ASSERT_TRUE(scene.desktop.hotKeys().press(15, 0x900));  // Super+Alt+R
    EXPECT_FALSE(controller->focusLockManager().lockedApplication());
    EXPECT_EQ(pins->unpins, 1);

    // A three-finger tap pins, a press toggles the focus.
    const float three[] = {0.4f, 0.5f, 0.5f, 0.5f, 0.6f, 0.5f};
    MTBridgeFeedFrameForTesting(0, three, 3, 20.0);
    MTBridgeFeedFrameForTesting(0, nullptr, 0, 20.1);
    scene.desktop.drain();
    EXPECT_EQ(pins->toggles, 1);
    EXPECT_EQ(activity().lastGesture.get(), Gesture::threeFingerTap);

    controller->shared().recording->setRecording(true);
    EXPECT_FALSE(scene.desktop.hotKeys().holds(3, 0x900)) << "released while recording";
    scene.desktop.advance(1);
    MTBridgeFeedFrameForTesting(0, three, 3, 21.0);
    MTBridgeFeedFrameForTesting(0, three, 3, 21.4);
    scene.desktop.drain();
    EXPECT_EQ(activity().lastGesture.get(), Gesture::threeFingerPress) << "noted all the same";
    EXPECT_FALSE(controller->focusLockManager().lockedApplication()) << "but not performed";
    controller->togglePin();
    controller->releaseAllFromMenu();
    EXPECT_EQ(pins->toggles, 1);
    EXPECT_EQ(pins->unpins, 1);
    // The menu's focus and pin items still act.
    controller->toggleFocusFromMenu();
    controller->togglePreviewFromMenu();
    EXPECT_TRUE(controller->focusLockManager().lockedApplication());
    EXPECT_EQ(pins->toggles, 2);

    controller->shared().recording->setRecording(false);
    EXPECT_TRUE(scene.desktop.hotKeys().holds(3, 0x900)) << "registered again when recording ends";
}

TEST_F(Controller, AGestureMappedToNoneDoesNothingAtAll) {
    make();
    scene.settings->setTapGestureAction(GestureAction::none);
    scene.desktop.drain();
    const int before = refreshes;
    controller->handleGesture(Gesture::threeFingerTap);
    EXPECT_EQ(refreshes, before);
    EXPECT_EQ(pins->toggles, 0);
    EXPECT_EQ(activity().lastGesture.get(), Gesture::threeFingerTap);
}

TEST_F(Controller, OnlyAChangedShortcutRegistersTheHotKeysAgain) {
    make();
    const std::uint32_t idsBefore = controller->hotKeyManager().nextHotKeyID();
    const int appliedBefore = pins->settingsApplied;
    scene.settings->setPinOpacity(0.5);
    scene.desktop.drain();
    EXPECT_EQ(controller->hotKeyManager().nextHotKeyID(), idsBefore);
    EXPECT_GT(pins->settingsApplied, appliedBefore);
    scene.settings->setPinHotKey(HotKey{35, 0x1100});
    scene.desktop.drain();
    EXPECT_EQ(controller->hotKeyManager().nextHotKeyID(), idsBefore + 3);
    EXPECT_TRUE(scene.desktop.hotKeys().holds(35, 0x1100));
}

TEST_F(Controller, ATakenShortcutReachesTheActivityMonitorAndClearsOnSuccess) {
    scene.desktop.hotKeys().occupy(3, 0x900);
    make();
    EXPECT_EQ(activity().hotKeyRegistrationError.get(),
              "Super+Alt+F is held by another program. Record another shortcut in Settings, Shortcuts.");
    EXPECT_TRUE(scene.desktop.hotKeys().holds(35, 0x900)) << "the others still register";
    scene.settings->setFocusHotKey(HotKey{3, 0x1900});
    scene.desktop.drain();
    EXPECT_FALSE(activity().hotKeyRegistrationError.get().has_value());
}

TEST_F(Controller, LaunchArgumentsOpenTheKitsWindows) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> opened;
    };
    const Case cases[] = {
        {{"--open-settings=shortcuts"}, {"settings shortcuts"}},
        {{"--open-settings="}, {"settings -"}},
        {{"--open-settings=nonsense"}, {"settings -"}},
        {{"--open-settings", "--open-settings=focus"}, {"settings -"}},
        {{"--open-settings=pin", "--open-onboarding"}, {"settings pin", "onboarding"}},
        {{"--open-settingsx"}, {}},
    };
    for (const Case& c : cases) {
        opened.clear();
        if (controller) controller->stop();
        make(c.arguments);
        EXPECT_EQ(opened, c.opened) << c.arguments.front();
    }
}

TEST_F(Controller, StartShowsOnboardingUntilItIsCompletedAndLogsTheStart) {
    make();
    EXPECT_TRUE(opened.empty());
    controller->stop();
    scene.settings->setHasCompletedOnboarding(false);
    scene.desktop.environment().arguments = {};
    KitShared shared = controller->shared();
    controller = std::make_unique<TenvikController>(scene.desktop.services(), shared, "org.vomira.Arvelo",
                                                    std::make_unique<FakePins>());
    controller->windows.showOnboarding = [this] { opened.push_back("onboarding"); };
    controller->startGestures = [](GestureMonitor& monitor) { return monitor.startWithStandInDevices(1); };
    controller->start();
    EXPECT_EQ(opened, std::vector<std::string>{"onboarding"});
    const auto lines = scene.logLines("app");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("info: Rev & Uzidu started pid=", 0) == 0; }),
              2);
}

TEST_F(Controller, WithoutATouchpadGesturesAreUnavailableAndTheRestWorks) {
    make();
    controller->stop();
    KitShared shared = controller->shared();
    controller = std::make_unique<TenvikController>(scene.desktop.services(), shared, "org.vomira.Arvelo",
                                                    std::make_unique<FakePins>());
    controller->startGestures = [](GestureMonitor& monitor) { return monitor.startWithStandInDevices(0); };
    controller->start();
    EXPECT_FALSE(activity().gesturesAvailable.get());
    EXPECT_EQ(activity().gesturesUnavailableReason.get(), GestureMonitor::kNoTouchpadReason);
    const auto lines = scene.logLines("gesture");
    // One line at info says why; nothing is an error.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("info: ") + GestureMonitor::kNoTouchpadReason), 1);
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("error"); }));
    EXPECT_TRUE(scene.desktop.hotKeys().holds(3, 0x900));
}

}  // namespace
}  // namespace tenvik
