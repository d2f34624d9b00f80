// SPDX-License-Identifier: MIT
// The platform contract: what the arranger relies on of every backend, checked case by case on
// the simulated desktop and on a real X server with openbox. A case that passes on one and
// fails on the other shows where the simulation has drifted from the real desktop.
#include "ContractDesktop.h"
#include "RectChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace contract {
namespace {

using platform::AccessElement;
using platform::AccessError;
using platform::AccessValue;
namespace ax = platform::ax;

constexpr double kTimeout = 0.25;
constexpr double kWriteTimeout = 1.25;
constexpr double kTolerance = 2;

bool near(const arvelo::Rect& a, const arvelo::Rect& b) { return arvelo::testing::nearFrame(a, b, kTolerance); }

class PlatformContract : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (GetParam() == "Sim") {
            desktop_ = std::make_unique<ContractDesktop>(makeSimulatedDesktop());
        } else {
            desktop_ = makeX11Desktop();
            ASSERT_TRUE(desktop_) << "no X server to run on (run under scripts/with-xvfb)";
        }
    }

    ContractDesktop& desktop() { return *desktop_; }
    platform::Accessibility& ax() { return *desktop_->services.accessibility; }

    platform::AccessResult read(const AccessElement& element, std::string_view attribute) {
        return ax().copyAttributeValue(element, attribute, kTimeout);
    }

    std::string title(const AccessElement& element) { return read(element, ax::kTitle).value.string().value_or(""); }

    std::optional<arvelo::Rect> frame(const AccessElement& element) {
        const auto position = read(element, ax::kPosition).value.point();
        const auto size = read(element, ax::kSize).value.size();
        if (!position || !size) return std::nullopt;
        return arvelo::Rect(*position, *size);
    }

    bool minimised(const AccessElement& element) { return read(element, ax::kMinimized).value.boolean() == true; }

    // The application's windows, in title order.
    std::vector<AccessElement> windowsOf(std::int32_t pid) {
        auto list = read(AccessElement::application(pid), ax::kWindows).value.elements().value_or(std::vector<AccessElement>{});
        std::sort(list.begin(), list.end(),
                  [this](const AccessElement& a, const AccessElement& b) { return title(a) < title(b); });
        return list;
    }

    // Opens the fixture application and answers its windows in title order.
    std::vector<AccessElement> openFixture() {
        const OpenedApp app = desktop().openFixture();
        EXPECT_NE(app.pid, 0) << "the fixture application did not open its windows";
        fixturePid_ = app.pid;
        return windowsOf(app.pid);
    }

    std::optional<platform::WindowInfo> listed(std::uint32_t number) {
        for (const auto& info : desktop().services.windowList->windows({}))
            if (info.number == number) return info;
        return std::nullopt;
    }

    std::int32_t fixturePid_ = 0;

private:
    std::unique_ptr<ContractDesktop> desktop_;
};

TEST_P(PlatformContract, FixtureApplicationAndItsWindowsAreListedWithStableElements) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);

    const auto app = desktop().services.workspace->application(fixturePid_);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->applicationID, kFixtureIdentifier);
    EXPECT_EQ(app->localizedName, "ArveloFixture");
    EXPECT_EQ(app->activationPolicy, platform::ActivationPolicy::regular);

    for (std::size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE(kFixtureTitles[i]);
        const AccessElement& w = windows[i];
        EXPECT_EQ(title(w), kFixtureTitles[i]);
        EXPECT_EQ(read(w, ax::kRole).value, AccessValue("AXWindow"));
        EXPECT_EQ(read(w, ax::kSubrole).value, AccessValue("AXStandardWindow"));
        EXPECT_EQ(read(w, ax::kParent).value, AccessValue(AccessElement::application(fixturePid_)));
        EXPECT_EQ(ax().windowNumber(w), w.window);
        EXPECT_TRUE(ax().isAttributeSettable(w, ax::kPosition, kTimeout).yes());

        // The window server lists it on screen, owned by the process, at the frame Accessibility reads.
        const auto info = listed(w.window);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->ownerPid, fixturePid_);
        EXPECT_EQ(info->layer, 0);
        EXPECT_EQ(info->name, kFixtureTitles[i]);
        EXPECT_EQ(info->bounds, frame(w));
    }
    // Read again, the same elements come back.
    EXPECT_EQ(windowsOf(fixturePid_), windows);
}

