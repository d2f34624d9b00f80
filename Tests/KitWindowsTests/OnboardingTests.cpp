// SPDX-License-Identifier: MIT
// OnboardingTests.cpp: the welcome guide: one window, closing marks onboarding completed and
// releases its polling claim, "Done", the try-it wording and the activity dot.
#include "KitWindowsScene.h"
#include "TenvikKit/Gestures/GestureMonitor.h"
#include "TenvikKit/Views/KitWindow.h"
#include "TenvikKit/Views/OnboardingView.h"
#include "TenvikKit/Views/OnboardingWindowController.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tenvik {
namespace {

using Owner = PermissionsManager::PollingOwner;

class Onboarding : public ::testing::Test {
public:
    test::KitWindowsScene scene;
    OnboardingWindowController controller{scene.context};
    PermissionsManager& permissions() { return *scene.context.shared.permissions; }
};

TEST_F(Onboarding, OneWindowAndClosingCompletesOnboarding) {
    controller.show();
    KitWindow* window = controller.window();
    ASSERT_TRUE(window);
    controller.show();
    EXPECT_EQ(controller.window(), window);
    EXPECT_EQ(window->windowTitle(), "Welcome to Rev & Uzidu");
    EXPECT_EQ(window->size(), QSize(520, 560));
    EXPECT_TRUE(permissions().pollingOwners().contains(Owner::onboarding));
    permissions().startPolling(Owner::settings);

    window->close();  // the close button, without "Done"
    EXPECT_TRUE(scene.settings().hasCompletedOnboarding());
    EXPECT_FALSE(permissions().pollingOwners().contains(Owner::onboarding));
    EXPECT_TRUE(permissions().isPolling());  // the settings window still holds it

    controller.show();
    EXPECT_EQ(controller.window(), window);
    EXPECT_TRUE(window->isVisible());
    int saves = 0;
    const auto counting = scene.center.observe(AppSettings::kDidChangeNotification, [&] { ++saves; });
    controller.view()->doneButton()->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(saves, 2);  // "Done", then the close

    // Return is "Done".
    controller.show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(saves, 4);
}

TEST_F(Onboarding, TryItWordingAndTheActivityDot) {
    controller.show();
    OnboardingView& view = *controller.view();
    ActivityMonitor& activity = *scene.context.shared.activity;
    struct Case {
        bool gestures;
        std::optional<HotKey> pin;
        QStringList lines;
    };
    const Case cases[] = {
        {true, HotKey{35, 0x900}, {"Tap the touchpad with three fingers", "or press Super+Alt+P"}},
        {true, std::nullopt, {"Tap the touchpad with three fingers"}},
        {false, HotKey{35, 0x900}, {"Press Super+Alt+P"}},
        {false, std::nullopt, {"Enable a shortcut in Settings to try pinning."}},
    };
    for (const Case& c : cases) {
        activity.gesturesAvailable = c.gestures;
        scene.settings().setPinHotKey(c.pin);
        EXPECT_EQ(view.stepThreeLines(), c.lines);
    }

    // A kit shortcut lights the dot; inputs a second apart keep it lit.
    activity.lastHotKeyAt = 100.0;
    EXPECT_TRUE(view.activityHighlighted());
    EXPECT_EQ(view.stepThreeLines().front(), "Input detected");
    scene.desktop.advance(1.0);
    activity.lastGestureAt = 101.0;
    scene.desktop.advance(1.0);
    EXPECT_TRUE(view.activityHighlighted());
    EXPECT_EQ(view.activityPulseCount(), 2u);
    activity.lastGestureAt = std::nullopt;  // a change to nothing pulses too
    EXPECT_EQ(view.activityPulseCount(), 3u);
    scene.desktop.advance(1.51);
    EXPECT_FALSE(view.activityHighlighted());
    EXPECT_EQ(view.stepThreeLines(), (QStringList{"Enable a shortcut in Settings to try pinning."}));
}

TEST_F(Onboarding, TheFirstStepShowsWhatCanBeMissingAndFollowsPolling) {
    scene.desktop.setTrusted(false);
    scene.desktop.panels().compositing = false;
    controller.show();
    OnboardingView& view = *controller.view();
    const auto marks = [&view] {
        QStringList marks;
        for (const RequirementRow* row : view.requirements()->rows())
            if (!row->isHidden()) marks << row->texts().front() + ": " + row->icon()->accessibleName();
        return marks;
    };
    // The X11 session is always there while this runs: not a step.
    EXPECT_EQ(marks(),
              (QStringList{"Window manager: Missing", "Compositing manager: Missing", "Touchpad access: Missing"}));
    scene.desktop.setTrusted(true);
    scene.desktop.panels().compositing = true;
    scene.desktop.advance(1.0);
    EXPECT_EQ(marks(),
              (QStringList{"Window manager: Available", "Compositing manager: Available", "Touchpad access: Missing"}));
    // Without read access to /dev/input the row says how to get it.
    scene.context.shared.activity->gesturesUnavailableReason = std::string(GestureMonitor::kNoPermissionReason);
    const RequirementRow* touchpad = view.requirements()->rows()[2];
    EXPECT_EQ(touchpad->remedyLabel()->text().toStdString(),
              "Add yourself to the input group (sudo usermod -aG input $USER) and log in again.");
}

}  // namespace
}  // namespace tenvik
