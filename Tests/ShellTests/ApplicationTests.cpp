// SPDX-License-Identifier: MIT
// ApplicationTests.cpp: the application delegate on the simulated desktop: the launch sequence
// and its permissions rule, the workspace observers, the menu's state and actions, and the
// quit path (the deferred first quit, the 1.5 s retry, the session that ends) on the virtual
// clock.
#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Shell/Application.h"
#include "Platform/Sim/Desktop.h"
#include "TenvikKit/Controller/TenvikController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace arvelo;

namespace {

const Rect kNotes{100, 120, 640, 480};
const Rect kTodo{50, 60, 500, 400};

class ApplicationScene : public ::testing::Test {
protected:
    platform::sim::Desktop desktop;
    platform::sim::AppHandle editor =
        (desktop.addDisplay("Main", {1440, 900}), desktop.launch("org.example.Editor", "Editor"));
    std::unique_ptr<Application> app;
    std::vector<std::string> events;
    int terminations = 0;

    std::filesystem::path autostart() const { return desktop.temporaryFolder() / "config" / "autostart"; }

    void launch(std::vector<std::string> arguments = {}) {
        desktop.environment().arguments = std::move(arguments);
        app = std::make_unique<Application>(desktop.services(), LoginItem(autostart(), "/usr/bin/arvelo"));
        app->onInstallTerminationSignals = [this] { events.push_back("termination signals"); };
        app->onInstallStatusItem = [this] { events.push_back("status item"); };
        app->onStatusIconChange = [this](const std::string& toolTip) { events.push_back("tool tip " + toolTip); };
        app->onShowPermissions = [this] { events.push_back("permissions"); };
        app->onTerminate = [this] { ++terminations; };
        app->didFinishLaunching();
        settle();
    }

    // Lets a scan in flight run and merge, with everything that follows on the main queue.
    void settle() {
        desktop.runBackground();
        desktop.drain();
    }

    Coordinator& coordinator() { return *app->coordinator(); }

    const MenuItem* menuItem(const Menu& menu, const std::string& title) {
        for (const MenuItem& item : menu)
            if (item.title == title) return &item;
        return nullptr;
    }
};

}  // namespace

TEST_F(ApplicationScene, LaunchBuildsTheSystemInItsOrder) {
    desktop.setTrusted(true);
    desktop.defaults().setBoolean("shownPermissions", true);
    auto notes = editor.openWindow("notes", kNotes);
    launch();

    // The status item's first tool tip, then the kit's own report while it starts (idle: the
    // program's tool tip again).
    EXPECT_EQ(events,
              (std::vector<std::string>{"termination signals", "status item", "tool tip Vomira", "tool tip Vomira"}));
    ASSERT_TRUE(app->coordinator());
    ASSERT_TRUE(app->tenvik());
    EXPECT_TRUE(coordinator().automaticUpdates);
    EXPECT_FALSE(coordinator().access->includeFixture);
    EXPECT_TRUE(coordinator().timer && coordinator().timer->isValid()) << "the beat runs";
    EXPECT_NE(notes.frame(), kNotes) << "the first scan arranges";
    EXPECT_EQ(terminations, 0);
}

TEST_F(ApplicationScene, AStartShowsOneWindowAndThePermissionsWindowNotAgainOnceClosed) {
    const struct {
        bool trusted;
        bool guideDone;
        std::optional<platform::DefaultsValue> shownPermissions;
        bool shows;
    } cases[] = {
        // The first start: the welcome guide shows the desktop's rows, and nothing else opens.
        {false, false, std::nullopt, false},
        {true, false, std::nullopt, false},
        // Later starts: until the permissions window was closed once.
        {false, true, true, false},  // no window manager: the dashboard and status line say so
        {true, true, true, false},
        {true, true, std::nullopt, true},
        {false, true, std::nullopt, true},
        {true, true, false, true},
        {true, true, "true", true},  // a string is not a Boolean
        {true, true, 1, true},
    };
    for (const auto& c : cases) {
        platform::sim::Desktop fresh;
        fresh.setTrusted(c.trusted);
        fresh.defaults().setBoolean("settings.hasCompletedOnboarding", c.guideDone);
        if (c.shownPermissions) fresh.defaults().set("shownPermissions", *c.shownPermissions);
        Application application(fresh.services(), LoginItem(fresh.temporaryFolder() / "autostart", "/usr/bin/arvelo"));
        int shown = 0;
        application.onShowPermissions = [&] { ++shown; };
        application.didFinishLaunching();
        EXPECT_EQ(shown, c.shows ? 1 : 0)
            << "trusted " << c.trusted << ", guide done " << c.guideDone << ", shownPermissions "
            << (c.shownPermissions ? c.shownPermissions->dump() : "absent");
        // The first start counts as having seen the rows: the next start opens nothing.
        if (!c.guideDone) {
            EXPECT_EQ(fresh.defaults().boolean("shownPermissions"), true);
        }
    }
}

