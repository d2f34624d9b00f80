// SPDX-License-Identifier: MIT
// SimulatedMouseTests.cpp: the simulated desktop's global mouse monitors as drag logic relies
// on them: which events reach a monitor (by mask, never those of this program's own windows),
// on the main queue, and the window manager's move and resize of a window pressed by its
// title bar or its corner.
#include "Platform/Sim/Desktop.h"

#include <gtest/gtest.h>

using namespace platform;
using arvelo::Point;
using arvelo::Rect;

namespace {

class SimulatedMouse : public ::testing::Test {
protected:
    SimulatedMouse() {
        desk.addDisplay("Main", {1440, 900});
        editor = std::make_unique<sim::AppHandle>(desk.launch("org.example.Editor", "Editor"));
    }

    std::shared_ptr<void> record(std::uint64_t mask = kAllMouseEventsMask) {
        return desk.services().mouseMonitor->addGlobalMonitor(mask, [this](const MouseEvent& e) { seen.push_back(e); });
    }

    sim::Desktop desk;
    std::unique_ptr<sim::AppHandle> editor;
    std::vector<MouseEvent> seen;
};

TEST_F(SimulatedMouse, ATitleBarPressMovesTheWindowWithTheDragAndEveryEventReachesTheMonitor) {
    auto window = editor->openWindow("notes", {100, 100, 600, 400});
    auto token = record();
    desk.mouseDown({300, 110});
    desk.mouseDrag({250, 130}, kEventOptionFlag);
    desk.mouseUp();

    EXPECT_EQ(window.frame(), Rect(50, 120, 600, 400));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].type, MouseEventType::leftMouseDown);
    EXPECT_EQ(seen[0].location, Point(300, 110));
    EXPECT_EQ(seen[1].type, MouseEventType::leftMouseDragged);
    EXPECT_EQ(seen[1].modifierFlags, kEventOptionFlag);
    EXPECT_EQ(seen[2].type, MouseEventType::leftMouseUp);
    EXPECT_EQ(seen[2].location, Point(250, 130));
    EXPECT_FALSE(desk.services().pointer->leftButtonDown());
}

TEST_F(SimulatedMouse, PressesMoveResizeOrLeaveTheWindowByWhereTheyLand) {
    struct Case {
        const char* name;
        Point press;
        bool movable;
        Rect after;
    };
    const Case cases[] = {
        {"title bar", {300, 110}, true, {140, 140, 600, 400}},
        {"bottom-right corner", {695, 495}, true, {100, 100, 640, 440}},
        {"body", {300, 300}, true, {100, 100, 600, 400}},
        {"title bar of a window the window manager keeps in place", {300, 110}, false, {100, 100, 600, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto window = editor->openWindow(c.name, {100, 100, 600, 400});
        window.state().behaviour.userMovable = c.movable;
        desk.mouseDown(c.press);
        desk.mouseDrag({c.press.x + 40, c.press.y + 40});
        desk.mouseUp();
        EXPECT_EQ(window.frame(), c.after);
        window.vanish();
    }
}

TEST_F(SimulatedMouse, EventsReachOnlyTheKindsAMonitorAskedForAndOnlyWhileItLives) {
    editor->openWindow("notes", {100, 100, 600, 400});
    auto token = record(eventMask(MouseEventType::leftMouseUp));
    desk.mouseDown({300, 110});
    desk.mouseDrag({320, 110});
    desk.mouseUp();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, MouseEventType::leftMouseUp);

    token.reset();
    desk.mouseDown({300, 110});
    desk.mouseUp();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(desk.mouse().monitorCount(), 0u);
}

TEST_F(SimulatedMouse, APressOnThisProgramsOwnWindowIsNotDeliveredNorItsDragAndRelease) {
    desk.app(desk.world().ownPid()).openWindow("tab bar", {0, 0, 1440, 30});
    auto token = record();
    desk.mouseDown({200, 10});
    desk.mouseDrag({260, 10});
    desk.mouseUp();
    EXPECT_TRUE(seen.empty());
}

TEST_F(SimulatedMouse, EventsArriveThroughTheMainQueue) {
    auto token = record();
    desk.mouse().press({10, 10}, 0);
    EXPECT_TRUE(seen.empty());
    desk.drain();
    EXPECT_EQ(seen.size(), 1u);
}

}  // namespace
