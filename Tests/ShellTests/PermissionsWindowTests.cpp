// SPDX-License-Identifier: MIT
// PermissionsWindowTests.cpp: the permissions window on the simulated desktop: its rows tell
// the desktop's true state and follow it within a poll, closing it any way records that it was
// seen, and every text it shows is true on this desktop.
#include "Arvelo/Shell/PermissionsWindow.h"

#include "Platform/Sim/Desktop.h"
#include "TenvikKit/Views/RequirementRow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

using namespace arvelo;

namespace {

class PermissionsWindowTest : public ::testing::Test {
protected:
    platform::sim::Desktop desktop;
    PermissionsWindow permissions{desktop.services()};

    std::optional<bool> seen() { return desktop.defaults().boolean("shownPermissions"); }
    std::vector<bool> met() {
        std::vector<bool> states;
        for (const auto& row : permissions.shown()) states.push_back(row.met);
        return states;
    }
};

}  // namespace

TEST_F(PermissionsWindowTest, TheRowsTellTheDesktopAndFollowItWithinASecond) {
    desktop.setTrusted(false);
    desktop.panels().compositing = false;
    permissions.show();
    QDialog* window = permissions.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Vomira Permissions");
    // An X11 session, a window manager, a compositing manager, the touchpad: nothing to press.
    ASSERT_EQ(permissions.requirements()->rows().size(), 4u);
    EXPECT_EQ(met(), (std::vector<bool>{true, false, false, false}));
    EXPECT_TRUE(window->findChildren<QPushButton*>().size() == 1) << "only Done";
    const tenvik::RequirementRow* manager = permissions.requirements()->rows()[1];
    EXPECT_EQ(manager->stateLabel()->text(), "No EWMH window manager is running.");
    EXPECT_FALSE(manager->remedyLabel()->isHidden());

    desktop.setTrusted(true);
    desktop.panels().compositing = true;
    desktop.advance(0.99);
    EXPECT_EQ(met(), (std::vector<bool>{true, false, false, false}));
    desktop.advance(0.01);
    EXPECT_EQ(met(), (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(manager->stateLabel()->text(), "An EWMH window manager is running.");
    EXPECT_TRUE(manager->remedyLabel()->isHidden());
    // For people to look at: the window as the user sees it (in the test's build folder).
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->grab().save("permissions-window.png"));
}

TEST_F(PermissionsWindowTest, ClosingItAnyWayRecordsThatItWasSeenAndStopsPolling) {
    const struct {
        const char* how;
        std::function<void(QDialog*)> close;
    } cases[] = {
        {"Done", [](QDialog* window) { window->findChild<QPushButton*>("done")->click(); }},
        {"Return", [](QDialog* window) { QTest::keyClick(window, Qt::Key_Return); }},
        {"Escape", [](QDialog* window) { QTest::keyClick(window, Qt::Key_Escape); }},
        {"the title bar", [](QDialog* window) { window->close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        platform::sim::Desktop fresh;
        PermissionsWindow window(fresh.services());
        window.show();
        EXPECT_EQ(fresh.defaults().boolean("shownPermissions"), std::nullopt);
        c.close(window.window());
        EXPECT_EQ(fresh.defaults().boolean("shownPermissions"), true);
        EXPECT_FALSE(window.window()->isVisible());
        fresh.advance(1.0);
        EXPECT_TRUE(fresh.clock().scheduled().empty());
    }
}

TEST_F(PermissionsWindowTest, ShowingAgainReusesTheWindow) {
    permissions.show();
    QDialog* first = permissions.window();
    first->close();
    permissions.show();
    EXPECT_EQ(permissions.window(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(desktop.clock().scheduled().size(), 1u);
}

TEST_F(PermissionsWindowTest, EveryTextIsTrueOnThisDesktopAndShownWhole) {
    permissions.show();
    QCoreApplication::processEvents();
    QStringList texts;
    for (const QLabel* label : permissions.window()->findChildren<QLabel*>()) {
        if (label->isHidden()) continue;
        texts << label->text();
        // Nothing is cut off: a wrapped label gets the height its text needs.
        if (label->wordWrap() && !label->text().isEmpty()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
        }
    }
    for (const QPushButton* button : permissions.window()->findChildren<QPushButton*>())
        texts << button->text() << button->toolTip();
    EXPECT_TRUE(texts.contains(PermissionsWindow::kSubtitle));
    for (const QString& text : texts) {
        for (const char* elsewhere : {"macOS", "Mac", "System Settings", "Privacy", "Screen Recording", "Accessibility",
                                      "Trackpad", "Quit & Reopen", "Allow"})
            EXPECT_FALSE(text.contains(elsewhere)) << text.toStdString();
    }
}
