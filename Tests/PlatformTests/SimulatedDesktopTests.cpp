// SPDX-License-Identifier: MIT
// SimulatedDesktopTests.cpp: the simulated desktop's window behaviours that logic tests rely
// on: late frames, refused sizes and writes, snapping back, slow and vanished windows, as read
// through the platform services on the virtual clock.
#include "Platform/Sim/Desktop.h"

#include <gtest/gtest.h>

using namespace platform;
using arvelo::Point;
using arvelo::Rect;
using arvelo::Size;

namespace {

constexpr double kTimeout = 0.25;

class SimulatedDesktop : public ::testing::Test {
protected:
    SimulatedDesktop() {
        desk.addDisplay("Left", {1920, 1080});
        desk.addDisplay("Right", {1920, 1080});
        safari = std::make_unique<sim::AppHandle>(desk.launch("com.apple.Safari", "Safari"));
        notes = std::make_unique<sim::AppHandle>(desk.launch("com.apple.Notes", "Notes"));
        tool = std::make_unique<sim::AppHandle>(desk.launch("", "tool"));
    }

    Rect read(const AccessElement& window) {
        const auto position = ax().copyAttributeValue(window, ax::kPosition, kTimeout).value.point();
        const auto size = ax().copyAttributeValue(window, ax::kSize, kTimeout).value.size();
        return position && size ? Rect(*position, *size) : Rect::null();
    }
    Accessibility& ax() { return *services.accessibility; }

    sim::Desktop desk;
    Services services = desk.services();
    std::unique_ptr<sim::AppHandle> safari, notes, tool;
};

TEST_F(SimulatedDesktop, LaggingWriteShowsUpOnlyOnceItsLagHasPassed) {
    auto w = safari->openWindow("Start", {100, 100, 800, 600}).lag(0.3);
    EXPECT_EQ(ax().setAttributeValue(w.element(), ax::kPosition, Point{0, 0}, 1.25), AccessError::success);
    EXPECT_EQ(ax().setAttributeValue(w.element(), ax::kSize, Size{960, 1080}, 1.25), AccessError::success);

    std::vector<Rect> seen;
    for (int step = 0; step < 3; ++step) {
        desk.advance(0.25);
        seen.push_back(read(w.element()));
    }
    EXPECT_EQ(seen, (std::vector<Rect>{{100, 100, 800, 600}, {0, 0, 960, 1080}, {0, 0, 960, 1080}}));
}

TEST_F(SimulatedDesktop, SizeBelowTheMinimumIsRaisedToItAndTheWriteSucceeds) {
    auto w = notes->openWindow("Note", {0, 0, 900, 700}).minimumSize({600, 400});
    EXPECT_EQ(ax().setAttributeValue(w.element(), ax::kSize, Size{500, 300}, 1.25), AccessError::success);
    EXPECT_EQ(read(w.element()), Rect(0, 0, 600, 400));
}

TEST_F(SimulatedDesktop, RefusedWriteFailsWithItsCodeAndChangesNothing) {
    auto w = notes->openWindow("Note", {10, 10, 500, 500}).refusesWrites(AccessError::cannotComplete);
    EXPECT_EQ(ax().setAttributeValue(w.element(), ax::kPosition, Point{0, 0}, 1.25), AccessError::cannotComplete);
    EXPECT_EQ(read(w.element()), Rect(10, 10, 500, 500));
    w.acceptsWrites();
    EXPECT_EQ(ax().setAttributeValue(w.element(), ax::kPosition, Point{0, 0}, 1.25), AccessError::success);
    EXPECT_EQ(read(w.element()).origin(), Point(0, 0));
}

TEST_F(SimulatedDesktop, WindowSnapsBackAfterAWriteTakesEffect) {
    auto w = safari->openWindow("Start", {100, 100, 800, 600}).snapsBack(0.5);
    ax().setAttributeValue(w.element(), ax::kPosition, Point{0, 0}, 1.25);
    EXPECT_EQ(read(w.element()).origin(), Point(0, 0));
    desk.advance(0.25);
    EXPECT_EQ(read(w.element()).origin(), Point(0, 0));
    desk.advance(0.25);
    EXPECT_EQ(read(w.element()), Rect(100, 100, 800, 600));
}

TEST_F(SimulatedDesktop, SlowApplicationFailsRequestsWithShorterTimeOuts) {
    auto w = tool->openWindow("Main", {0, 0, 400, 300});
    tool->respondsAfter(0.5);
    EXPECT_EQ(ax().copyAttributeValue(w.element(), ax::kTitle, 0.25).error, AccessError::cannotComplete);
    EXPECT_EQ(ax().setAttributeValue(w.element(), ax::kPosition, Point{5, 5}, 0.25), AccessError::cannotComplete);
    EXPECT_EQ(ax().copyAttributeValue(w.element(), ax::kTitle, 1.25).value, AccessValue("Main"));
    EXPECT_EQ(w.frame(), Rect(0, 0, 400, 300));

    const auto calls = desk.calls().of(sim::Request::copy, ax::kTitle);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].timeout, 0.25);
    EXPECT_EQ(calls[1].timeout, 1.25);
}