TEST_F(ApplicationScene, FixtureFlagsReachTheCoordinatorAndFixtureOnlyQuitsAfter180Seconds) {
    launch({"--dock-scenario"});
    EXPECT_TRUE(coordinator().access->includeFixture);
    desktop.advance(200);
    // Without the fixture's three windows the scenario cannot run: the program ends, with status 1.
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(app->exitStatus(), 1);

    platform::sim::Desktop other;
    int ended = 0;
    other.environment().arguments = {"--fixture-only"};
    Application timed(other.services(), LoginItem(other.temporaryFolder() / "autostart", "/usr/bin/arvelo"));
    timed.onTerminate = [&] { ++ended; };
    timed.didFinishLaunching();
    EXPECT_TRUE(timed.coordinator()->access->includeFixture);
    other.advance(179.9);
    EXPECT_EQ(ended, 0);
    other.advance(0.1);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(timed.terminated());
}

TEST_F(ApplicationScene, AnActivationRestacksTheTabBarsAtOnceAndAgainAShortWhileLater) {
    launch();
    int restacks = 0;
    auto bar = std::make_shared<ChromePanel>();
    bar->presenter.orderAbove = [&](ChromePanel&, std::uint32_t) { ++restacks; };
    coordinator().chrome->tabBars.push_back(bar);

    editor.activate();
    desktop.drain();
    EXPECT_EQ(restacks, 1);
    desktop.advance(0.149);
    EXPECT_EQ(restacks, 1);
    desktop.advance(0.001);
    EXPECT_EQ(restacks, 2);
}

TEST_F(ApplicationScene, ASpaceChangeRefreshesOnlyWhileArranging) {
    launch();
    ASSERT_TRUE(coordinator().managing.get());
    desktop.switchSpace(0, 2);
    desktop.drain();
    EXPECT_TRUE(coordinator().scanInFlight);
    settle();

    coordinator().restoreForQuit();  // keeps the next refreshes from arranging again
    settle();
    ASSERT_FALSE(coordinator().managing.get());
    desktop.switchSpace(0, 3);
    desktop.drain();
    EXPECT_FALSE(coordinator().scanInFlight);
}

TEST_F(ApplicationScene, QuittingWhileArrangedPutsTheWindowsBackAndQuitsOneAndAHalfSecondsLater) {
    auto notes = editor.openWindow("notes", kNotes);
    auto todo = editor.openWindow("todo", kTodo);
    launch();
    ASSERT_TRUE(coordinator().managing.get());
    ASSERT_NE(notes.frame(), kNotes);

    app->quit();
    EXPECT_EQ(terminations, 0) << "the first quit is refused";
    EXPECT_TRUE(app->waitingForRestoration());
    EXPECT_TRUE(coordinator().stopping);
    EXPECT_FALSE(coordinator().managing.get());
    desktop.advance(1.0);
    settle();
    EXPECT_EQ(notes.frame(), kNotes);
    EXPECT_EQ(todo.frame(), kTodo);
    EXPECT_FALSE(coordinator().managing.get()) << "nothing new is arranged while waiting";

    desktop.advance(0.49);
    EXPECT_EQ(terminations, 0);
    desktop.advance(0.01);
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(app->terminated());
    app->quit();
    EXPECT_EQ(terminations, 1) << "it ends once";
}

TEST_F(ApplicationScene, ASecondQuitWhileWaitingGoesThroughAtOnce) {
    editor.openWindow("notes", kNotes);
    launch();
    app->requestTerminate();  // a SIGTERM, say
    app->requestTerminate();  // and another
    EXPECT_EQ(terminations, 1);
    desktop.advance(2);
    EXPECT_EQ(terminations, 1);
}

TEST_F(ApplicationScene, QuittingWithNothingToPutBackQuitsAtOnce) {
    desktop.setTrusted(false);  // nothing arranged, nothing remembered
    launch();
    app->quit();
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(app->waitingForRestoration());
}

