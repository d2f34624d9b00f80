// SPDX-License-Identifier: MIT
// PinsEndToEndTests.cpp: pins on a real X server with openbox. A live stream of a fixture window
// delivers frames whose pixels are the window's as ImageMagick's `import` reads the screen; a
// resize followed by the pin's new profile gives frames of the new size; a window that does not
// change is not read again (Damage); a minimised window keeps its last frame; a closed window
// ends the stream with its error, once. The raiser brings a covered window to the front, as
// _NET_ACTIVE_WINDOW and the stacking order say.
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11PinCaptureBackend.h"
#include "TenvikKit/Pins/WindowRaiser.h"
#include "TenvikKit/Pins/PinStream.h"
#include "TenvikKit/Pins/WindowResolver.h"
// Qt after the platform headers: its keyword macros would clash with them.
#include "Platform/Qt/QtDispatcher.h"

#include "ChildProcess.h"
#include "ScreenPixel.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace {

using e2e::waitWithEvents;
constexpr double kWaitSeconds = 8;

using e2e::Colour;
using e2e::colourOf;
using e2e::screenPixel;
constexpr auto output = e2e::shellOutput;

// The window numbers of a root property holding windows, in order.
std::vector<std::uint32_t> rootWindows(const std::string& property) {
    std::vector<std::uint32_t> windows;
    const std::string text = output("xprop -root " + property);
    std::istringstream in(text.substr(text.find('#') == std::string::npos ? text.size() : text.find('#') + 1));
    std::string word;
    while (in >> word) {
        if (word.back() == ',') word.pop_back();
        if (word.rfind("0x", 0) == 0) windows.push_back(static_cast<std::uint32_t>(std::stoul(word, nullptr, 16)));
    }
    return windows;
}

struct Frames : platform::PinFrameTarget {
    void enqueue(const platform::CapturedImage& frame) override {
        ++count;
        last = frame;
    }
    int count = 0;
    std::optional<platform::CapturedImage> last;
};

class PinsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        dispatch = std::make_shared<platform::qt::QtDispatcher>();
        backend = platform::x11::X11Backend::connect(dispatch);
        ASSERT_TRUE(backend) << "no X server";
        backend->fill(services);
        ASSERT_TRUE(services.liveCapture);
        resolver = std::make_unique<tenvik::WindowResolver>(services.liveCapture, services.windowList);
    }

    // The capturable window with this title, once it is listed.
    std::optional<platform::ShareableContentWindow> windowTitled(const std::string& title) {
        std::optional<platform::ShareableContentWindow> found;
        waitWithEvents(kWaitSeconds, [&] {
            if (auto content = services.liveCapture->shareableContent(true, true, nullptr))
                for (const auto& window : *content)
                    if (window.title == title) found = window;
            return found.has_value();
        });
        return found;
    }

    // Moves (and sizes) the window and waits until the window list says so.
    std::optional<platform::ShareableContentWindow> placed(const std::string& title, int x, int y,
                                                           std::optional<std::pair<int, int>> size = {}) {
        auto window = windowTitled(title);
        if (!window) return std::nullopt;
        const std::string id = std::to_string(window->windowID);
        if (size)
            output("xdotool windowsize --sync " + id + " " + std::to_string(size->first) + " " +
                   std::to_string(size->second));
        output("xdotool windowmove --sync " + id + " " + std::to_string(x) + " " + std::to_string(y));
        waitWithEvents(kWaitSeconds, [&] {
            window = windowTitled(title);
            return window && std::abs(window->frame.x - x) <= 1 && std::abs(window->frame.y - y) <= 1;
        });
        return window;
    }

    std::shared_ptr<tenvik::PinStream> startStream(const platform::ShareableContentWindow& window) {
        const platform::PinCaptureProfile profile{static_cast<int>(window.frame.width),
                                                  static_cast<int>(window.frame.height), 30};
        auto stream =
            tenvik::PinStream::make(dispatch, services.liveCapture->makeBackend(window, frames, profile), profile);
        stream->onFailure = [this](const platform::CaptureError& error) { failures.push_back(error); };
        bool answered = false;
        stream->start([&](std::optional<platform::CaptureError> error) {
            answered = true;
            startError = error;
        });
        waitWithEvents(kWaitSeconds, [&] { return answered; });
        EXPECT_TRUE(answered);
        return stream;
    }

    // The frame's pixel at a fraction of its size, against the screen's pixel at the same place
    // of the window's frame. The window may still be repainting after a resize.
    void expectPixelsMatchTheScreen(const platform::ShareableContentWindow& window, const Colour& expected) {
        ASSERT_TRUE(frames->last);
        waitWithEvents(kWaitSeconds, [&] {
            const auto& image = *frames->last;
            return colourOf(image.pixel(image.width / 2, image.height * 2 / 3)).near(expected, 2);
        });
        const auto& image = *frames->last;
        const int px = image.width / 2, py = image.height * 2 / 3;
        const Colour ours = colourOf(image.pixel(px, py));
        EXPECT_TRUE(ours.near(expected, 2)) << ours.text() << " vs fixture " << expected.text();
        const int sx = static_cast<int>(window.frame.x + px * window.frame.width / image.width);
        const int sy = static_cast<int>(window.frame.y + py * window.frame.height / image.height);
        const auto theirs = screenPixel(sx, sy);
        ASSERT_TRUE(theirs) << "import read no pixel";
        EXPECT_TRUE(ours.near(*theirs, 2)) << ours.text() << " vs import " << theirs->text();
    }

    std::shared_ptr<platform::qt::QtDispatcher> dispatch;
    std::shared_ptr<platform::x11::X11Backend> backend;
    platform::Services services;
    std::unique_ptr<tenvik::WindowResolver> resolver;
    std::shared_ptr<Frames> frames = std::make_shared<Frames>();
    std::vector<platform::CaptureError> failures;
    std::optional<platform::CaptureError> startError;
};

