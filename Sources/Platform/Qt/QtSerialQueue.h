// QtSerialQueue.h: a serial background queue on its own std::thread, for the Qt binding of
// the scheduler. Work runs one item at a time in order; pending work is dropped when the
// queue is destroyed (the item running then is finished first).
#pragma once

#include "Platform/Dispatch.h"

#include <condition_variable>
#include <deque>
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
    void run();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> pending_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace platform::qt
