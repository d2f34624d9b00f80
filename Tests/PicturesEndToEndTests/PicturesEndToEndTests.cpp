// SPDX-License-Identifier: MIT
// PicturesEndToEndTests.cpp: window pictures on a real X server with openbox: the fixture
// application's three windows, set apart so none covers another, are captured through
// Composite; each picture shows its window's colour where ImageMagick's `import` of the screen
// shows it. A window that is gone or minimised gives no picture (and no crash), and a window
// larger than the screen is captured whole. A window that drew nothing since its last picture
// gives that picture again; one that drew (a clock's second hand) is read anew. A window asked
// smaller comes whole, scaled down, and is kept at that size.
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11ScreenCapture.h"
// Qt after the platform headers: its keyword macros would clash with them.
#include "Platform/Qt/QtDispatcher.h"

#include "ChildProcess.h"
#include "ScreenPixel.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace {

using e2e::waitWithEvents;
constexpr double kWaitSeconds = 8;

using e2e::Colour;
using e2e::colourOf;
using e2e::screenPixel;
constexpr auto output = e2e::shellOutput;

class PicturesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        dispatch = std::make_shared<platform::qt::QtDispatcher>();
        backend = platform::x11::X11Backend::connect(dispatch);
        ASSERT_TRUE(backend) << "no X server";
        backend->fill(services);
        ASSERT_TRUE(services.screenCapture->preflightAccess()) << "Xvfb has Composite";
    }

    // The capturable window with this title, once it is listed.
    std::optional<platform::ShareableWindow> windowTitled(const std::string& title) {
        std::optional<platform::ShareableWindow> found;
        waitWithEvents(kWaitSeconds, [&] {
            for (const auto& info : services.windowList->windows({true, true}))
                if (info.name == title && info.bounds) found = platform::ShareableWindow{info.number, *info.bounds};
            return found.has_value();
        });
        return found;
    }

    // Waits until the window stands at (x, y) with its outer frame.
    std::optional<platform::ShareableWindow> placed(const std::string& title, int x, int y) {
        std::optional<platform::ShareableWindow> window = windowTitled(title);
        if (!window) return std::nullopt;
        output("xdotool windowmove " + std::to_string(window->windowID) + " " + std::to_string(x) + " " +
               std::to_string(y));
        waitWithEvents(kWaitSeconds, [&] {
            window = windowTitled(title);
            return window && std::abs(window->frame.x - x) <= 1 && std::abs(window->frame.y - y) <= 1;
        });
        return window;
    }

    platform::CaptureOutcome capture(const platform::ShareableWindow& window) {
        return services.screenCapture->captureWindow(window, static_cast<int>(window.frame.width),
                                                     static_cast<int>(window.frame.height));
    }

    std::shared_ptr<platform::qt::QtDispatcher> dispatch;
    std::shared_ptr<platform::x11::X11Backend> backend;
    platform::Services services;
};

TEST_F(PicturesEndToEnd, FixtureColours) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    struct Expected {
        const char* title;
        int x, y;
        Colour colour;
    };
    const Expected windows[] = {
        {"ArveloFixture 1", 0, 0, {0x2e, 0x5e, 0xaa}},
        {"ArveloFixture 2", 0, 540, {0x2f, 0x8f, 0x5b}},
        {"ArveloFixture 3", 700, 0, {0xa8, 0x4a, 0x32}},
    };
    const bool deep = output("xdpyinfo | grep 'depth of root'").find(" 16 ") == std::string::npos;
    const int tolerance = deep ? 1 : 8;
    for (const auto& expected : windows) {
        SCOPED_TRACE(expected.title);
        const auto window = placed(expected.title, expected.x, expected.y);
        ASSERT_TRUE(window);
    }
    // Let the windows draw at their new places.
    waitWithEvents(0.5, [] { return false; });
    for (const auto& expected : windows) {
        SCOPED_TRACE(expected.title);
        const auto window = windowTitled(expected.title);
        ASSERT_TRUE(window);
        platform::CaptureOutcome outcome;
        // The first capture redirects the frame; its client may repaint just after.
        ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] {
            outcome = capture(*window);
            if (!outcome.image) return false;
            const auto& image = *outcome.image;
            return colourOf(image.pixel(image.width / 2, image.height * 2 / 3)).near(expected.colour, tolerance);
        })) << outcome.error;
        const auto& image = *outcome.image;
        EXPECT_EQ(image.width, static_cast<int>(window->frame.width));
        EXPECT_EQ(image.height, static_cast<int>(window->frame.height));

        const int px = image.width / 2, py = image.height * 2 / 3;
        const Colour ours = colourOf(image.pixel(px, py));
        const auto theirs =
            screenPixel(static_cast<int>(window->frame.x) + px, static_cast<int>(window->frame.y) + py);
        ASSERT_TRUE(theirs) << "import read no pixel";
        EXPECT_TRUE(ours.near(*theirs, tolerance)) << ours.text() << " vs import " << theirs->text();
        // The title bar is openbox's, not the window's colour.
        EXPECT_FALSE(colourOf(image.pixel(image.width / 2, 4)).near(expected.colour, tolerance));
    }
}