TEST_F(ApplicationScene, FreeAllWindowsStopsArrangingAndTheNextQuitIsImmediate) {
    auto notes = editor.openWindow("notes", kNotes);
    launch();
    app->restore();
    EXPECT_FALSE(coordinator().autoTile.get());
    EXPECT_EQ(coordinator().status.get(), Coordinator::kFreedStatus);
    desktop.advance(1.0);  // the windows are back and read back there
    EXPECT_EQ(notes.frame(), kNotes);
    app->quit();
    EXPECT_EQ(terminations, 1);

    // "Set Windows" turns automatic tiling back on and arranges after a refresh.
    app->arrange();
    EXPECT_TRUE(coordinator().autoTile.get());
}

TEST_F(ApplicationScene, SetWindowsArrangesAfterTheRefresh) {
    launch();
    auto notes = editor.openWindow("notes", kNotes);
    app->restore();
    app->arrange();
    settle();
    EXPECT_TRUE(coordinator().managing.get());
    EXPECT_NE(notes.frame(), kNotes);
}

TEST_F(ApplicationScene, AnEndingSessionIsNeverHeldUp) {
    auto notes = editor.openWindow("notes", kNotes);
    launch();
    app->sessionWillEnd();
    EXPECT_FALSE(coordinator().managing.get());
    desktop.advance(1.0);
    EXPECT_EQ(notes.frame(), kNotes) << "put back at once";
    app->requestTerminate();
    EXPECT_EQ(terminations, 1) << "no deferral";
}

TEST_F(ApplicationScene, TheMenuReflectsSavedLayoutsZoomedViewsAndTheSwitches) {
    editor.openWindow("notes", kNotes);
    launch();
    Menu menu = app->menuNeedsUpdate();
    EXPECT_EQ(menuItem(menu, "Show Everything"), nullptr);
    EXPECT_FALSE(menuItem(menu, "Window Map")->on);
    EXPECT_FALSE(menuItem(menu, "Open at Login")->on);

    coordinator().states.modify([](auto& states) { states.begin()->second.camera = Rect(0, 0, 0.5, 0.5); });
    SavedView later;
    later.id = 4;
    later.name = "Layout 4";
    SavedView earlier;
    earlier.id = 2;
    earlier.name = "Layout 2";
    coordinator().saved = std::vector<SavedView>{later, earlier};
    menuItem(menu, "Window Map")->trigger();

    menu = app->menuNeedsUpdate();
    EXPECT_NE(menuItem(menu, "Show Everything"), nullptr);
    EXPECT_TRUE(menuItem(menu, "Window Map")->on);
    EXPECT_EQ(desktop.defaults().boolean("windowMapEnabled"), true);
    const Menu& recall = menuItem(menu, "Saved Layouts")->submenu;
    ASSERT_EQ(recall.size(), 4u);
    EXPECT_EQ(recall[0].title, "Layout 2");
    EXPECT_EQ(recall[1].title, "Layout 4");

    // "Show Everything" selects the display under the pointer and shows its whole layout.
    coordinator().selectedDisplay = "elsewhere";
    desktop.movePointer({700, 400});
    menuItem(menu, "Show Everything")->trigger();
    EXPECT_EQ(coordinator().selectedDisplay.get(), coordinator().displays->front().id);
    EXPECT_FALSE(coordinator().states->begin()->second.camera);
    EXPECT_EQ(menuItem(app->menuNeedsUpdate(), "Show Everything"), nullptr);
}

TEST_F(ApplicationScene, SavingFromTheMenuFillsTheSlotAndTheMenuOffersItForRecall) {
    auto notes = editor.openWindow("notes", kNotes);
    launch();
    const Menu before = app->menuNeedsUpdate();
    menuItem(before, "Saved Layouts")->submenu.back().submenu[2].trigger();  // Save Current Layout > Layout 3
    EXPECT_EQ(coordinator().status.get(), "Saved Layout 3.");

    const Menu menu = app->menuNeedsUpdate();
    const Menu& recall = menuItem(menu, "Saved Layouts")->submenu;
    ASSERT_EQ(recall.size(), 3u);
    EXPECT_EQ(recall[0].title.rfind("Layout 3  ·  ", 0), 0u) << recall[0].title;
    EXPECT_EQ(recall[0].keyEquivalent, "3");
    EXPECT_EQ(recall[2].submenu[2].title, "Layout 3 (replace)");

    const Rect tiled = notes.frame();
    notes.moveTo(kNotes);  // the user moves it away; recalling the slot puts it back in its tile
    recall[0].trigger();
    settle();
    desktop.advance(1.0);
    EXPECT_EQ(coordinator().status.get(), "Layout 3 restored.");
    EXPECT_EQ(notes.frame(), tiled);
}