TEST_P(PlatformContract, WrittenFrameIsReadBack) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const AccessElement w = windows[0];
    const arvelo::Rect target(300, 200, 700, 480);

    EXPECT_EQ(ax().setAttributeValue(w, ax::kPosition, AccessValue(target.origin()), kWriteTimeout), AccessError::success);
    EXPECT_EQ(ax().setAttributeValue(w, ax::kSize, AccessValue(target.size()), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return frame(w) && near(*frame(w), target); }))
        << "read back " << arvelo::toString(frame(w).value_or(arvelo::Rect::null()));
}

// What a reader keeps under a change stamp is only as good as the stamp: it must stand while
// nothing happens and move with our own writes and with another program's changes.
TEST_P(PlatformContract, ChangeStampStandsWhileNothingHappensAndMovesWithEveryChange) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const AccessElement w = windows[0];
    ASSERT_TRUE(frame(w));
    const auto stamp = [&] { return ax().changeStamp(w); };
    ASSERT_TRUE(stamp()) << "a window read once has a stamp";

    // Once the window has settled, the stamp holds across a quiet pause.
    std::optional<std::uint64_t> quiet;
    ASSERT_TRUE(desktop().waitUntil([&] {
        quiet = stamp();
        desktop().pause();
        return stamp() == quiet;
    }));

    const arvelo::Rect target(arvelo::Point{260, 180}, frame(w)->size());
    EXPECT_EQ(ax().setAttributeValue(w, ax::kPosition, AccessValue(target.origin()), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return frame(w) && near(*frame(w), target); }));
    EXPECT_NE(stamp(), quiet) << "our own write moves it";

    ASSERT_TRUE(desktop().waitUntil([&] {
        quiet = stamp();
        desktop().pause();
        return stamp() == quiet;
    }));
    desktop().sendWindowToSpace(w.window, 2);
    EXPECT_TRUE(desktop().waitUntil([&] { return stamp() != quiet; })) << "another program's change moves it";
}

// The list is read again every beat: each read shows what changed since the one before (a
// frame written, the stacking after a raise, a window sent to another desktop), and two reads
// with nothing between them agree.
TEST_P(PlatformContract, WindowListReadAgainShowsEveryChangeSinceTheLastRead) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const AccessElement w = windows[0];
    EXPECT_EQ(desktop().services.windowList->windows({}), desktop().services.windowList->windows({}));

    const arvelo::Rect target(arvelo::Point{240, 170}, frame(w)->size());
    EXPECT_EQ(ax().setAttributeValue(w, ax::kPosition, AccessValue(target.origin()), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] {
        const auto info = listed(w.window);
        return info && info->bounds && near(*info->bounds, target);
    }));

    // The fixture window listed first (front-most) among the three.
    const auto frontOfFixture = [&]() -> std::uint32_t {
        for (const auto& info : desktop().services.windowList->windows({}))
            if (info.ownerPid == fixturePid_) return info.number;
        return 0;
    };
    for (const AccessElement& raised : {windows[1], windows[0]}) {
        EXPECT_EQ(ax().performAction(raised, ax::kRaiseAction, kTimeout), AccessError::success);
        EXPECT_TRUE(desktop().waitUntil([&] { return frontOfFixture() == raised.window; }));
    }

    desktop().sendWindowToSpace(w.window, 2);
    EXPECT_TRUE(desktop().waitUntil([&] { return !listed(w.window); }));
}

