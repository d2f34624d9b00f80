// SPDX-License-Identifier: MIT
// VirtualClock.h: the scheduler and clock of the simulated desktop. Time stands still until a
// test advances it; advance() runs due work in order of due time, then order of scheduling,
// and drains the main queue after each item. Background queues run only when the test says so
// (runBackground()), unless told to run along with the main queue. Single-threaded: every
// call, background work included, runs on the test's thread.
#pragma once

#include "Platform/Dispatch.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::sim {

class VirtualClock : public Dispatcher, public Clock {
public:
    // The wall clock at virtual time 0 (seconds since 1970).
    static constexpr Seconds kDefaultWallStart = 1'700'000'000.0;

    explicit VirtualClock(Seconds wallStart = kDefaultWallStart);
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    // Dispatcher
    void async(std::function<void()> work) override;
    TimerHandle after(Seconds delay, std::function<void()> work) override;
    TimerHandle scheduleTimer(Seconds interval, bool repeats, RunLoopMode mode, std::function<void()> fire) override;
    std::shared_ptr<SerialQueue> makeSerialQueue(std::string label) override;

    // Clock
    Seconds now() const override;
    Seconds uptime() const override;

    // Virtual seconds since the start, and the same in whole nanoseconds.
    Seconds elapsed() const;
    std::int64_t elapsedTicks() const { return now_; }

    // Drains the main queue, then runs every timer and delayed item due within `seconds`
    // (due time first, scheduling order second; the clock stands at each item's due time while
    // it runs), draining the main queue after each; the clock ends `seconds` later.
    void advance(Seconds seconds);
    // Advances to the next due item (if any) and runs everything due then.
    bool advanceToNext();
    // Runs main-queue work until the queue is empty (work queued meanwhile included).
    void drain();

    // Runs the work queued on background queues (every queue, or the one with this label),
    // including work queued while they run. Answers how many items ran. Results posted to the
    // main queue wait for the next drain() or advance().
    std::size_t runBackground();
    std::size_t runBackground(std::string_view label);
    // Background work then runs as part of every drain, after the main queue is empty.
    void setRunsBackgroundAutomatically(bool automatic) { backgroundAutomatic_ = automatic; }

    std::size_t pendingMain() const { return main_.size(); }
    std::size_t pendingBackground() const;
    std::size_t pendingBackground(std::string_view label) const;

    // The live timers and delayed items, in firing order.
    struct Scheduled {
        Seconds due = 0;       // virtual time
        Seconds interval = 0;  // delay or period
        bool repeats = false;
        RunLoopMode mode = RunLoopMode::common;
    };
    std::vector<Scheduled> scheduled() const;
    std::optional<Seconds> nextDueTime() const;

    // Time in whole nanoseconds, so that sums of the logic's delays meet exactly.
    static std::int64_t ticks(Seconds seconds);

private:
    class Queue;
    struct Item {
        std::int64_t interval = 0;
        bool repeats = false;
        RunLoopMode mode = RunLoopMode::common;
        TimerHandle handle;
        std::shared_ptr<std::function<void()>> work;
    };
    using Key = std::pair<std::int64_t, std::uint64_t>;  // due tick, scheduling order

    TimerHandle schedule(std::int64_t delay, std::int64_t interval, bool repeats, RunLoopMode mode,
                         std::function<void()> work);
    bool runOneDue(std::int64_t limit);
    std::size_t runQueues(std::string_view label, bool all);

    Seconds wallStart_;
    std::int64_t now_ = 0;
    std::uint64_t nextOrder_ = 0;
    std::map<Key, Item> timers_;
    std::deque<std::function<void()>> main_;
    std::vector<std::weak_ptr<Queue>> queues_;
    bool backgroundAutomatic_ = false;
    bool draining_ = false;
};

}  // namespace platform::sim
