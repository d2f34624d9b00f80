// SPDX-License-Identifier: MIT
// The real desktop's own arrangements: the fixture application's life (it ends when its
// windows are closed, or on SIGTERM), and two monitors made from one screen (run by the
// two-monitor entry of this binary, under scripts/with-xvfb --monitors 2).
#include "ChildProcess.h"
#include "ContractDesktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <tuple>

namespace contract {
namespace {

using platform::AccessElement;
using platform::AccessError;
using platform::AccessValue;
namespace ax = platform::ax;

constexpr double kTimeout = 0.25;

class X11Desktop : public testing::Test {
protected:
    void SetUp() override {
        desktop_ = makeX11Desktop();
        ASSERT_TRUE(desktop_) << "no X server to run on (run under scripts/with-xvfb)";
    }

    platform::Accessibility& ax() { return *desktop_->services.accessibility; }

    std::vector<AccessElement> windowsOf(std::int32_t pid) {
        return ax()
            .copyAttributeValue(AccessElement::application(pid), ax::kWindows, kTimeout)
            .value.elements()
            .value_or(std::vector<AccessElement>{});
    }

    std::unique_ptr<ContractDesktop> desktop_;
};

TEST_F(X11Desktop, FixtureEndsWhenItsLastWindowIsClosed) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    ASSERT_TRUE(desktop_->waitUntil([&] { return windowsOf(fixture.pid()).size() == 3; }));
    for (const AccessElement& w : windowsOf(fixture.pid())) {
        const auto button = ax().copyAttributeValue(w, ax::kCloseButton, kTimeout).value.element();
        ASSERT_TRUE(button);
        EXPECT_EQ(ax().performAction(*button, ax::kPressAction, kTimeout), AccessError::success);
    }
    EXPECT_TRUE(desktop_->waitUntil([&] { return !fixture.running(); }));
    EXPECT_EQ(fixture.exitStatus(), 0);
}

TEST_F(X11Desktop, FixtureEndsCleanlyOnTerminate) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    ASSERT_TRUE(desktop_->waitUntil([&] { return windowsOf(fixture.pid()).size() == 3; }));
    fixture.terminate();
    EXPECT_TRUE(desktop_->waitUntil([&] { return !fixture.running(); }));
    EXPECT_EQ(fixture.exitStatus(), 0);
    EXPECT_TRUE(desktop_->waitUntil([&] { return windowsOf(fixture.pid()).empty(); }));
}

// The user drags a window by its title bar while the window manager holds its move grab: the
// global monitor still sees the press, the drag steps (from relative motion) and the release,
// each with the pointer's place, and the window has moved.
TEST_F(X11Desktop, MouseMonitorSeesATitleBarDragThroughTheWindowManagersGrab) {
    ASSERT_TRUE(desktop_->services.mouseMonitor) << "Xvfb offers XInput2";
    std::vector<platform::MouseEvent> seen;
    auto token = desktop_->services.mouseMonitor->addGlobalMonitor(
        platform::kAllMouseEventsMask, [&seen](const platform::MouseEvent& e) { seen.push_back(e); });
    const OpenedApp app = desktop_->openFixture();
    ASSERT_NE(app.pid, 0);
    const AccessElement w = windowsOf(app.pid).front();
    const auto origin = [&] {
        return ax().copyAttributeValue(w, ax::kPosition, kTimeout).value.point().value_or(arvelo::Point{});
    };
    ASSERT_EQ(ax().performAction(w, ax::kRaiseAction, kTimeout), AccessError::success);
    desktop_->pause();
    const arvelo::Point before = origin();
    const arvelo::Point grip{before.x + 60, before.y + 8};
    desktop_->movePointer(grip);
    desktop_->pause();
    std::system("xdotool mousedown 1");
    for (int step = 0; step < 8; ++step) std::system("xdotool mousemove_relative -- 10 5");
    desktop_->pause();
    std::system("xdotool mouseup 1");
    ASSERT_TRUE(desktop_->waitUntil(
        [&] { return !seen.empty() && seen.back().type == platform::MouseEventType::leftMouseUp; }));

    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().type, platform::MouseEventType::leftMouseDown);
    EXPECT_EQ(seen.front().location, grip);
    int drags = 0;
    for (const auto& e : seen) drags += e.type == platform::MouseEventType::leftMouseDragged;
    EXPECT_GE(drags, 1);
    EXPECT_EQ(seen.back().location, (arvelo::Point{grip.x + 80, grip.y + 40}));
    EXPECT_TRUE(desktop_->waitUntil([&] { return origin().x >= before.x + 70; })) << "the window manager moved it";
}