TEST_F(ApplicationScene, OpenAtLoginSwitchesTheAutostartEntryAndReportsAFailure) {
    launch();
    menuItem(app->menuNeedsUpdate(), "Open at Login")->trigger();
    EXPECT_TRUE(std::filesystem::exists(autostart() / "org.vomira.Arvelo.desktop"));
    EXPECT_TRUE(menuItem(app->menuNeedsUpdate(), "Open at Login")->on);
    menuItem(app->menuNeedsUpdate(), "Open at Login")->trigger();
    EXPECT_FALSE(std::filesystem::exists(autostart() / "org.vomira.Arvelo.desktop"));

    // A file where the autostart folder should be.
    std::filesystem::remove_all(autostart());
    std::ofstream(autostart()) << "in the way";
    menuItem(app->menuNeedsUpdate(), "Open at Login")->trigger();
    EXPECT_EQ(coordinator().status->rfind("Couldn't change Open at Login: ", 0), 0u) << coordinator().status.get();
    EXPECT_FALSE(menuItem(app->menuNeedsUpdate(), "Open at Login")->on);
    // The tray's tool tip says so too, and keeps saying it after the status line moved on.
    const std::string told = "tool tip Vomira\n" + coordinator().status.get();
    EXPECT_EQ(events.back(), told);
    coordinator().status = "3 docked windows.";
    app->updateStatusIcon();
    EXPECT_EQ(events.back(), told);

    // A change that succeeds clears it.
    std::filesystem::remove(autostart());
    menuItem(app->menuNeedsUpdate(), "Open at Login")->trigger();
    EXPECT_TRUE(menuItem(app->menuNeedsUpdate(), "Open at Login")->on);
    EXPECT_EQ(events.back(), "tool tip Vomira");
}

TEST_F(ApplicationScene, HandedOverArgumentsRunTheirURLs) {
    EXPECT_EQ(Application::urlsAmong({"--fixture-only", "arvelo://arrange", "", "arvelo://map"}),
              (std::vector<std::string>{"arvelo://arrange", "arvelo://map"}));
}

TEST_F(ApplicationScene, ALaterLaunchWithoutArgumentsPresentsTheDashboard) {
    launch();
    int presented = 0;
    coordinator().setDashboardWindowMaker([&] {
        auto window = std::make_shared<HostedWindow>();
        window->present = [&] { ++presented; };
        return window;
    });
    app->handOver({"arvelo://map"});
    EXPECT_EQ(presented, 0);
    app->handOver({});
    EXPECT_EQ(presented, 1);
}

TEST_F(ApplicationScene, TheKitsWindowsOpenFromTheLaunchAndFromALaterLaunch) {
    desktop.environment().arguments = {"--open-settings=pin"};
    app = std::make_unique<Application>(desktop.services(), LoginItem(autostart(), "/usr/bin/arvelo"));
    std::vector<std::string> shown;
    app->onKitCreated = [&](tenvik::TenvikController& kit) {
        kit.windows.showSettings = [&](std::optional<tenvik::SettingsTab> tab) {
            shown.push_back(tab ? std::string(tenvik::rawValue(*tab)) : "settings");
        };
        kit.windows.showOnboarding = [&] { shown.push_back("onboarding"); };
    };
    app->didFinishLaunching();
    settle();
    // The launch's tab, then the guide of a first start.
    EXPECT_EQ(shown, (std::vector<std::string>{"pin", "onboarding"}));
    app->handOver({"--open-settings=focus", "arvelo://map"});
    app->handOver({"--open-settings=Focus"});
    app->handOver({"--open-onboarding"});
    EXPECT_EQ(shown, (std::vector<std::string>{"pin", "onboarding", "focus", "settings", "onboarding"}));
}

