// SPDX-License-Identifier: MIT
// ReaderThreadTests.cpp: the reader thread's poll() loop over pipes standing in for touchpads:
// frames from every device reach the sink, a device that goes away is dropped while the others
// are read on, a stop wakes the thread at once, and devices made in or removed from the watched
// folder are picked up or dropped.
#include "FifoTouchpads.h"
#include "MultitouchBridge/TouchpadReader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace mtbridge {
namespace {

std::mutex gMutex;
std::map<std::string, int> gFrames;

void countFrame(Touchpad& touchpad, const ContactFrame&) {
    std::lock_guard lock(gMutex);
    ++gFrames[touchpad.path];
}

int framesOf(const std::string& path) {
    std::lock_guard lock(gMutex);
    return gFrames[path];
}

// Reads raw input_event records from the pipe; the end of the pipe is a device gone.
bool readPipe(Touchpad& touchpad, FrameSink sink) {
    input_event event{};
    for (int n = 0; n < 512; ++n) {
        const ssize_t length = ::read(touchpad.fd, &event, sizeof event);
        if (length == 0) return false;
        if (length < 0) return errno == EAGAIN;
        if (auto frame = touchpad.decoder.feed(event)) sink(touchpad, *frame);
    }
    return true;
}

struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
    void frame() {
        input_event events[2] = {};
        events[0].type = EV_ABS;
        events[0].code = ABS_MT_TRACKING_ID;
        events[0].value = 1;
        events[1].type = EV_SYN;
        events[1].code = SYN_REPORT;
        ASSERT_EQ(::write(write, events, sizeof events), static_cast<ssize_t>(sizeof events));
    }
};

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST(ReaderThread, ADeviceThatGoesAwayIsDroppedAndTheOthersAreReadOn) {
    Pipe first, second;
    std::vector<std::unique_ptr<Touchpad>> touchpads;
    touchpads.push_back(
        std::make_unique<Touchpad>(first.read, nullptr, ContactFrameDecoder(2, {0, 1}, {0, 1}), "first"));
    touchpads.push_back(
        std::make_unique<Touchpad>(second.read, nullptr, ContactFrameDecoder(2, {0, 1}, {0, 1}), "second"));
    {
        ReaderThread reader(std::move(touchpads), countFrame, readPipe);
        ASSERT_TRUE(reader.started());
        first.frame();
        second.frame();
        ASSERT_TRUE(eventually([] { return framesOf("first") == 1 && framesOf("second") == 1; }));

        ::close(first.write);  // unplugged
        second.frame();
        ASSERT_TRUE(eventually([] { return framesOf("second") == 2; }));
        // Many frames at once from the one left.
        for (int i = 0; i < 1000; ++i) second.frame();
        ASSERT_TRUE(eventually([] { return framesOf("second") == 1002; }));
        EXPECT_EQ(framesOf("first"), 1);
    }  // the stop wakes the thread blocked in poll() and joins it
    ::close(second.write);
}

// What the reader told about devices plugged in or removed, as "<what> <path>".
std::vector<std::string> gNews;

void note(const std::string& line) {
    std::lock_guard lock(gMutex);
    gNews.push_back(line);
}
bool heard(const std::string& line) {
    std::lock_guard lock(gMutex);
    return std::find(gNews.begin(), gNews.end(), line) != gNews.end();
}

TEST(ReaderThread, DevicesPluggedInArePickedUpAndThoseRemovedDropped) {
    test::DeviceFolder folder("mtbridge-hotplug");
    ReaderHooks hooks;
    hooks.frame = countFrame;
    hooks.watchedDirectory = folder.path();
    hooks.open = test::openFifoDevice;
    hooks.pickedUp = [](Touchpad& touchpad) { note("picked up " + touchpad.path); };
    hooks.noted = [](const TouchpadTraits& traits) { note("noted " + traits.path); };
    hooks.dropped = [](const std::string& path, Touchpad* touchpad) {
        note((touchpad ? "dropped " : "forgot ") + path);
    };
    ReaderThread reader({}, hooks);
    ASSERT_TRUE(reader.started());
    ASSERT_TRUE(reader.watching());

    const std::string pad = folder.plugTouchpad("event7");
    ASSERT_TRUE(eventually([&] { return heard("picked up " + pad); }));
    test::FifoWriter writer(pad);
    ASSERT_TRUE(writer.open());
    writer.write(test::twoSlotFrame(3, 1.0));
    ASSERT_TRUE(eventually([&] { return framesOf(pad) == 1; }));

    const std::string other = folder.plugOtherTouchpad("event8");
    ASSERT_TRUE(eventually([&] { return heard("noted " + other); }));
    folder.unplug("event8");
    ASSERT_TRUE(eventually([&] { return heard("forgot " + other); }));
    folder.unplug("event7");
    ASSERT_TRUE(eventually([&] { return heard("dropped " + pad); }));
}

}  // namespace
}  // namespace mtbridge