// Over a window, the user moves the pointer, then drags with the right and the middle button:
// a monitor that asks for them sees the move, each drag and each release.
TEST_F(X11Desktop, MouseMonitorSeesMovesAndTheRightAndOtherButtons) {
    ASSERT_TRUE(desktop_->services.mouseMonitor) << "Xvfb offers XInput2";
    using platform::MouseEventType;
    std::set<MouseEventType> seen;
    const std::uint64_t mask =
        platform::eventMask(MouseEventType::mouseMoved) | platform::eventMask(MouseEventType::rightMouseUp) |
        platform::eventMask(MouseEventType::rightMouseDragged) | platform::eventMask(MouseEventType::otherMouseUp) |
        platform::eventMask(MouseEventType::otherMouseDragged);
    auto token = desktop_->services.mouseMonitor->addGlobalMonitor(
        mask, [&seen](const platform::MouseEvent& e) { seen.insert(e.type); });
    const OpenedApp app = desktop_->openFixture();
    ASSERT_NE(app.pid, 0);
    const AccessElement w = windowsOf(app.pid).front();
    const auto origin = ax().copyAttributeValue(w, ax::kPosition, kTimeout).value.point().value_or(arvelo::Point{});
    desktop_->movePointer({origin.x + 150, origin.y + 150});
    desktop_->pause();
    std::system("xdotool mousemove_relative -- 5 5");
    ASSERT_TRUE(desktop_->waitUntil([&] { return seen.contains(MouseEventType::mouseMoved); }));
    for (const auto& [button, dragged, released] :
         {std::tuple{"3", MouseEventType::rightMouseDragged, MouseEventType::rightMouseUp},
          std::tuple{"2", MouseEventType::otherMouseDragged, MouseEventType::otherMouseUp}}) {
        std::system((std::string("xdotool mousedown ") + button).c_str());
        std::system("xdotool mousemove_relative -- 5 5");
        EXPECT_TRUE(desktop_->waitUntil([&, dragged = dragged] { return seen.contains(dragged); })) << button;
        std::system((std::string("xdotool mouseup ") + button).c_str());
        EXPECT_TRUE(desktop_->waitUntil([&, released = released] { return seen.contains(released); })) << button;
    }
    EXPECT_FALSE(seen.contains(MouseEventType::leftMouseUp)) << "a kind not asked for";
}

TEST_F(X11Desktop, TwoMonitorsAreTwoScreensWithTheTrayOnThePrimary) {
    const char* monitors = std::getenv("VOMIRA_XVFB_MONITORS");
    if (!monitors || std::string(monitors) != "2")
        GTEST_SKIP() << "needs a desktop of two monitors (scripts/with-xvfb --monitors 2)";
    const auto screens = desktop_->services.screens->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, arvelo::Rect(0, 0, 960, 1080));
    EXPECT_EQ(screens[0].visibleFrame, arvelo::Rect(0, 24, 960, 1056));
    EXPECT_EQ(screens[1].frame, arvelo::Rect(960, 0, 960, 1080));
    EXPECT_EQ(screens[1].visibleFrame, arvelo::Rect(960, 0, 960, 1080));
    EXPECT_NE(screens[0].number, screens[1].number);
    for (const auto& screen : screens) EXPECT_EQ(desktop_->services.spaces->currentSpace(*screen.number), 1u);

    // A window moved onto the second monitor is read back there.
    const OpenedApp app = desktop_->openFixture();
    ASSERT_NE(app.pid, 0);
    const AccessElement w = windowsOf(app.pid).front();
    const arvelo::Rect target(1200, 100, 500, 400);
    EXPECT_EQ(ax().setAttributeValue(w, ax::kPosition, AccessValue(target.origin()), 1.25), AccessError::success);
    EXPECT_EQ(ax().setAttributeValue(w, ax::kSize, AccessValue(target.size()), 1.25), AccessError::success);
    EXPECT_TRUE(desktop_->waitUntil([&] {
        const auto position = ax().copyAttributeValue(w, ax::kPosition, kTimeout).value.point();
        return position && *position == target.origin();
    }));
}

}  // namespace
}  // namespace contract
