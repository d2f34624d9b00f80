// SPDX-License-Identifier: MIT
// VirtualClock.cpp: the virtual clock's ordered timers, its main queue and its held
// background queues.
#include "Platform/Sim/VirtualClock.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform::sim {

namespace {
// Work that keeps re-queueing itself forever is a bug in the code under test: stop loudly.
constexpr std::size_t kMaxItemsPerDrain = 1'000'000;

[[noreturn]] void runaway(const char* what) {
    std::fprintf(stderr, "VirtualClock: %s never became empty (work re-queues itself forever?)\n", what);
    std::abort();
}
}  // namespace

class VirtualClock::Queue : public SerialQueue {
public:
    explicit Queue(std::string label) : label_(std::move(label)) {}
    const std::string& label() const override { return label_; }
    void async(std::function<void()> work) override { pending.push_back(std::move(work)); }

    std::deque<std::function<void()>> pending;

private:
    std::string label_;
};

VirtualClock::VirtualClock(Seconds wallStart) : wallStart_(wallStart) {}
VirtualClock::~VirtualClock() = default;

std::int64_t VirtualClock::ticks(Seconds seconds) {
    if (!(seconds > 0)) return 0;
    return static_cast<std::int64_t>(std::llround(seconds * 1e9));
}

Seconds VirtualClock::elapsed() const { return static_cast<double>(now_) / 1e9; }
Seconds VirtualClock::now() const { return wallStart_ + elapsed(); }
Seconds VirtualClock::uptime() const { return elapsed(); }

void VirtualClock::async(std::function<void()> work) { main_.push_back(std::move(work)); }

TimerHandle VirtualClock::after(Seconds delay, std::function<void()> work) {
    return schedule(ticks(delay), ticks(delay), false, RunLoopMode::common, std::move(work));
}

TimerHandle VirtualClock::scheduleTimer(Seconds interval, bool repeats, RunLoopMode mode, std::function<void()> fire) {
    const std::int64_t period = ticks(interval);
    // A repeating timer with no period would fire forever at one instant: give it 0.1 ms, as
    // the platform's timers do.
    const std::int64_t safePeriod = repeats && period == 0 ? 100'000 : period;
    return schedule(safePeriod, safePeriod, repeats, mode, std::move(fire));
}

TimerHandle VirtualClock::schedule(std::int64_t delay, std::int64_t interval, bool repeats, RunLoopMode mode,
                                   std::function<void()> work) {
    TimerHandle handle([] {});
    timers_.emplace(Key{now_ + delay, nextOrder_++},
                    Item{interval, repeats, mode, handle, std::make_shared<std::function<void()>>(std::move(work))});
    return handle;
}

std::shared_ptr<SerialQueue> VirtualClock::makeSerialQueue(std::string label) {
    auto queue = std::make_shared<Queue>(std::move(label));
    queues_.push_back(queue);
    return queue;
}

bool VirtualClock::runOneDue(std::int64_t limit) {
    while (!timers_.empty() && !timers_.begin()->second.handle.isValid()) timers_.erase(timers_.begin());
    if (timers_.empty() || timers_.begin()->first.first > limit) return false;
    auto node = timers_.extract(timers_.begin());
    const Key key = node.key();
    Item item = std::move(node.mapped());
    now_ = std::max(now_, key.first);
    if (item.repeats) {
        // Re-armed before it fires, as a run-loop timer is; invalidating it inside its own
        // fire removes the new entry.
        timers_.emplace(Key{key.first + item.interval, nextOrder_++}, item);
    } else {
        item.handle.invalidate();
    }
    (*item.work)();
    drain();
    return true;
}

void VirtualClock::advance(Seconds seconds) {
    drain();
    const std::int64_t target = now_ + ticks(seconds);
    while (runOneDue(target)) {}
    now_ = std::max(now_, target);
}

bool VirtualClock::advanceToNext() {
    drain();
    const auto due = nextDueTime();
    if (!due) return false;
    advance(*due - elapsed());
    return true;
}

void VirtualClock::drain() {
    if (draining_) return;  // a drain inside work run by a drain: the outer one goes on
    draining_ = true;
    std::size_t count = 0;
    for (;;) {
        if (++count > kMaxItemsPerDrain) runaway("the main queue");
        if (!main_.empty()) {
            auto work = std::move(main_.front());
            main_.pop_front();
            work();
            continue;
        }
        if (backgroundAutomatic_ && runQueues({}, true) > 0) continue;
        break;
    }
    draining_ = false;
}

std::size_t VirtualClock::runQueues(std::string_view label, bool all) {
    std::size_t ran = 0;
    bool progress = true;
    while (progress) {
        progress = false;
        std::erase_if(queues_, [](const auto& weak) { return weak.expired(); });
        const auto snapshot = queues_;
        for (const auto& weak : snapshot) {
            auto queue = weak.lock();
            if (!queue || (!all && queue->label() != label)) continue;
            while (!queue->pending.empty()) {
                if (++ran > kMaxItemsPerDrain) runaway("a background queue");
                auto work = std::move(queue->pending.front());
                queue->pending.pop_front();
                work();
                progress = true;
            }
        }
    }
    return ran;
}

std::size_t VirtualClock::runBackground() { return runQueues({}, true); }
std::size_t VirtualClock::runBackground(std::string_view label) { return runQueues(label, false); }

std::size_t VirtualClock::pendingBackground() const {
    std::size_t count = 0;
    for (const auto& weak : queues_)
        if (auto queue = weak.lock()) count += queue->pending.size();
    return count;
}

std::size_t VirtualClock::pendingBackground(std::string_view label) const {
    std::size_t count = 0;
    for (const auto& weak : queues_)
        if (auto queue = weak.lock(); queue && queue->label() == label) count += queue->pending.size();
    return count;
}

std::vector<VirtualClock::Scheduled> VirtualClock::scheduled() const {
    std::vector<Scheduled> out;
    for (const auto& [key, item] : timers_) {
        if (!item.handle.isValid()) continue;
        out.push_back(
            {static_cast<double>(key.first) / 1e9, static_cast<double>(item.interval) / 1e9, item.repeats, item.mode});
    }
    return out;
}

std::optional<Seconds> VirtualClock::nextDueTime() const {
    for (const auto& [key, item] : timers_)
        if (item.handle.isValid()) return static_cast<double>(key.first) / 1e9;
    return std::nullopt;
}

}  // namespace platform::sim
