// SPDX-License-Identifier: MIT
// SettingsWindowTests.cpp: the settings window (one per controller, tabs by raw value, the
// polling claim) and the behaviour of each tab over the shared settings, activity and
// permissions objects.
#include "KitWindowsScene.h"
#include "TenvikKit/Gestures/GestureMonitor.h"
#include "TenvikKit/Views/FocusSettingsTab.h"

#include <QScrollArea>
#include <QScrollBar>
#include "TenvikKit/Views/GeneralSettingsTab.h"
#include "TenvikKit/Views/KitWindow.h"
#include "TenvikKit/Views/PermissionsSettingsTab.h"
#include "TenvikKit/Views/PinSettingsTab.h"
#include "TenvikKit/Views/SettingsWindowController.h"
#include "TenvikKit/Views/ShortcutsSettingsTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace tenvik {
namespace {

using Owner = PermissionsManager::PollingOwner;

// Shown as part of its window (hidden widgets of an unshown window count as hidden).
bool shown(const QWidget* widget) { return !widget->isHidden() && widget->isVisibleTo(widget->window()); }

class SettingsWindow : public ::testing::Test {
public:
    test::KitWindowsScene scene;
    SettingsWindowController controller{scene.context};
    PermissionsManager& permissions() { return *scene.context.shared.permissions; }
};

TEST_F(SettingsWindow, OneWindowBroughtBackOnTheTabAskedFor) {
    EXPECT_FALSE(controller.window());
    controller.show(std::nullopt);
    KitWindow* window = controller.window();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle().toStdString(), "Vomira \u2014 Rev & Uzidu Settings");
    EXPECT_EQ(window->size(), QSize(560, 460));
    EXPECT_EQ(controller.tabs()->currentWidget()->objectName(), "general");
    EXPECT_TRUE(permissions().pollingOwners().contains(Owner::settings));
    QStringList titles;
    for (int i = 0; i < controller.tabs()->count(); ++i) titles << controller.tabs()->tabText(i);
    EXPECT_EQ(titles, (QStringList{"General", "Shortcuts", "Focus", "Pin", "Permissions"}));

    controller.show(SettingsTab::permissions);
    EXPECT_EQ(controller.window(), window);
    EXPECT_EQ(controller.tabs()->currentWidget()->objectName(), "permissions");

    // Closing releases the settings claim only; the guide's claim keeps the timer. The window
    // is only hidden: shown again, it is the same native window.
    const WId native = window->winId();
    permissions().startPolling(Owner::onboarding);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(permissions().pollingOwners().contains(Owner::settings));
    EXPECT_TRUE(permissions().isPolling());

    // Reopened without a tab: the same window on the tab it had.
    controller.show(std::nullopt);
    EXPECT_EQ(controller.window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->winId(), native);
    EXPECT_EQ(controller.tabs()->currentWidget()->objectName(), "permissions");

    // Choosing a tab writes the shared state.
    controller.tabs()->setCurrentIndex(3);
    EXPECT_EQ(controller.state().selectedTab.get(), SettingsTab::pin);
    controller.show(SettingsTab::focus);
    EXPECT_EQ(controller.tabs()->currentWidget()->objectName(), "focus");
}

TEST_F(SettingsWindow, ATabChosenBeforeTheFirstShowIsTheOneShown) {
    controller.state().selectedTab = SettingsTab::permissions;
    controller.show(std::nullopt);
    EXPECT_EQ(controller.tabs()->currentWidget()->objectName(), "permissions");
    EXPECT_EQ(settingsTabFromRawValue("Pin"), std::nullopt);
    EXPECT_EQ(settingsTabFromRawValue(" pin"), std::nullopt);
    EXPECT_EQ(settingsTabFromRawValue("pin"), SettingsTab::pin);
}