// A backend that gives the window list a change stamp keeps it while nothing happens and moves
// it with every change a scan would read: a frame written, a raise that only restacks, another
// program's change.
TEST_P(PlatformContract, WindowListChangeStampStandsWhileNothingHappensAndMovesWithEveryChange) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    platform::WindowList& list = *desktop().services.windowList;
    if (!list.changeStamp()) GTEST_SKIP() << "this backend cannot tell";
    std::optional<std::uint64_t> quiet;
    const auto settle = [&] {
        return desktop().waitUntil([&] {
            quiet = list.changeStamp();
            desktop().pause();
            return list.changeStamp() == quiet;
        });
    };

    ASSERT_TRUE(settle());
    const AccessElement w = windows[0];
    const arvelo::Rect target(arvelo::Point{250, 160}, frame(w)->size());
    EXPECT_EQ(ax().setAttributeValue(w, ax::kPosition, AccessValue(target.origin()), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return list.changeStamp() != quiet; })) << "our own write";

    ASSERT_TRUE(settle());
    EXPECT_EQ(ax().performAction(windows[1], ax::kRaiseAction, kTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return list.changeStamp() != quiet; })) << "a raise";

    ASSERT_TRUE(settle());
    desktop().sendWindowToSpace(windows[2].window, 2);
    EXPECT_TRUE(desktop().waitUntil([&] { return list.changeStamp() != quiet; })) << "another program's change";
}

TEST_P(PlatformContract, SizeBelowTheWindowsMinimumIsRefusedWithoutAnError) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const AccessElement large = windows[2];  // opens at its minimum size
    const auto before = frame(large);
    ASSERT_TRUE(before);

    EXPECT_EQ(ax().setAttributeValue(large, ax::kSize, AccessValue(arvelo::Size{400, 300}), kWriteTimeout),
              AccessError::success);
    desktop().pause();  // a late change would show now
    const auto after = frame(large);
    ASSERT_TRUE(after);
    EXPECT_NEAR(after->width, before->width, kTolerance);
    EXPECT_NEAR(after->height, before->height, kTolerance);

    // A size above the minimum is taken.
    const arvelo::Size larger{before->width + 100, before->height + 50};
    EXPECT_EQ(ax().setAttributeValue(large, ax::kSize, AccessValue(larger), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] {
        const auto now = frame(large);
        return now && std::abs(now->width - larger.width) <= kTolerance &&
               std::abs(now->height - larger.height) <= kTolerance;
    }));
}

TEST_P(PlatformContract, MinimisedWindowLeavesTheScreenAndComesBack) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const AccessElement w = windows[1];

    EXPECT_EQ(ax().setAttributeValue(w, ax::kMinimized, AccessValue(true), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return minimised(w) && !listed(w.window); }));
    // Still one of the application's windows.
    EXPECT_EQ(windowsOf(fixturePid_).size(), 3u);

    EXPECT_EQ(ax().setAttributeValue(w, ax::kMinimized, AccessValue(false), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return !minimised(w) && listed(w.window); }));
}

TEST_P(PlatformContract, CloseButtonClosesTheWindowAndItsElementGoesInvalid) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const AccessElement w = windows[0];

    const auto button = read(w, ax::kCloseButton).value.element();
    ASSERT_TRUE(button);
    EXPECT_EQ(read(*button, ax::kSubrole).value, AccessValue("AXCloseButton"));
    EXPECT_EQ(ax().performAction(*button, ax::kPressAction, kTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return windowsOf(fixturePid_).size() == 2; }));
    EXPECT_EQ(read(w, ax::kRole).error, AccessError::invalidUIElement);
    EXPECT_EQ(ax().setAttributeValue(w, ax::kPosition, AccessValue(arvelo::Point{10, 10}), kTimeout),
              AccessError::invalidUIElement);
}

TEST_P(PlatformContract, SwitchingDesktopsChangesTheCurrentSpaceAndTellsSo) {
    const auto screens = desktop().services.screens->screens();
    ASSERT_FALSE(screens.empty());
    ASSERT_TRUE(screens.front().number);
    const std::uint32_t display = *screens.front().number;
    platform::Spaces& spaces = *desktop().services.spaces;
    EXPECT_EQ(spaces.currentSpace(display), 1u);

    int changes = 0;
    auto subscription = desktop().services.workspace->activeSpaceDidChange.connect([&] { ++changes; });
    desktop().switchToSpace(2);
    EXPECT_TRUE(desktop().waitUntil([&] { return spaces.currentSpace(display) == 2 && changes == 1; }));
    desktop().switchToSpace(1);
    EXPECT_TRUE(desktop().waitUntil([&] { return spaces.currentSpace(display) == 1 && changes == 2; }));
}