TEST_F(ApplicationScene, TheKitJoinsTheMenuTheStatusItemAndTheURLCommands) {
    editor.openWindow("notes", kNotes);
    editor.activate();
    launch();
    std::optional<tenvik::StatusIconChoice> image;
    app->onStatusImageChange = [&](const std::optional<tenvik::StatusIconChoice>& kit) { image = kit; };

    Menu menu = app->menuNeedsUpdate();
    ASSERT_TRUE(menuItem(menu, "Rev & Uzidu"));
    EXPECT_FALSE(menuItem(menu, "Rev & Uzidu")->enabled);
    ASSERT_TRUE(menuItem(menu, "Focus: Off"));
    const MenuItem* focus = menuItem(menu, "Focus Current App");
    ASSERT_TRUE(focus);
    EXPECT_EQ(focus->keyEquivalent, "f");
    EXPECT_EQ(focus->keyEquivalentModifierMask, tenvik::kMenuOptionFlag | tenvik::kMenuCommandFlag);
    EXPECT_FALSE(menuItem(menu, "Release All")) << "hidden while nothing is held";
    // The kit's items sit between the arranger's and "Open at Login".
    EXPECT_LT(menuItem(menu, "Rev & Uzidu"), menuItem(menu, "Open at Login"));

    // Super+Alt+F locks the focus on the editor.
    ASSERT_TRUE(desktop.hotKeys().press(3, 0x900));
    menu = app->menuNeedsUpdate();
    EXPECT_TRUE(menuItem(menu, "Focus: Editor"));
    EXPECT_TRUE(menuItem(menu, "Release Focus"));
    EXPECT_TRUE(menuItem(menu, "Release All"));
    EXPECT_EQ(events.back(), "tool tip Focus: Editor");
    EXPECT_EQ(image, (tenvik::StatusIconChoice{"lock.fill", "Focus locked"}));

    app->open({"arvelo://release-all"});
    EXPECT_FALSE(app->tenvik()->focusLockManager().lockedApplication());
    EXPECT_EQ(events.back(), "tool tip Vomira");
    EXPECT_FALSE(image.has_value());

    // The arranger's keys keep working beside the kit's.
    EXPECT_TRUE(desktop.hotKeys().holds(49, 0x1800));
    app->requestTerminate();
    desktop.advance(2);
    EXPECT_FALSE(desktop.hotKeys().holds(3, 0x900)) << "the kit's keys are released at termination";
}

TEST_F(ApplicationScene, AKitShortcutTakenByAnotherProgramIsToldOnTheStatusLine) {
    desktop.hotKeys().occupy(3, 0x900);
    launch();
    // The kit registers while the program starts; its failure went to the status line then.
    const auto logged = desktop.log().entries();
    EXPECT_TRUE(std::any_of(logged.begin(), logged.end(), [](const auto& entry) {
        return entry.message == "Super+Alt+F is held by another program";
    }));
    // Clearing that shortcut clears the error; choosing another taken one tells again.
    app->tenvik()->shared().settings->setFocusHotKey(std::nullopt);
    desktop.hotKeys().occupy(35, 0x1900);
    app->tenvik()->shared().settings->setPinHotKey(tenvik::HotKey{35, 0x1900});
    desktop.drain();
    EXPECT_EQ(coordinator().status.get(), std::string(Application::kKitShortcutInUseStatus) +
                                              "Super+Ctrl+Alt+P is held by another program. Record another "
                                              "shortcut in Settings, Shortcuts.");
}

TEST_F(ApplicationScene, APinnedWindowLeavesTheLayoutAndComesHomeWhenUnpinned) {
    auto notes = editor.openWindow("notes", kNotes);
    auto todo = editor.openWindow("todo", kTodo);
    desktop.liveCapture().answersAtOnce = true;
    launch();
    ASSERT_TRUE(coordinator().managing.get());
    const auto bringNotesForward = [&] {
        notes.raise();
        editor.activate();
        settle();
    };
    bringNotesForward();
    const Rect tiledNotes = notes.frame();
    const Rect tiledTodo = todo.frame();

    app->open({"arvelo://pin"});
    settle();
    EXPECT_EQ(app->tenvik()->pinnedWindowIDs(), std::vector<std::uint32_t>{notes.number()});
    EXPECT_EQ(coordinator().pinned.size(), 1u);
    desktop.advance(1.0);
    settle();
    EXPECT_EQ(notes.frame(), tiledNotes) << "the pinned window stays under its preview";
    EXPECT_GT(todo.frame().width * todo.frame().height, tiledTodo.width * tiledTodo.height)
        << "the other window takes the pinned one's tile";

    bringNotesForward();
    app->open({"arvelo://pin"});
    settle();
    EXPECT_TRUE(app->tenvik()->pinnedWindowIDs().empty());
    EXPECT_TRUE(coordinator().pinned.empty());
    desktop.advance(2.0);
    settle();
    EXPECT_EQ(notes.frame(), tiledNotes);
    EXPECT_EQ(todo.frame(), tiledTodo);
}