TEST_F(SettingsWindow, GeneralTabLaunchAtLoginAndTheGuide) {
    GeneralSettingsTab tab(scene.context);
    tab.show();
    auto* launch = tab.findChild<QCheckBox*>("launchAtLogin");
    auto* error = tab.findChild<QLabel*>("launchAtLoginError");
    EXPECT_FALSE(launch->isChecked());
    launch->click();
    EXPECT_TRUE(launch->isChecked());
    EXPECT_TRUE(std::filesystem::exists(scene.autostart / "autostart" / platform::LoginItem::kFileName));
    EXPECT_TRUE(scene.settings().launchAtLoginRequested());
    EXPECT_FALSE(shown(error));
    EXPECT_FALSE(shown(tab.findChild<QLabel*>("launchAtLoginPending")));
    launch->click();
    EXPECT_FALSE(launch->isChecked());

    // A folder that cannot be written: the red text, and the switch shows the real status.
    std::filesystem::remove_all(scene.autostart / "autostart");
    std::ofstream(scene.autostart / "autostart") << "a file where the folder should be";
    launch->click();
    EXPECT_FALSE(launch->isChecked());
    EXPECT_TRUE(shown(error));
    EXPECT_EQ(error->text().toStdString(), GeneralSettingsTab::kLaunchAtLoginError);
    tab.hide();
    tab.show();  // shown again: the status is re-read, the error stays
    EXPECT_TRUE(shown(error));

    tab.findChild<QPushButton*>("showWelcomeGuide")->click();
    EXPECT_EQ(scene.onboardingRequests, 1);
    EXPECT_FALSE(scene.settings().hasCompletedOnboarding());
}

TEST_F(SettingsWindow, ShortcutsTabGesturesAndRegistrationErrors) {
    ShortcutsSettingsTab tab(scene.context);
    tab.show();
    ActivityMonitor& activity = *scene.context.shared.activity;
    auto* unavailable = tab.findChild<QWidget*>("gesturesUnavailableRow");
    activity.gesturesAvailable = false;
    activity.gesturesUnavailableReason = std::string("No touchpad was found.");
    EXPECT_TRUE(shown(unavailable));
    EXPECT_TRUE(tab.tapPicker()->isEnabled());
    QStringList options;
    for (int i = 0; i < tab.tapPicker()->count(); ++i) options << tab.tapPicker()->itemText(i);
    EXPECT_EQ(options, (QStringList{"None", "Toggle Pin", "Toggle Focus", "Release All"}));
    tab.tapPicker()->activated(3);
    tab.holdPicker()->activated(3);
    EXPECT_EQ(scene.settings().tapGestureAction(), GestureAction::releaseAll);
    EXPECT_EQ(scene.settings().pressGestureAction(), GestureAction::releaseAll);
    activity.gesturesAvailable = true;
    EXPECT_FALSE(shown(unavailable));

    EXPECT_EQ(tab.recorder(0)->hotKey(), AppSettings::kDefaultPinHotKey);
    scene.settings().setFocusHotKey(std::nullopt);
    EXPECT_EQ(tab.recorder(1)->displayedText(), "Click to record");
    tab.recorder(2)->onChange(HotKey{40, 0x300});
    EXPECT_EQ(scene.settings().releaseAllHotKey(), (HotKey{40, 0x300}));
    EXPECT_EQ(tab.recorder(2)->hotKey(), (HotKey{40, 0x300}));

    auto* error = tab.findChild<QLabel*>("hotKeyRegistrationError");
    auto* errorRow = tab.findChild<QWidget*>("hotKeyRegistrationErrorRow");
    EXPECT_FALSE(shown(errorRow));
    activity.hotKeyRegistrationError =
        std::string("Super+Alt+F is held by another program. Record another shortcut in Settings, Shortcuts.");
    EXPECT_TRUE(shown(errorRow));
    EXPECT_EQ(error->text().toStdString(),
              "Super+Alt+F is held by another program. Record another shortcut in Settings, Shortcuts.");
    activity.hotKeyRegistrationError = std::nullopt;
    EXPECT_FALSE(shown(errorRow));
}