TEST_P(PlatformContract, WindowOnAnotherDesktopIsInThatSpaceAndOffScreen) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const AccessElement w = windows[1];
    platform::Spaces& spaces = *desktop().services.spaces;
    EXPECT_EQ(spaces.spacesOfWindow(w.window), std::set<platform::SpaceID>{1});

    desktop().sendWindowToSpace(w.window, 2);
    EXPECT_TRUE(desktop().waitUntil([&] { return spaces.spacesOfWindow(w.window) == std::set<platform::SpaceID>{2}; }));
    EXPECT_TRUE(desktop().waitUntil([&] { return !listed(w.window); }));
    // Accessibility still knows it, unminimised, with its frame.
    EXPECT_EQ(windowsOf(fixturePid_).size(), 3u);
    EXPECT_FALSE(minimised(w));
    EXPECT_TRUE(frame(w));
    EXPECT_TRUE(spaces.spacesOfWindow(0).empty());
}

TEST_P(PlatformContract, PlainXClientIsAnApplicationWithAMovableWindow) {
    const auto opened = desktop().openXlogo();
    if (!opened) GTEST_SKIP() << "xlogo is not installed";
    ASSERT_NE(opened->pid, 0);
    const auto app = desktop().services.workspace->application(opened->pid);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->applicationID, "XLogo");
    EXPECT_EQ(app->localizedName, "xlogo");

    const auto windows = windowsOf(opened->pid);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(read(windows[0], ax::kSubrole).value, AccessValue("AXStandardWindow"));
    EXPECT_EQ(title(windows[0]), "xlogo");
    const arvelo::Rect target(500, 300, 320, 240);
    EXPECT_EQ(ax().setAttributeValue(windows[0], ax::kPosition, AccessValue(target.origin()), kWriteTimeout),
              AccessError::success);
    EXPECT_EQ(ax().setAttributeValue(windows[0], ax::kSize, AccessValue(target.size()), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return frame(windows[0]) && near(*frame(windows[0]), target); }));
}

// A size between a terminal's cells: the platform tells the size the cells round it to, and a
// write of that size leaves the window at exactly that size. A write of the size between cells
// leaves it at the rounded size where the manager applies the cells to requests (openbox,
// icewm, metacity, marco, mutter, the simulation) or at the size asked where it does not (xfwm4,
// fluxbox): both count as placed.
TEST_P(PlatformContract, ATerminalTakesTheSizeItsCellsRoundTo) {
    const auto opened = desktop().openTerminal();
    if (!opened) GTEST_SKIP() << "xterm is not installed";
    ASSERT_NE(opened->pid, 0);
    std::vector<AccessElement> windows;
    ASSERT_TRUE(desktop().waitUntil([&] { return (windows = windowsOf(opened->pid)).size() == 1; }));
    const AccessElement terminal = windows[0];
    // Shown, so the manager has placed it before it is moved.
    ASSERT_TRUE(desktop().waitUntil([&] { return listed(terminal.window).has_value(); }));

    // Of two sizes a pixel apart, at least one lies between cells.
    arvelo::Rect target(240, 160, 473, 331);
    auto fitted = ax().fittedSize(terminal, target.size(), kTimeout);
    ASSERT_TRUE(fitted);
    if (*fitted == target.size()) {
        target = arvelo::Rect(240, 160, 474, 332);
        fitted = ax().fittedSize(terminal, target.size(), kTimeout);
        ASSERT_TRUE(fitted);
    }
    EXPECT_NE(*fitted, target.size());
    EXPECT_LE(fitted->width, target.width);
    EXPECT_LE(fitted->height, target.height);
    EXPECT_EQ(ax().fittedSize(terminal, *fitted, kTimeout), *fitted) << "a fitted size is fitted already";

    const arvelo::Rect rounded(target.origin(), *fitted);
    EXPECT_EQ(ax().setAttributeValue(terminal, ax::kPosition, AccessValue(target.origin()), kWriteTimeout),
              AccessError::success);
    EXPECT_EQ(ax().setAttributeValue(terminal, ax::kSize, AccessValue(*fitted), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return frame(terminal) == rounded; }))
        << arvelo::toString(frame(terminal).value_or(arvelo::Rect()));

    EXPECT_EQ(ax().setAttributeValue(terminal, ax::kSize, AccessValue(target.size()), kWriteTimeout),
              AccessError::success);
    desktop().pause();
    const auto after = frame(terminal);
    ASSERT_TRUE(after);
    EXPECT_TRUE(*after == rounded || *after == target) << arvelo::toString(*after);
}

