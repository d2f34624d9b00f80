// SPDX-License-Identifier: MIT
// QtSerialQueue.h: a serial background queue on its own std::thread, for the Qt binding of
// the scheduler. Work runs one item at a time in order; pending work is dropped when the
// queue is destroyed (the item running then is finished first). The worker shares the
// queue's state rather than the queue itself, so a queue may be destroyed by its own work.
#pragma once

#include "Platform/Dispatch.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace platform::qt {

class QtSerialQueue : public SerialQueue {
public:
    explicit QtSerialQueue(std::string label);
    ~QtSerialQueue() override;
    QtSerialQueue(const QtSerialQueue&) = delete;
    QtSerialQueue& operator=(const QtSerialQueue&) = delete;

    const std::string& label() const override { return label_; }
    void async(std::function<void()> work) override;

private:
    // What the worker needs, alive until both the queue and the worker are done with it.
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::function<void()>> pending;
        bool stopping = false;
    };
    static void run(State& state);

    std::string label_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
    std::thread worker_;
};

}  // namespace platform::qt