TEST_F(SettingsWindow, PinTabShowsAndWritesTheThreeSettings) {
    struct Percent {
        double opacity;
        const char* text;
    };
    for (const Percent& p :
         {Percent{1.0, "100%"}, Percent{0.1, "10%"}, Percent{0.125, "13%"}, Percent{0.994, "99%"}, Percent{0.5, "50%"}})
        EXPECT_EQ(PinSettingsTab::percentText(p.opacity).toStdString(), p.text);

    // Out-of-range values from the defaults file come in clamped.
    scene.desktop.services().defaults->setValues(
        {{AppSettings::kPinOpacityKey, 7.0}, {AppSettings::kPinIdleFPSKey, 12}});
    test::KitWindowsScene fresh;
    fresh.desktop.services().defaults->setValues(
        {{AppSettings::kPinOpacityKey, -3.0}, {AppSettings::kPinIdleFPSKey, 12}});
    fresh.context.shared = KitShared::make(fresh.desktop.services(), std::string("org.vomira.Arvelo"), fresh.center);
    PinSettingsTab clamped(fresh.context);
    EXPECT_EQ(clamped.opacityLabel()->text(), "10%");
    EXPECT_EQ(clamped.frameRatePicker()->currentText(), "10 fps");

    PinSettingsTab tab(scene.context);
    EXPECT_EQ(tab.opacityLabel()->text(), "100%");
    tab.opacitySlider()->setValue(500);
    EXPECT_DOUBLE_EQ(scene.settings().pinOpacity(), 0.5);
    EXPECT_EQ(tab.opacityLabel()->text(), "50%");
    tab.opacitySlider()->setValue(0);  // the slider stops at 10 %
    EXPECT_DOUBLE_EQ(scene.settings().pinOpacity(), 0.1);
    QStringList rates;
    for (int i = 0; i < tab.frameRatePicker()->count(); ++i) rates << tab.frameRatePicker()->itemText(i);
    EXPECT_EQ(rates, (QStringList{"5 fps", "10 fps", "15 fps", "30 fps"}));
    tab.frameRatePicker()->activated(3);
    EXPECT_EQ(scene.settings().pinIdleFPS(), 30);
    tab.borderSwitch()->click();
    EXPECT_FALSE(scene.settings().pinShowsBorder());
    scene.settings().setPinShowsBorder(true);  // changed elsewhere: the tab follows
    EXPECT_TRUE(tab.borderSwitch()->isChecked());
}