const Colour kFixtureBlue{0x2e, 0x5e, 0xaa};

TEST_F(PinsEndToEnd, StreamShowsTheWindowFollowsResizesAndLeavesStillWindowsUnread) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    // The other two windows out of the way: import reads the screen, where they could cover it.
    ASSERT_TRUE(placed("ArveloFixture 2", 1250, 0));
    ASSERT_TRUE(placed("ArveloFixture 3", 1250, 540));
    auto window = placed("ArveloFixture 1", 100, 100);
    ASSERT_TRUE(window);
    // Let it draw at its new place.
    waitWithEvents(0.5, [] { return false; });
    auto stream = startStream(*window);
    ASSERT_FALSE(startError) << startError->message;
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return frames->count > 0; })) << "no frame";
    EXPECT_EQ(frames->last->width, static_cast<int>(window->frame.width));
    EXPECT_EQ(frames->last->height, static_cast<int>(window->frame.height));
    expectPixelsMatchTheScreen(*window, kFixtureBlue);

    // Nothing changes: nothing is read, no frame comes.
    waitWithEvents(0.3, [] { return false; });
    const int still = frames->count;
    waitWithEvents(1.0, [] { return false; });
    EXPECT_EQ(frames->count, still) << "a window that does not change is not read again";

    // Resized: the pin asks for the new size; frames come at it, showing the window.
    const int before = frames->count;
    window = placed("ArveloFixture 1", 100, 100, std::pair{500, 350});
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return window->frame.width <= 520; }));
    stream->requestProfile({static_cast<int>(window->frame.width), static_cast<int>(window->frame.height), 30});
    ASSERT_TRUE(waitWithEvents(kWaitSeconds,
                               [&] {
                                   return frames->count > before &&
                                          frames->last->width == static_cast<int>(window->frame.width) &&
                                          frames->last->height == static_cast<int>(window->frame.height);
                               }))
        << "frame " << frames->last->width << "x" << frames->last->height;
    waitWithEvents(0.5, [] { return false; });
    expectPixelsMatchTheScreen(*window, kFixtureBlue);

    // Half the size: frames are scaled to fit the profile, the aspect kept.
    const int halfWidth = static_cast<int>(window->frame.width) / 2;
    const int halfHeight = static_cast<int>(window->frame.height) / 2;
    stream->requestProfile({halfWidth, halfHeight, 30});
    ASSERT_TRUE(waitWithEvents(kWaitSeconds,
                               [&] {
                                   const auto& last = *frames->last;
                                   return last.width <= halfWidth && last.height <= halfHeight &&
                                          (last.width == halfWidth || last.height == halfHeight);
                               }))
        << frames->last->width << "x" << frames->last->height << " for " << halfWidth << "x" << halfHeight;
    expectPixelsMatchTheScreen(*window, kFixtureBlue);

    // Minimised: no error, the last frame stays; back: frames again.
    const int beforeMinimise = frames->count;
    output("xdotool windowminimize --sync " + std::to_string(window->windowID));
    waitWithEvents(1.0, [] { return false; });
    EXPECT_TRUE(failures.empty());
    EXPECT_LE(frames->count, beforeMinimise + 1);
    output("wmctrl -i -a " + std::to_string(window->windowID));
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] { return frames->count > beforeMinimise + 0; }));
    EXPECT_TRUE(failures.empty());

    auto shutdown = stream->stop();
    ASSERT_TRUE(shutdown);
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] { return shutdown->isFinished(); }));
    const int afterStop = frames->count;
    output("xdotool windowsize --sync " + std::to_string(window->windowID) + " 400 300");
    waitWithEvents(0.5, [] { return false; });
    EXPECT_EQ(frames->count, afterStop) << "no frame after stop";
}

