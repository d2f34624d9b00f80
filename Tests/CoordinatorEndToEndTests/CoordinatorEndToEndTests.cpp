// SPDX-License-Identifier: MIT
// CoordinatorEndToEndTests.cpp: a coordinator on a real X server with openbox arranges the
// fixture application's three windows so that none overlaps another, then restore() puts
// each back at the frame it had before, as the X server reports them; a terminal is laid out
// at the size its character cells round its tile to.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unistd.h>
#include <vector>

#include "ChildProcess.h"
#include "RectChecks.h"
#include "Wait.h"

#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Windows/WindowScan.h"
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/StandardServices.h"
#include "Platform/X11/X11Backend.h"

using namespace arvelo;
using e2e::waitWithEvents;

namespace {

// Waits on the real X server are bounded polls of the event loop.
constexpr double kArrangeDeadline = 30;
constexpr double kRestoreDeadline = 15;
constexpr double kOpenDeadline = 10;
constexpr double kRestoreTolerance = 2;
constexpr double kLateCheckSeconds = 3.5;  // the read-back checks and the late check have run

using arvelo::testing::anyOverlap;
using arvelo::testing::nearFrame;

class CoordinatorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("vomira-coordinator-e2e-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        dispatch = std::make_shared<platform::qt::QtDispatcher>();
        backend = platform::x11::X11Backend::connect(dispatch);
        if (!backend) GTEST_SKIP() << "no X server";
        auto environment = platform::Environment::ofProcess(0, nullptr);
        environment.variables["XDG_DATA_HOME"] = (folder / "data").string();
        environment.variables["XDG_CONFIG_HOME"] = (folder / "config").string();
        environment.variables.erase("ARVELO_STATE_DIR");
        services = platform::standardServices(environment);
        services.dispatch = dispatch;
        services.clock = dispatch;
        backend->fill(services);
    }
    void TearDown() override {
        coordinator.reset();
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    // The frames of the elements as the X server has them now.
    std::vector<Rect> framesOf(const std::vector<platform::AccessElement>& elements) {
        std::vector<Rect> frames;
        for (const auto& element : elements)
            frames.push_back(WindowScan::rect(*services.accessibility, element).value_or(Rect::null()));
        return frames;
    }

    bool onADisplay(const Rect& frame) const {
        for (const auto& display : coordinator->displays.get())
            if (display.frame.contains(frame)) return true;
        return false;
    }

    std::filesystem::path folder;
    std::shared_ptr<platform::qt::QtDispatcher> dispatch;
    std::shared_ptr<platform::x11::X11Backend> backend;
    platform::Services services;
    std::shared_ptr<Coordinator> coordinator;
};

}  // namespace

