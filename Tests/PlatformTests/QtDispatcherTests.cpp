// SPDX-License-Identifier: MIT
// QtDispatcherTests.cpp: the program's scheduler over Qt's event loop: work handed back from a
// serial queue's thread runs on the main thread, in order, and invalidated timers stay quiet.
// Only order and threads are checked, never durations.
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/Qt/QtSerialQueue.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <new>
#include <thread>

using platform::RunLoopMode;
using platform::qt::QtDispatcher;

namespace {

class QtDispatcherTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "PlatformTests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }
    // Runs the event loop until `done` is called (or a generous safety limit passes).
    void runUntilDone() {
        QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    void done() { loop.quit(); }

    QEventLoop loop;
};

TEST_F(QtDispatcherTest, SerialQueueRunsInOrderOffTheMainThreadAndHandsBackToIt) {
    QtDispatcher dispatch;
    const auto mainThread = std::this_thread::get_id();
    std::vector<int> order;
    std::vector<bool> onMain;
    auto queue = dispatch.makeSerialQueue("org.vomira.Arvelo.window-scan");
    EXPECT_EQ(queue->label(), "org.vomira.Arvelo.window-scan");
    for (int i = 0; i < 3; ++i) {
        queue->async([&, i] {
            const bool background = std::this_thread::get_id() != mainThread;
            dispatch.async([&, i, background] {
                order.push_back(i);
                onMain.push_back(background && std::this_thread::get_id() == mainThread);
                if (i == 2) done();
            });
        });
    }
    runUntilDone();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(onMain, (std::vector<bool>{true, true, true}));
}

// Tells when the thread that made it ends: thread-local objects die after everything else the
// thread runs.
struct ThreadEndSignal {
    std::promise<void>* ended = nullptr;
    ~ThreadEndSignal() {
        if (ended) ended->set_value();
    }
};

TEST_F(QtDispatcherTest, ASerialQueueDestroyedByItsOwnWorkEndsWithoutTouchingItsMemory) {
    // The queue lives in storage of the test's, wiped as soon as the queue is destroyed, so a
    // worker that still read the queue's members would read garbage.
    alignas(platform::qt::QtSerialQueue) static unsigned char storage[sizeof(platform::qt::QtSerialQueue)];
    std::shared_ptr<platform::qt::QtSerialQueue> queue(new (storage) platform::qt::QtSerialQueue("self-destroying"),
                                                       [](platform::qt::QtSerialQueue* q) {
                                                           q->~QtSerialQueue();
                                                           std::memset(storage, 0xff, sizeof storage);
                                                       });
    std::promise<void> ended;
    std::promise<void> released;
    std::shared_future<void> releasedByTest = released.get_future().share();
    std::atomic<bool> laterRan = false;
    queue->async([&ended, releasedByTest, holder = queue]() mutable {
        releasedByTest.wait();
        static thread_local ThreadEndSignal signal;
        signal.ended = &ended;
        holder.reset();  // the last reference: the queue goes away on its own worker
    });
    queue->async([&laterRan] { laterRan = true; });  // dropped with the queue
    queue.reset();
    released.set_value();
    EXPECT_EQ(ended.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(laterRan);
}

TEST_F(QtDispatcherTest, DelayedWorkRunsAfterQueuedWorkAndInvalidatedTimersNeverFire) {
    QtDispatcher dispatch;
    std::vector<std::string> events;
    auto cancelled = dispatch.after(0.001, [&] { events.push_back("cancelled"); });
    cancelled.invalidate();
    int ticks = 0;
    platform::TimerHandle repeating;
    repeating = dispatch.scheduleTimer(0.001, true, RunLoopMode::defaultMode, [&] {
        if (++ticks == 3) {
            repeating.invalidate();
            dispatch.after(0.02, [&] { done(); });
        }
    });
    dispatch.after(0.002, [&] { events.push_back("delayed"); });
    dispatch.async([&] { events.push_back("queued"); });
    runUntilDone();
    EXPECT_EQ(events, (std::vector<std::string>{"queued", "delayed"}));
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(repeating.isValid());
}

TEST_F(QtDispatcherTest, ClocksMoveForward) {
    QtDispatcher dispatch;
    const double wall = dispatch.now(), up = dispatch.uptime();
    EXPECT_GT(wall, 1.6e9);
    EXPECT_GE(dispatch.uptime(), up);
}

}  // namespace