TEST_P(PlatformContract, ActivatingAnotherApplicationMakesItFrontmostAndTellsSo) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const auto xlogo = desktop().openXlogo();
    if (!xlogo) GTEST_SKIP() << "xlogo is not installed";
    platform::Workspace& workspace = *desktop().services.workspace;

    std::vector<std::int32_t> activated;
    auto subscription = workspace.didActivateApplication.connect(
        [&](const platform::RunningApplication& a) { activated.push_back(a.pid); });
    EXPECT_TRUE(workspace.activate(xlogo->pid, platform::ActivationOptions::none));
    EXPECT_TRUE(desktop().waitUntil([&] {
        const auto front = workspace.frontmostApplication();
        return front && front->pid == xlogo->pid;
    }));
    EXPECT_EQ(ax().setAttributeValue(windows[2], ax::kMain, AccessValue(true), kWriteTimeout), AccessError::success);
    EXPECT_TRUE(desktop().waitUntil([&] { return !activated.empty() && activated.back() == fixturePid_; }));
    EXPECT_EQ(read(AccessElement::application(fixturePid_), ax::kFocusedWindow).value, AccessValue(windows[2]));
    EXPECT_EQ(read(windows[2], ax::kMain).value, AccessValue(true));
}

TEST_P(PlatformContract, ElementAtAPointIsTheTopmostWindowThere) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    // The first window's top-left corner is uncovered (the others cascade below and right).
    const auto first = frame(windows[0]);
    ASSERT_TRUE(first);
    const arvelo::Point corner{first->x + 10, first->y + 10};
    EXPECT_EQ(ax().elementAtPosition(AccessElement::application(fixturePid_), corner, kTimeout).value, AccessValue(windows[0]));
    EXPECT_EQ(ax().elementAtPosition(AccessElement::application(fixturePid_), {1900, 1070}, kTimeout).error,
              AccessError::noValue);
}

TEST_P(PlatformContract, PointerIsReportedInTheBottomLeftSpace) {
    desktop().movePointer({100, 200});
    const auto screens = desktop().services.screens->screens();
    ASSERT_FALSE(screens.empty());
    const double height = screens.front().frame.height;
    EXPECT_TRUE(desktop().waitUntil([&] {
        return desktop().services.pointer->location() == arvelo::Point{100, height - 200};
    }));
    EXPECT_EQ(desktop().services.pointer->pressedMouseButtons(), 0u);
}

TEST_P(PlatformContract, ScreenIsPrimaryFirstWithTheTrayLeftOut) {
    const auto screens = desktop().services.screens->screens();
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0].frame, arvelo::Rect(0, 0, 1920, 1080));
    // The tray takes 24 pixels at the bottom: in the bottom-left space the visible frame starts above it.
    EXPECT_EQ(screens[0].visibleFrame, arvelo::Rect(0, 24, 1920, 1056));
}