TEST_F(CoordinatorEndToEnd, ArrangesTheFixtureWithoutOverlapAndRestoresIt) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    ASSERT_GT(fixture.pid(), 0);
    std::vector<platform::AccessElement> elements;
    ASSERT_TRUE(waitWithEvents(kOpenDeadline, [&] {
        const auto windows = services.accessibility->copyAttributeValue(platform::AccessElement::application(fixture.pid()),
                                                                        platform::ax::kWindows, WindowScan::kTimeout);
        if (!windows.ok() || !windows.value.elements()) return false;
        elements = *windows.value.elements();
        return elements.size() == 3;
    })) << "the fixture's three windows appear";
    const std::vector<Rect> originals = framesOf(elements);
    ASSERT_TRUE(anyOverlap(originals)) << "the fixture opens its windows cascaded";

    // The coordinator as the fixture modes make it: only the fixture's windows are arranged.
    coordinator = Coordinator::make(services, true, true, folder / "state");
    const bool arranged = waitWithEvents(kArrangeDeadline, [&] {
        if (!coordinator->managing.get() || coordinator->managedHere().size() != 3) return false;
        // The window with a large minimum first refuses its tile; once its minimum is
        // learnt the layout makes room for it on screen.
        const auto frames = framesOf(elements);
        for (const auto& frame : frames)
            if (frame.isNull() || !onADisplay(frame)) return false;
        return !anyOverlap(frames);
    });
    std::string described;
    for (const auto& frame : framesOf(elements)) described += toString(frame) + " ";
    ASSERT_TRUE(arranged) << "frames now: " << described << "; status: " << coordinator->status.get();
    EXPECT_EQ(coordinator->status.get(),
              "3 docked windows. Drag a title bar to an edge to dock, or onto the Desktop to float it.");

    coordinator->restore();
    const bool restored = waitWithEvents(kRestoreDeadline, [&] {
        const auto frames = framesOf(elements);
        for (std::size_t i = 0; i < frames.size(); ++i)
            if (!nearFrame(frames[i], originals[i], kRestoreTolerance)) return false;
        return true;
    });
    described.clear();
    for (const auto& frame : framesOf(elements)) described += toString(frame) + " ";
    std::string expected;
    for (const auto& frame : originals) expected += toString(frame) + " ";
    EXPECT_TRUE(restored) << "frames now: " << described << "; before: " << expected;
    EXPECT_EQ(coordinator->status.get(), "Original window positions restored.");
    // Each entry goes once a read-back confirms its window back; then the file goes.
    EXPECT_TRUE(
        waitWithEvents(kRestoreDeadline, [&] { return !std::filesystem::exists(folder / "state" / "restore.json"); }));
}

// A terminal takes whole character cells only: the coordinator lays it out at the size its
// cells round its tile to, which is the frame openbox gives it, so nothing waits for a frame
// that cannot come and no check writes it again.
TEST_F(CoordinatorEndToEnd, ATerminalIsLaidOutAtTheSizeItsCellsRoundTo) {
    if (std::system("command -v xterm >/dev/null 2>&1") != 0) GTEST_SKIP() << "xterm is not installed";
    e2e::ChildProcess terminal("xterm", {"-geometry", "71x23+40+40"});
    ASSERT_GT(terminal.pid(), 0);
    std::optional<platform::AccessElement> element;
    ASSERT_TRUE(waitWithEvents(kOpenDeadline, [&] {
        const auto windows = services.accessibility->copyAttributeValue(
            platform::AccessElement::application(terminal.pid()), platform::ax::kWindows, WindowScan::kTimeout);
        if (!windows.ok() || !windows.value.elements() || windows.value.elements()->empty()) return false;
        element = windows.value.elements()->front();
        return true;
    })) << "xterm's window appears";
    const Rect original = framesOf({*element}).front();

    coordinator = Coordinator::make(services, false, true, folder / "state");
    std::shared_ptr<WindowRecord> record;
    const bool placed = waitWithEvents(kArrangeDeadline, [&] {
        for (const auto& r : coordinator->windows.get())
            if (r->element == *element) record = r;
        return record && record->expectedFrame && framesOf({*element}).front() == *record->expectedFrame;
    });
    ASSERT_TRUE(record) << "status: " << coordinator->status.get();
    EXPECT_TRUE(placed) << "asked " << toString(record->expectedFrame.value_or(Rect::null())) << ", has "
                        << toString(framesOf({*element}).front());
    const Rect tile = *record->expectedFrame;
    EXPECT_EQ(coordinator->access->fittedSize(*record, tile.size()), tile.size());
    // The read-back checks and the late check find it placed: it stays as it is.
    EXPECT_FALSE(waitWithEvents(kLateCheckSeconds, [&] {
        return framesOf({*element}).front() != tile || record->expectedFrame != tile;
    })) << "moved to " << toString(framesOf({*element}).front());
    EXPECT_EQ(record->expectedFrame, tile);

    coordinator->restore();
    EXPECT_TRUE(waitWithEvents(kRestoreDeadline,
                               [&] { return nearFrame(framesOf({*element}).front(), original, kRestoreTolerance); }));
}