TEST_F(PicturesEndToEnd, WindowsGoneOrMinimisedGiveNoPictureAndLargeWindowsComeWhole) {
    e2e::ChildProcess xlogo("xlogo", {"-geometry", "300x200+50+50"});
    e2e::ChildProcess big("xlogo", {"-geometry", "300x200+400+50", "-title", "big"});
    auto window = windowTitled("xlogo");
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] { return capture(*window).image.has_value(); }));

    // Minimised: no picture, an error to say why (once the unmap reached this program too).
    output("xdotool windowminimize --sync " + std::to_string(window->windowID));
    waitWithEvents(kWaitSeconds, [&] {
        for (const auto& info : services.windowList->windows({true, true}))
            if (info.number == window->windowID) return false;
        return true;
    });
    auto outcome = capture(*window);
    EXPECT_FALSE(outcome.image);
    EXPECT_FALSE(outcome.error.empty());

    // Gone: the same, and the capture object goes on working.
    xlogo.terminate();
    xlogo.waitForExit(kWaitSeconds);
    waitWithEvents(1, [] { return false; });
    outcome = capture(*window);
    EXPECT_FALSE(outcome.image);

    // Larger than the 1920 × 1080 screen: every pixel of it.
    auto large = windowTitled("big");
    ASSERT_TRUE(large);
    // Taken once at its first size, so the capture has seen where this window's pixels were.
    ASSERT_TRUE(capture(*large).image);
    output("xdotool windowsize --sync " + std::to_string(large->windowID) + " 2600 1500");
    ASSERT_TRUE(waitWithEvents(kWaitSeconds,
                               [&] {
                                   large = windowTitled("big");
                                   return large && large->frame.width >= 2600;
                               }))
        << "openbox kept the window at " << (large ? large->frame.width : 0);
    outcome = capture(*large);
    ASSERT_TRUE(outcome.image) << outcome.error;
    EXPECT_EQ(outcome.image->width, static_cast<int>(large->frame.width));
    EXPECT_EQ(outcome.image->height, static_cast<int>(large->frame.height));
}

TEST_F(PicturesEndToEnd, AWindowIsReadAgainOnlyOnceItDrew) {
    // A clock that draws its second hand once a second.
    e2e::ChildProcess clock("xclock", {"-geometry", "300x300+50+50", "-update", "1"});
    auto window = windowTitled("xclock");
    ASSERT_TRUE(window);
    // Between two of its drawings, the picture taken again is the one taken before: the same pixels.
    std::shared_ptr<const std::vector<std::uint32_t>> last;
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        const auto outcome = capture(*window);
        const auto pixels = outcome.image ? outcome.image->pixels : nullptr;
        const bool same = pixels && pixels == last;
        last = pixels;
        return same;
    }));
    // Once the hand moved, the picture is read anew and shows it.
    EXPECT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        const auto outcome = capture(*window);
        const auto pixels = outcome.image ? outcome.image->pixels : nullptr;
        return pixels && pixels != last && *pixels != *last;
    }));
}

TEST_F(PicturesEndToEnd, AWindowAskedSmallerComesWholeScaledDownAndIsKeptAtThatSize) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    const auto window = placed("ArveloFixture 1", 100, 100);
    ASSERT_TRUE(window);
    const Colour colour{0x2e, 0x5e, 0xaa};
    const bool deep = output("xdpyinfo | grep 'depth of root'").find(" 16 ") == std::string::npos;
    const int tolerance = deep ? 2 : 8;
    const int width = static_cast<int>(window->frame.width), height = static_cast<int>(window->frame.height);
    // A quarter of the window's size, twice running: the second is the first picture kept.
    std::optional<platform::CapturedImage> small, again;
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        small = services.screenCapture->captureWindow(*window, width / 4, height / 4).image;
        again = services.screenCapture->captureWindow(*window, width / 4, height / 4).image;
        return small && again && small->pixels == again->pixels &&
               colourOf(small->pixel(small->width / 2, small->height * 2 / 3)).near(colour, tolerance);
    })) << (small ? colourOf(small->pixel(small->width / 2, small->height * 2 / 3)).text() : "no picture");
    EXPECT_NEAR(small->width, width / 4.0, 1.0);
    EXPECT_NEAR(small->height, height / 4.0, 1.0);
    EXPECT_EQ(small->pixels->size(), static_cast<std::size_t>(small->width) * small->height);
    // The title bar is still on top: the whole window came, not a corner of it.
    EXPECT_FALSE(colourOf(small->pixel(small->width / 2, 0)).near(colour, tolerance));
    // Asked at full size again, it is read at full size.
    const auto full = capture(*window).image;
    ASSERT_TRUE(full);
    EXPECT_EQ(full->width, width);
    EXPECT_EQ(full->height, height);
}

TEST_F(PicturesEndToEnd, SharedMemoryAndGetImageReadTheSamePixels) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    const auto window = placed("ArveloFixture 1", 100, 100);
    ASSERT_TRUE(window);
    auto& capture = static_cast<platform::x11::X11ScreenCapture&>(*services.screenCapture);
    EXPECT_TRUE(capture.usesSharedMemory()) << "Xvfb offers MIT-SHM";
    std::optional<platform::CapturedImage> shared, plain;
    ASSERT_TRUE(waitWithEvents(kWaitSeconds, [&] {
        capture.setSharedMemoryAllowed(true);
        shared = this->capture(*window).image;
        capture.setSharedMemoryAllowed(false);
        plain = this->capture(*window).image;
        return shared && plain && *shared->pixels == *plain->pixels;
    }));
}

}  // namespace
