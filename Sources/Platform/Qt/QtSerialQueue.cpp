// QtSerialQueue.cpp: the worker thread of a serial background queue.
#include "Platform/Qt/QtSerialQueue.h"

#include <pthread.h>

namespace platform::qt {

QtSerialQueue::QtSerialQueue(std::string label) : label_(std::move(label)) {
    worker_ = std::thread([this] { run(); });
    // Thread names are at most 15 characters: keep the end of the label ("window-scan").
    const std::string name = label_.size() > 15 ? label_.substr(label_.size() - 15) : label_;
    pthread_setname_np(worker_.native_handle(), name.c_str());
}

QtSerialQueue::~QtSerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.clear();
    }
    wake_.notify_all();
    if (worker_.get_id() == std::this_thread::get_id())
        worker_.detach();  // the last reference went away inside a work item
    else
        worker_.join();
}

void QtSerialQueue::async(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        pending_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void QtSerialQueue::run() {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_) return;
            work = std::move(pending_.front());
            pending_.pop_front();
        }
        work();
    }
}

}  // namespace platform::qt
