// SPDX-License-Identifier: MIT
// VirtualClockTests.cpp: the virtual clock's ordering rules, which every timing test relies on.
#include "ArveloCore/Geometry.h"
#include "Platform/Sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::RunLoopMode;
using platform::sim::VirtualClock;

namespace {

struct Trace {
    VirtualClock& clock;
    std::vector<std::string> events;
    std::function<void()> note(std::string name) {
        return [this, name] { events.push_back(name + "@" + arvelo::formatNumber(clock.elapsed())); };
    }
};

TEST(VirtualClock, RunsDueWorkByDueTimeThenSchedulingOrderAndDrainsTheMainQueueAfterEach) {
    VirtualClock clock;
    Trace trace{clock, {}};
    clock.after(0.5, trace.note("b"));
    clock.after(0.25, [&] {
        trace.events.push_back("a@" + arvelo::formatNumber(clock.elapsed()));
        clock.async(trace.note("a-posted"));       // runs before anything else due later
        clock.after(0.25, trace.note("a-later"));  // due at 0.5, scheduled after "b"
    });
    clock.after(0.5, trace.note("c"));
    clock.advance(1.0);
    EXPECT_EQ(trace.events, (std::vector<std::string>{"a@0.25", "a-posted@0.25", "b@0.5", "c@0.5", "a-later@0.5"}));
    EXPECT_EQ(clock.elapsed(), 1.0);
}

TEST(VirtualClock, ReadBackCheckDelaysAddUpExactly) {
    // Read-back checks 0.25, 0.45, 0.55, 0.75, 0.8 s apart land exactly at 2.8 s.
    VirtualClock clock;
    const std::vector<double> delays{0.25, 0.45, 0.55, 0.75, 0.8};
    std::vector<double> fired;
    std::function<void(std::size_t)> step = [&](std::size_t i) {
        if (i == delays.size()) return;
        clock.after(delays[i], [&, i] {
            fired.push_back(clock.elapsed());
            step(i + 1);
        });
    };
    step(0);
    clock.advance(2.75);
    EXPECT_EQ(fired.size(), 4u);
    clock.advance(0.05);
    ASSERT_EQ(fired.size(), 5u);
    EXPECT_EQ(clock.elapsedTicks(), VirtualClock::ticks(2.8));
}

TEST(VirtualClock, RepeatingTimerFiresEachPeriodUntilInvalidated) {
    VirtualClock clock;
    int beats = 0;
    platform::TimerHandle timer = clock.scheduleTimer(0.7, true, RunLoopMode::defaultMode, [&] { ++beats; });
    clock.advance(0.69);
    EXPECT_EQ(beats, 0);
    clock.advance(0.01);
    EXPECT_EQ(beats, 1);
    clock.advance(1.4);
    EXPECT_EQ(beats, 3);
    ASSERT_EQ(clock.scheduled().size(), 1u);
    EXPECT_EQ(clock.scheduled()[0].mode, RunLoopMode::defaultMode);
    timer.invalidate();
    clock.advance(5);
    EXPECT_EQ(beats, 3);
    EXPECT_TRUE(clock.scheduled().empty());
}

TEST(VirtualClock, TimerInvalidatedInsideItsOwnFireStops) {
    VirtualClock clock;
    int fires = 0;
    platform::TimerHandle timer;
    timer = clock.scheduleTimer(1.0, true, RunLoopMode::common, [&] {
        if (++fires == 2) timer.invalidate();
    });
    clock.advance(10);
    EXPECT_EQ(fires, 2);
}

TEST(VirtualClock, CancelledDelayedWorkNeverRunsAndIsNotWaitedFor) {
    VirtualClock clock;
    bool ran = false;
    auto handle = clock.after(0.3, [&] { ran = true; });
    clock.after(3.0, [] {});
    EXPECT_TRUE(handle.isValid());
    handle.invalidate();
    EXPECT_EQ(clock.nextDueTime(), 3.0);
    EXPECT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.elapsed(), 3.0);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(clock.advanceToNext());
}

TEST(VirtualClock, OneShotHandleIsSpentOnceItFires) {
    VirtualClock clock;
    auto handle = clock.scheduleTimer(1.5, false, RunLoopMode::common, [] {});
    clock.advance(1.5);
    EXPECT_FALSE(handle.isValid());
}

TEST(VirtualClock, BackgroundWorkWaitsForTheTestAndItsResultForTheMainQueue) {
    VirtualClock clock;
    auto queue = clock.makeSerialQueue("org.vomira.Arvelo.window-scan");
    std::vector<std::string> events;
    queue->async([&] {
        events.push_back("scan");
        clock.async([&] { events.push_back("merge"); });
    });
    clock.advance(5);  // the scan is held in flight
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(clock.pendingBackground("org.vomira.Arvelo.window-scan"), 1u);
    EXPECT_EQ(clock.runBackground("another-queue"), 0u);
    EXPECT_EQ(clock.runBackground(), 1u);
    EXPECT_EQ(events, std::vector<std::string>{"scan"});
    clock.drain();
    EXPECT_EQ(events, (std::vector<std::string>{"scan", "merge"}));
}

TEST(VirtualClock, AutomaticBackgroundRunsWithEachDrain) {
    VirtualClock clock;
    clock.setRunsBackgroundAutomatically(true);
    auto queue = clock.makeSerialQueue("scan");
    std::vector<std::string> events;
    clock.after(0.7, [&] {
        queue->async(
            [&] { clock.async([&] { events.push_back("merged@" + arvelo::formatNumber(clock.elapsed())); }); });
    });
    clock.advance(1);
    EXPECT_EQ(events, std::vector<std::string>{"merged@0.7"});
}

TEST(VirtualClock, DroppedQueueDropsItsPendingWork) {
    VirtualClock clock;
    bool ran = false;
    clock.makeSerialQueue("gone")->async([&] { ran = true; });
    EXPECT_EQ(clock.runBackground(), 0u);
    EXPECT_FALSE(ran);
}

TEST(VirtualClock, WallClockMovesWithVirtualTime) {
    VirtualClock clock(1000.0);
    clock.advance(2.5);
    EXPECT_EQ(clock.now(), 1002.5);
    EXPECT_EQ(clock.uptime(), 2.5);
}

}  // namespace
