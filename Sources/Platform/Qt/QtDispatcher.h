// SPDX-License-Identifier: MIT
// QtDispatcher.h: the scheduler and clock bound to Qt's event loop: the main queue is queued
// invocations on the thread that created the dispatcher, delays and timers are QTimers, and
// each serial queue has its own worker thread. Serial queues must not outlive the dispatcher.
#pragma once

#include "Platform/Dispatch.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace platform::qt {

class QtDispatcher : public Dispatcher, public Clock {
public:
    QtDispatcher();
    ~QtDispatcher() override;
    QtDispatcher(const QtDispatcher&) = delete;
    QtDispatcher& operator=(const QtDispatcher&) = delete;

    void async(std::function<void()> work) override;
    TimerHandle after(Seconds delay, std::function<void()> work) override;
    TimerHandle scheduleTimer(Seconds interval, bool repeats, RunLoopMode mode, std::function<void()> fire) override;
    std::shared_ptr<SerialQueue> makeSerialQueue(std::string label) override;

    Seconds now() const override;
    Seconds uptime() const override;

private:
    void retire(std::uint64_t id);

    std::unique_ptr<QObject> context_;  // lives on the main thread; receives queued work
    std::map<std::uint64_t, std::unique_ptr<QTimer>> timers_;
    std::vector<std::unique_ptr<QTimer>> retired_;  // stopped timers, freed on the next turn
    std::uint64_t nextId_ = 1;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform::qt