TEST_F(SimulatedDesktop, VanishedWindowIsAnInvalidElementAndLeavesEveryList) {
    auto w = safari->openWindow("Start", {0, 0, 400, 300});
    auto other = safari->openWindow("Other", {500, 0, 400, 300});
    w.vanish();
    EXPECT_EQ(ax().copyAttributeValue(w.element(), ax::kRole, kTimeout).error, AccessError::invalidUIElement);
    EXPECT_EQ(ax().copyAttributeValue(safari->element(), ax::kWindows, kTimeout).value,
              AccessValue(std::vector<AccessElement>{other.element()}));
    for (const auto& info : services.windowList->windows({})) EXPECT_NE(info.number, w.number());
}

TEST_F(SimulatedDesktop, ReadBackChecksSeeTheLagTheClampAndTheRefusal) {
    auto lagging = safari->openWindow("Late", {100, 100, 800, 600}).lag(0.3);
    auto small = notes->openWindow("Small", {0, 0, 900, 700}).minimumSize({600, 400});
    auto stubborn = tool->openWindow("Stubborn", {2000, 50, 500, 500}).refusesWrites(AccessError::failure);

    const Rect left(0, 0, 960, 1080), right(1920, 0, 960, 1080), tiny(960, 0, 500, 300);
    struct Write {
        sim::WindowHandle window;
        Rect target;
    };
    std::vector<std::pair<double, std::vector<Rect>>> checks;
    for (const Write& write : {Write{lagging, left}, Write{small, tiny}, Write{stubborn, right}}) {
        ax().setAttributeValue(write.window.element(), ax::kPosition, write.target.origin(), 1.25);
        ax().setAttributeValue(write.window.element(), ax::kSize, write.target.size(), 1.25);
    }
    // Read-back checks 0.25 and then 0.45 s later, as a placement makes them.
    const auto check = [&] {
        checks.push_back(
            {desk.clock().elapsed(), {read(lagging.element()), read(small.element()), read(stubborn.element())}});
    };
    desk.clock().after(0.25, [&] {
        check();
        desk.clock().after(0.45, check);
    });
    for (int step = 0; step < 4; ++step) desk.advance(0.25);

    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[0].first, 0.25);
    EXPECT_EQ(checks[0].second, (std::vector<Rect>{{100, 100, 800, 600}, {960, 0, 600, 400}, {2000, 50, 500, 500}}));
    EXPECT_EQ(checks[1].first, 0.7);
    EXPECT_EQ(checks[1].second, (std::vector<Rect>{left, {960, 0, 600, 400}, {2000, 50, 500, 500}}));

    const auto refused = desk.calls().writesTo(stubborn.element());
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].result, AccessError::failure);
    EXPECT_EQ(refused[0].timeout, 1.25);
    EXPECT_EQ(refused[0].value, AccessValue(right.origin()));
}

}  // namespace
