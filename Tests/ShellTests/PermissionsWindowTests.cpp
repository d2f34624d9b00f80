// PermissionsWindowTests.cpp: the permissions window on the simulated desktop: its rows follow
// the platform's answers within a poll, "Done" needs Accessibility and records that the user
// has been through the window, and "Quit & Reopen" hands over to the relaunch.
#include "Arvelo/Shell/PermissionsWindow.h"

#include "Platform/Sim/Desktop.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace arvelo;

namespace {

class PermissionsWindowTest : public ::testing::Test {
protected:
    platform::sim::Desktop desktop;
    int relaunches = 0;
    PermissionsWindow permissions{desktop.services(), [this] { ++relaunches; }};

    QPushButton* button(const char* name) { return permissions.window()->findChild<QPushButton*>(name); }
    std::optional<bool> shown() { return desktop.defaults().boolean("shownPermissions"); }
};

}  // namespace

TEST_F(PermissionsWindowTest, DoneWaitsForAccessibilityAndTheRowsFollowThePlatformWithinASecond) {
    desktop.setTrusted(false);
    desktop.setScreenCaptureAccess(false);
    permissions.show();
    QDialog* window = permissions.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Vomira Permissions");
    EXPECT_EQ(window->size(), QSize(520, 290));
    EXPECT_FALSE(button("done")->isEnabled());
    EXPECT_FALSE(button("allow Accessibility")->isHidden());
    QTest::keyClick(window, Qt::Key_Return);  // the default button is disabled: nothing happens
    EXPECT_EQ(shown(), std::nullopt);
    EXPECT_TRUE(window->isVisible());

    desktop.setTrusted(true);
    desktop.advance(0.99);
    EXPECT_FALSE(button("done")->isEnabled());
    desktop.advance(0.01);
    EXPECT_TRUE(button("done")->isEnabled());
    EXPECT_TRUE(button("allow Accessibility")->isHidden());
    EXPECT_FALSE(button("allow Screen Recording")->isHidden());

    desktop.setScreenCaptureAccess(true);
    desktop.advance(1.0);
    EXPECT_TRUE(button("allow Screen Recording")->isHidden());
    EXPECT_TRUE(permissions.screenRecording());
    // For people to look at: the window as the user sees it (in the test's build folder).
    QCoreApplication::processEvents();  // lets the layout follow the rows' changes
    EXPECT_TRUE(window->grab().save("permissions-window.png"));
}

TEST_F(PermissionsWindowTest, DoneRecordsThatTheUserHasSeenTheWindowAndClosesIt) {
    desktop.setTrusted(true);
    permissions.show();
    QTest::keyClick(permissions.window(), Qt::Key_Return);
    EXPECT_EQ(shown(), true);
    EXPECT_FALSE(permissions.window()->isVisible());
    // No polling while the window is closed.
    desktop.advance(1.0);
    EXPECT_TRUE(desktop.clock().scheduled().empty());
}

TEST_F(PermissionsWindowTest, ClosingWithoutDoneRecordsNothingAndShowingAgainReusesTheWindow) {
    desktop.setTrusted(true);
    permissions.show();
    QDialog* first = permissions.window();
    first->close();
    EXPECT_EQ(shown(), std::nullopt);
    permissions.show();
    EXPECT_EQ(permissions.window(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(desktop.clock().scheduled().size(), 1u);
}

TEST_F(PermissionsWindowTest, AllowAsksThePlatformAndQuitAndReopenRelaunches) {
    desktop.setTrusted(false);
    desktop.world().grantTrustOnPrompt = true;
    permissions.show();
    button("allow Accessibility")->click();
    desktop.advance(1.0);
    EXPECT_TRUE(permissions.accessibility());
    EXPECT_TRUE(button("done")->isEnabled());
    EXPECT_EQ(relaunches, 0);
    button("quitAndReopen")->click();
    EXPECT_EQ(relaunches, 1);
}

TEST_F(PermissionsWindowTest, EveryTextSpeaksOfThisDesktop) {
    permissions.show();
    QStringList texts;
    for (const QLabel* label : permissions.window()->findChildren<QLabel*>()) texts << label->text();
    for (const QPushButton* button : permissions.window()->findChildren<QPushButton*>())
        texts << button->text() << button->toolTip();
    EXPECT_TRUE(texts.contains("On X11 nothing asks you: your window manager and X server grant these."));
    for (const QString& text : texts) {
        for (const char* elsewhere : {"macOS", "Mac", "System Settings", "reopening"})
            EXPECT_FALSE(text.contains(elsewhere)) << text.toStdString();
    }
}