TEST_F(SettingsWindow, PermissionsTabShowsTheDesktopAsItIs) {
    struct Case {
        const char* what;
        bool windowManager, compositing;
        const char* touchpadReason;  // none when null
        std::vector<std::string> states;
        std::vector<bool> remedies;
    };
    const Case cases[] = {
        {"all there",
         true,
         true,
         nullptr,
         {"This is an X11 session.", "An EWMH window manager is running.", "A compositing manager is running.",
          "The touchpad under /dev/input can be read."},
         {false, false, false, false}},
        {"bare X server, no access to /dev/input",
         false,
         false,
         GestureMonitor::kNoPermissionReason,
         {"This is an X11 session.", "No EWMH window manager is running.",
          "No compositing manager is running: panels are drawn opaque.", "No permission to read /dev/input."},
         {false, true, true, true}},
        {"no touchpad",
         true,
         false,
         GestureMonitor::kNoTouchpadReason,
         {"This is an X11 session.", "An EWMH window manager is running.",
          "No compositing manager is running: panels are drawn opaque.", "No touchpad was found."},
         {false, false, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::KitWindowsScene local;
        local.desktop.setTrusted(c.windowManager);
        local.desktop.panels().compositing = c.compositing;
        local.context.shared.permissions->refresh();
        local.context.shared.activity->gesturesAvailable = c.touchpadReason == nullptr;
        if (c.touchpadReason) local.context.shared.activity->gesturesUnavailableReason = std::string(c.touchpadReason);
        PermissionsSettingsTab tab(local.context);
        tab.show();
        std::vector<std::string> states;
        std::vector<bool> remedies;
        for (const RequirementRow* row : tab.requirements()->rows()) {
            states.push_back(row->stateLabel()->text().toStdString());
            remedies.push_back(shown(row->remedyLabel()));
        }
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(remedies, c.remedies);
        EXPECT_TRUE(shown(tab.findChild<QLabel*>("noPromptNote")));
        EXPECT_TRUE(tab.findChildren<QPushButton*>().empty()) << "nothing to press";
    }
    // Polling flips a row while the window is open.
    controller.show(SettingsTab::permissions);
    scene.desktop.setTrusted(false);
    scene.desktop.advance(1.0);
    EXPECT_EQ(controller.permissionsTab()->requirements()->rows()[1]->icon()->accessibleName(), "Missing");
}

class FocusTab : public SettingsWindow {
public:
    std::vector<std::string> rowIDs(const FocusSettingsTab& tab) {
        std::vector<std::string> ids;
        for (const auto& app : tab.apps()) ids.push_back(app.id);
        return ids;
    }
};

TEST_F(FocusTab, RowsKeyedByTheNormalisedIdentifier) {
    scene.settings().setFocusAllowedApplicationIDs({" XTerm", "xterm", "org.gnome.Nautilus", "gone.App"});
    FocusSettingsTab tab(scene.context);
    tab.show();
    EXPECT_EQ(rowIDs(tab), (std::vector<std::string>{"org.gnome.Nautilus", "gone.App", "xterm"}));
    EXPECT_EQ(tab.apps()[1].name, "Unavailable app");
    EXPECT_FALSE(tab.apps()[1].installed);
    EXPECT_EQ(tab.apps()[2].name, "XTerm");
    auto* row = tab.findChild<QWidget*>("app xterm");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->findChild<QPushButton*>("remove")->accessibleName(), "Remove XTerm from allowed apps");

    // Removing the row takes every stored form of it.
    tab.remove("xterm");
    EXPECT_EQ(scene.settings().focusAllowedApplicationIDs(), (std::vector<std::string>{"org.gnome.Nautilus", "gone.App"}));
    EXPECT_EQ(rowIDs(tab), (std::vector<std::string>{"org.gnome.Nautilus", "gone.App"}));

    scene.settings().setFocusAllowedApplicationIDs({});
    EXPECT_TRUE(tab.apps().empty());
    EXPECT_TRUE(shown(tab.findChild<QLabel*>("noApps")));
}

TEST_F(FocusTab, ALongListBuildsItsRowsAsItIsScrolled) {
    std::vector<std::string> allowed;
    for (int i = 0; i < 20000; ++i) allowed.push_back("org.example.App" + std::to_string(i));
    scene.settings().setFocusAllowedApplicationIDs(allowed);
    FocusSettingsTab tab(scene.context);
    tab.resize(600, 500);
    tab.show();
    // Laid out, and the rows a rebuild replaced gone.
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(tab.apps().size(), 20000u);
    EXPECT_EQ(tab.builtRows(), FocusSettingsTab::kRowBatch);
    EXPECT_EQ(tab.findChildren<QPushButton*>("remove").size(), FocusSettingsTab::kRowBatch);

    // Scrolled to the end of what is built: the next batch, and no more.
    auto* bar = tab.findChild<QScrollArea*>()->verticalScrollBar();
    for (int round = 0; round < 20 && bar->maximum() == 0; ++round) QApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    EXPECT_EQ(tab.builtRows(), 2 * FocusSettingsTab::kRowBatch);
    EXPECT_TRUE(tab.findChild<QWidget*>(QString::fromStdString("app " + tab.apps()[150].id)));

    // A change of the list starts again from the first batch.
    tab.remove(tab.apps().front().id);
    EXPECT_EQ(tab.apps().size(), 19999u);
    EXPECT_EQ(tab.builtRows(), FocusSettingsTab::kRowBatch);
}

TEST_F(FocusTab, TheChooserAddsTheIdentifierTheWindowsReport) {
    scene.settings().setFocusAllowedApplicationIDs({" XTerm"});
    FocusSettingsTab tab(scene.context);
    tab.show();
    tab.chooseApp();
    ASSERT_TRUE(tab.chooser());
    EXPECT_TRUE(tab.isChoosingApp());
    EXPECT_FALSE(tab.addButton()->isEnabled());
    tab.chooseApp();  // a second request while it is up does nothing
    ApplicationChooser* chooser = tab.chooser();
    EXPECT_EQ(chooser->windowTitle(), "Add Allowed App");
    EXPECT_EQ(chooser->list()->count(), 3);
    chooser->searchField()->setText("fil");
    int visible = 0;
    for (int i = 0; i < chooser->list()->count(); ++i) visible += chooser->list()->item(i)->isHidden() ? 0 : 1;
    EXPECT_EQ(visible, 1);
    ASSERT_TRUE(chooser->selected());
    EXPECT_EQ(chooser->selected()->name, "Files");
    chooser->addButton()->click();
    EXPECT_FALSE(tab.isChoosingApp());
    EXPECT_TRUE(tab.addButton()->isEnabled());
    EXPECT_EQ(scene.settings().focusAllowedApplicationIDs(), (std::vector<std::string>{" XTerm", "org.gnome.Nautilus"}));

    // XTerm is stored in a raw form already: adding it again changes nothing.
    tab.finishChoosing(scene.installed[0]);
    EXPECT_EQ(scene.settings().focusAllowedApplicationIDs(), (std::vector<std::string>{" XTerm", "org.gnome.Nautilus"}));
    EXPECT_EQ(rowIDs(tab), (std::vector<std::string>{"org.gnome.Nautilus", "xterm"}));

    // A running copy names the identifier stored: "UXTerm" from the program "uxterm".
    platform::RunningApplication uxterm;
    uxterm.pid = 42;
    uxterm.applicationID = "UXTerm";
    uxterm.localizedName = "uxterm";
    scene.context.runningApplications = [uxterm] { return std::vector<platform::RunningApplication>{uxterm}; };
    FocusSettingsTab withRunning(scene.context);
    withRunning.finishChoosing(DesktopEntry{"debian-uxterm", "UXTerm", "", "debian-uxterm", "uxterm"});
    EXPECT_EQ(scene.settings().focusAllowedApplicationIDs(),
              (std::vector<std::string>{" XTerm", "org.gnome.Nautilus", "uxterm"}));

    // A 5,000-character name is shortened in its row.
    tab.finishChoosing(scene.installed[2]);
    auto* longRow = tab.findChild<QWidget*>("app long.App");
    ASSERT_TRUE(longRow);
    EXPECT_LT(longRow->findChild<QLabel*>("name")->text().size(), 200);

    // A cancelled chooser changes nothing and says nothing; an unusable pick says so.
    tab.chooseApp();
    tab.chooser()->reject();
    EXPECT_FALSE(tab.selectionError());
    tab.finishChoosing(DesktopEntry{"bad id", "Bad", "", "bad id"});
    EXPECT_EQ(tab.selectionError(), std::string(FocusSettingsTab::kSelectionError));
    EXPECT_TRUE(shown(tab.findChild<QLabel*>("selectionError")));
    tab.chooseApp();  // opening again clears it
    EXPECT_FALSE(tab.selectionError());
    tab.chooser()->reject();
}

TEST_F(FocusTab, ClosingTheWindowWithTheChooserUpCancelsIt) {
    controller.show(SettingsTab::focus);
    FocusSettingsTab* tab = controller.focusTab();
    tab->chooseApp();
    ASSERT_TRUE(tab->isChoosingApp());
    controller.window()->close();
    EXPECT_FALSE(tab->isChoosingApp());
    controller.show(std::nullopt);
    EXPECT_TRUE(tab->addButton()->isEnabled());
    EXPECT_EQ(scene.settings().focusAllowedApplicationIDs(), AppSettings::defaultFocusAllowedApplicationIDs());
}

}  // namespace
}  // namespace tenvik
