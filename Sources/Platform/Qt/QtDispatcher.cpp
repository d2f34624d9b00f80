// SPDX-License-Identifier: MIT
// QtDispatcher.cpp: main-queue work, delays and run-loop timers over Qt's event loop.
// Qt has no run-loop modes: timers of both modes fire in nested event loops too.
#include "Platform/Qt/QtDispatcher.h"

#include "Platform/Qt/QtSerialQueue.h"

#include <QMetaObject>

#include <chrono>
#include <cmath>

namespace platform::qt {

namespace {
int milliseconds(Seconds seconds) {
    if (!(seconds > 0)) return 0;
    return static_cast<int>(std::min(std::ceil(seconds * 1000.0), 2.0e9));
}
}  // namespace

QtDispatcher::QtDispatcher() : context_(std::make_unique<QObject>()) {}

QtDispatcher::~QtDispatcher() = default;

void QtDispatcher::async(std::function<void()> work) {
    QMetaObject::invokeMethod(context_.get(), std::move(work), Qt::QueuedConnection);
}

TimerHandle QtDispatcher::after(Seconds delay, std::function<void()> work) {
    return scheduleTimer(delay, false, RunLoopMode::common, std::move(work));
}

TimerHandle QtDispatcher::scheduleTimer(Seconds interval, bool repeats, RunLoopMode, std::function<void()> fire) {
    const std::uint64_t id = nextId_++;
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeats);
    timer->setInterval(milliseconds(interval));
    // A handle may outlive the dispatcher: invalidating it then does nothing.
    TimerHandle handle([this, id, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.expired()) retire(id);
    });
    QObject::connect(timer.get(), &QTimer::timeout, context_.get(), [repeats, handle, fire]() mutable {
        if (!handle.isValid()) return;
        if (!repeats) handle.invalidate();  // a one-shot timer is spent once it fires
        fire();
    });
    timer->start();
    timers_.emplace(id, std::move(timer));
    return handle;
}

void QtDispatcher::retire(std::uint64_t id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    retired_.push_back(std::move(it->second));
    timers_.erase(it);
    // The timer may be the one whose signal is running now: free it on the next turn.
    QMetaObject::invokeMethod(
        context_.get(), [this] { retired_.clear(); }, Qt::QueuedConnection);
}

std::shared_ptr<SerialQueue> QtDispatcher::makeSerialQueue(std::string label) {
    return std::make_shared<QtSerialQueue>(std::move(label));
}

Seconds QtDispatcher::now() const {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

Seconds QtDispatcher::uptime() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace platform::qt
