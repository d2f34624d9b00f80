// SPDX-License-Identifier: MIT
// QtSerialQueue.cpp: the worker thread of a serial background queue.
#include "Platform/Qt/QtSerialQueue.h"

#include <pthread.h>

namespace platform::qt {

QtSerialQueue::QtSerialQueue(std::string label) : label_(std::move(label)) {
    worker_ = std::thread([state = state_] { run(*state); });
    // Thread names are at most 15 characters: keep the end of the label ("window-scan").
    const std::string name = label_.size() > 15 ? label_.substr(label_.size() - 15) : label_;
    pthread_setname_np(worker_.native_handle(), name.c_str());
}

QtSerialQueue::~QtSerialQueue() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        dropped.swap(state_->pending);
    }
    state_->wake.notify_all();
    // The last reference went away inside a work item: the worker finishes that item and
    // ends on its own, holding the state it still reads.
    if (worker_.get_id() == std::this_thread::get_id())
        worker_.detach();
    else
        worker_.join();
}

void QtSerialQueue::async(std::function<void()> work) {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stopping) return;
        state_->pending.push_back(std::move(work));
    }
    state_->wake.notify_one();
}

void QtSerialQueue::run(State& state) {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(state.mutex);
            state.wake.wait(lock, [&state] { return state.stopping || !state.pending.empty(); });
            if (state.stopping) return;
            work = std::move(state.pending.front());
            state.pending.pop_front();
        }
        work();
    }
}

}  // namespace platform::qt