TEST_P(PlatformContract, ObserverReportsMovesResizesMinimisingAndClosing) {
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    auto created = ax().createObserver(fixturePid_);
    ASSERT_EQ(created.error, AccessError::success);
    platform::AccessObserver& observer = *created.observer;
    std::vector<std::pair<AccessElement, std::string>> seen;
    observer.onNotification = [&](const AccessElement& e, const std::string& name) { seen.emplace_back(e, name); };
    const auto saw = [&](const AccessElement& e, std::string_view name) {
        return std::find(seen.begin(), seen.end(), std::pair(e, std::string(name))) != seen.end();
    };
    // The whole application for moves and minimising; one window for resizes and closing.
    const AccessElement app = AccessElement::application(fixturePid_);
    for (auto name : {ax::kMovedNotification, ax::kMiniaturizedNotification, ax::kDeminiaturizedNotification})
        EXPECT_EQ(observer.addNotification(app, name), AccessError::success);
    for (auto name : {ax::kResizedNotification, ax::kDestroyedNotification})
        EXPECT_EQ(observer.addNotification(windows[0], name), AccessError::success);
    EXPECT_EQ(observer.addNotification(AccessElement::application(fixturePid_ + 1), ax::kMovedNotification),
              AccessError::illegalArgument);

    ax().setAttributeValue(windows[1], ax::kPosition, AccessValue(arvelo::Point{400, 300}), kWriteTimeout);
    EXPECT_TRUE(desktop().waitUntil([&] { return saw(windows[1], ax::kMovedNotification); }));
    // A window registered for nothing but its resize is not reported for a move.
    ax().setAttributeValue(windows[0], ax::kSize, AccessValue(arvelo::Size{500, 400}), kWriteTimeout);
    EXPECT_TRUE(desktop().waitUntil([&] { return saw(windows[0], ax::kResizedNotification); }));
    ax().setAttributeValue(windows[2], ax::kMinimized, AccessValue(true), kWriteTimeout);
    EXPECT_TRUE(desktop().waitUntil([&] { return saw(windows[2], ax::kMiniaturizedNotification); }));
    // Brought back right after it was minimised (while the window manager may still be
    // iconifying it), it comes back and is reported.
    ax().setAttributeValue(windows[2], ax::kMinimized, AccessValue(false), kWriteTimeout);
    EXPECT_TRUE(desktop().waitUntil([&] { return saw(windows[2], ax::kDeminiaturizedNotification); }));
    EXPECT_EQ(read(windows[2], ax::kMinimized).value.boolean(), std::optional(false));

    EXPECT_EQ(observer.removeNotification(windows[0], ax::kResizedNotification), AccessError::success);
    seen.clear();
    ax().setAttributeValue(windows[0], ax::kSize, AccessValue(arvelo::Size{520, 420}), kWriteTimeout);
    const auto button = read(windows[0], ax::kCloseButton).value.element();
    ASSERT_TRUE(button);
    ax().performAction(*button, ax::kPressAction, kTimeout);
    EXPECT_TRUE(desktop().waitUntil([&] { return saw(windows[0], ax::kDestroyedNotification); }));
    EXPECT_FALSE(saw(windows[0], ax::kResizedNotification));
}

TEST_P(PlatformContract, OneWindowIsLookedUpAndWatchedUntilItIsClosed) {
    using Answer = platform::WindowLookup::Answer;
    const auto windows = openFixture();
    ASSERT_EQ(windows.size(), 3u);
    const AccessElement w = windows[0];
    platform::WindowList& list = *desktop().services.windowList;
    EXPECT_TRUE(list.readWindows({.onScreenOnly = false, .excludeDesktopElements = false}).complete);
    const platform::WindowLookup found = list.lookUp(w.window);
    ASSERT_EQ(found.answer, Answer::listed);
    ASSERT_TRUE(found.info && found.info->bounds);
    EXPECT_EQ(found.info->ownerPid, fixturePid_);
    EXPECT_EQ(found.info->name, title(w));
    EXPECT_TRUE(found.info->onScreen);
    EXPECT_TRUE(near(*found.info->bounds, *frame(w)));

    int changes = 0;
    auto watch = list.watch(w.window, [&] { ++changes; });
    ASSERT_TRUE(watch);
    ax().setAttributeValue(w, ax::kPosition, AccessValue(arvelo::Point{400, 300}), kWriteTimeout);
    EXPECT_TRUE(desktop().waitUntil([&] {
        const auto now = list.lookUp(w.window);
        return changes > 0 && now.info && now.info->bounds && near(*now.info->bounds, *frame(w));
    }));
    const int beforeMinimise = changes;
    ax().setAttributeValue(w, ax::kMinimized, AccessValue(true), kWriteTimeout);
    EXPECT_TRUE(desktop().waitUntil([&] {
        const auto now = list.lookUp(w.window);
        return changes > beforeMinimise && now.answer == Answer::listed && !now.info->onScreen;
    }));

    const auto button = read(w, ax::kCloseButton).value.element();
    ASSERT_TRUE(button);
    ax().performAction(*button, ax::kPressAction, kTimeout);
    EXPECT_TRUE(desktop().waitUntil([&] { return list.lookUp(w.window).answer == Answer::destroyed; }));
}

INSTANTIATE_TEST_SUITE_P(Backends, PlatformContract, testing::Values("Sim", "X11"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace contract
