// SPDX-License-Identifier: MIT
// Dispatch.h: the clock and the scheduler that all logic asks for time and deferred work:
// the main queue, delayed work, one-shot and repeating timers (with their run-loop mode),
// and labelled serial background queues. Backends: the Qt event loop (PlatformQt) and the
// virtual clock of the simulated desktop (platform::sim::VirtualClock).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Seconds, as every delay and time-out of the logic counts them.
using Seconds = double;

// The wall clock (seconds since 1970) and a monotonic clock (seconds since an arbitrary
// origin that never goes back). Logic never reads the system clock itself.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Seconds now() const = 0;
    virtual Seconds uptime() const = 0;
};

// The run-loop mode a timer is scheduled in: "default" timers pause while the user tracks a
// menu or a drag, "common" ones keep firing. Both fire alike in an event loop without such
// modes (Qt's); the mode is kept so backends and tests can tell them apart.
enum class RunLoopMode { defaultMode, common };
std::string_view toString(RunLoopMode mode);

// A handle on delayed work or a timer. Copies share one state; dropping every copy does not
// cancel anything (the scheduler keeps the work, as a run loop keeps its timers).
// invalidate() is idempotent and must be called on the main thread.
class TimerHandle {
public:
    TimerHandle() = default;
    // For backends: onInvalidate runs once, on the first invalidate().
    explicit TimerHandle(std::function<void()> onInvalidate);

    void invalidate();
    bool isValid() const;

private:
    struct State {
        bool valid = true;
        std::function<void()> onInvalidate;
    };
    std::shared_ptr<State> state_;
};

// A serial queue off the main thread: work runs one item at a time, in the order given.
// async() may be called from any thread. Work hands its result back with Dispatcher::async.
class SerialQueue {
public:
    virtual ~SerialQueue() = default;
    virtual const std::string& label() const = 0;
    virtual void async(std::function<void()> work) = 0;
};

// The main-thread scheduler. Everything it runs, runs on the main thread.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;

    // Queue work on the main queue. Safe from any thread.
    virtual void async(std::function<void()> work) = 0;

    // Run work on the main queue once `delay` seconds have passed (a dispatch "after").
    // Main thread only. The handle may cancel it before it runs.
    virtual TimerHandle after(Seconds delay, std::function<void()> work) = 0;

    // A timer on the main run loop: fires `interval` seconds from now and, when `repeats`,
    // every `interval` seconds after that (missed fires are skipped, not queued up), until
    // its handle is invalidated. Main thread only.
    virtual TimerHandle scheduleTimer(Seconds interval, bool repeats, RunLoopMode mode, std::function<void()> fire) = 0;

    // A new serial background queue with the given label (e.g. "org.vomira.Arvelo.window-scan").
    // Pending work is dropped when the last reference to the queue goes away.
    virtual std::shared_ptr<SerialQueue> makeSerialQueue(std::string label) = 0;
};

}  // namespace platform