TEST_F(PinsEndToEnd, WithoutSharedMemoryGetImageShowsTheSameWindow) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    ASSERT_TRUE(placed("ArveloFixture 2", 1250, 0));
    ASSERT_TRUE(placed("ArveloFixture 3", 1250, 540));
    auto window = placed("ArveloFixture 1", 100, 100);
    ASSERT_TRUE(window);
    waitWithEvents(0.5, [] { return false; });
    const platform::PinCaptureProfile profile{static_cast<int>(window->frame.width) / 2,
                                              static_cast<int>(window->frame.height) / 2, 30};
    auto backend = services.liveCapture->makeBackend(*window, frames, profile);
    auto x11 = std::dynamic_pointer_cast<platform::x11::X11PinCaptureBackend>(backend);
    ASSERT_TRUE(x11);
    x11->setSharedMemoryAllowed(false);
    auto stream = tenvik::PinStream::make(dispatch, backend, profile);
    bool answered = false;
    stream->start([&](std::optional<platform::CaptureError> error) {
        answered = true;
        startError = error;
    });
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return answered; }));
    ASSERT_FALSE(startError) << startError->message;
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return frames->count > 0; })) << "no frame";
    EXPECT_FALSE(x11->usesSharedMemory());
    expectPixelsMatchTheScreen(*window, kFixtureBlue);
}

TEST_F(PinsEndToEnd, ClosingTheWindowEndsTheStreamWithItsErrorOnce) {
    auto xlogo = std::make_unique<e2e::ChildProcess>("xlogo", std::vector<std::string>{"-geometry", "300x200+50+50"});
    auto window = windowTitled("xlogo");
    ASSERT_TRUE(window);
    auto stream = startStream(*window);
    ASSERT_FALSE(startError) << startError->message;
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return frames->count > 0; }));

    xlogo->terminate();
    xlogo->waitForExit(kWaitSeconds);
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return !failures.empty(); })) << "the stream did not end";
    waitWithEvents(0.5, [] { return false; });
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures.front().message, "The window was closed.");
    EXPECT_EQ(failures.front().domain, platform::x11::X11PinCaptureBackend::kErrorDomain);
    EXPECT_EQ(stream->state(), tenvik::PinStream::State::stopped);

    // A stream of a window that is already gone fails to start, with the same text.
    frames = std::make_shared<Frames>();
    auto late = startStream(*window);
    ASSERT_TRUE(startError);
    EXPECT_EQ(startError->message, "The window was closed.");
}

TEST_F(PinsEndToEnd, RaiserBringsACoveredWindowToTheFront) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    auto target = placed("ArveloFixture 2", 100, 100);
    ASSERT_TRUE(target);
    e2e::ChildProcess cover("xlogo", {"-geometry", "900x700+50+50", "-title", "cover"});
    auto covering = windowTitled("cover");
    ASSERT_TRUE(covering);
    output("wmctrl -i -a " + std::to_string(covering->windowID));
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        const auto active = rootWindows("_NET_ACTIVE_WINDOW");
        return !active.empty() && active.front() == covering->windowID;
    }));

    const auto pinned = resolver->currentWindowInfo(target->windowID);
    ASSERT_TRUE(pinned);
    const tenvik::WindowRaiser raiser(services.accessibility, services.workspace);
    EXPECT_TRUE(raiser.raise(*pinned));
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        const auto active = rootWindows("_NET_ACTIVE_WINDOW");
        return !active.empty() && active.front() == target->windowID;
    })) << "_NET_ACTIVE_WINDOW";
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        const auto stacking = rootWindows("_NET_CLIENT_LIST_STACKING");  // bottom to top
        const auto at = [&](std::uint32_t id) { return std::find(stacking.begin(), stacking.end(), id); };
        return at(target->windowID) != stacking.end() && at(covering->windowID) != stacking.end() &&
               at(target->windowID) > at(covering->windowID);
    })) << "stacking order";
}

}  // namespace
