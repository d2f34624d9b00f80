// OnboardingTests.cpp: the welcome guide: one window, closing marks onboarding completed and
// releases its polling claim, "Done", the try-it wording and the activity dot.
#include "KitWindowsScene.h"
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
        {true, HotKey{35, 0x900}, {"Tap the trackpad with three fingers", "or press \u2325\u2318P"}},
        {true, std::nullopt, {"Tap the trackpad with three fingers"}},
        {false, HotKey{35, 0x900}, {"Press \u2325\u2318P"}},
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

TEST_F(Onboarding, PermissionRowsFollowPolling) {
    scene.desktop.setScreenCaptureAccess(false);
    controller.show();
    OnboardingView& view = *controller.view();
    EXPECT_EQ(view.screenRecordingRow()->icon()->accessibleName(), "Not granted");
    scene.desktop.setScreenCaptureAccess(true);
    scene.desktop.advance(1.0);
    EXPECT_EQ(view.screenRecordingRow()->icon()->accessibleName(), "Granted");
}

}  // namespace
}  // namespace tenvik
