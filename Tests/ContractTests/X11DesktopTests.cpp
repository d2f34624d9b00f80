// The real desktop's own arrangements: the fixture application's life (it ends when its
// windows are closed, or on SIGTERM), and two monitors made from one screen (run by the
// two-monitor entry of this binary, under scripts/with-xvfb --monitors 2).
#include "ChildProcess.h"
#include "ContractDesktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace contract {
namespace {

using platform::AXElement;
using platform::AXError;
using platform::AXValue;
namespace ax = platform::ax;

constexpr double kTimeout = 0.25;

class X11Desktop : public testing::Test {
protected:
    void SetUp() override {
        desktop_ = makeX11Desktop();
        ASSERT_TRUE(desktop_) << "no X server to run on (run under scripts/with-xvfb)";
    }

    platform::Accessibility& ax() { return *desktop_->services.accessibility; }

    std::vector<AXElement> windowsOf(std::int32_t pid) {
        return ax()
            .copyAttributeValue(AXElement::application(pid), ax::kWindows, kTimeout)
            .value.elements()
            .value_or(std::vector<AXElement>{});
    }

    std::unique_ptr<ContractDesktop> desktop_;
};

TEST_F(X11Desktop, FixtureEndsWhenItsLastWindowIsClosed) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    ASSERT_TRUE(desktop_->waitUntil([&] { return windowsOf(fixture.pid()).size() == 3; }));
    for (const AXElement& w : windowsOf(fixture.pid())) {
        const auto button = ax().copyAttributeValue(w, ax::kCloseButton, kTimeout).value.element();
        ASSERT_TRUE(button);
        EXPECT_EQ(ax().performAction(*button, ax::kPressAction, kTimeout), AXError::success);
    }
    EXPECT_TRUE(desktop_->waitUntil([&] { return !fixture.running(); }));
    EXPECT_EQ(fixture.exitStatus(), 0);
}

TEST_F(X11Desktop, FixtureEndsCleanlyOnTerminate) {
    e2e::ChildProcess fixture(ARVELO_FIXTURE_PATH);
    ASSERT_TRUE(desktop_->waitUntil([&] { return windowsOf(fixture.pid()).size() == 3; }));
    fixture.terminate();
    EXPECT_TRUE(desktop_->waitUntil([&] { return !fixture.running(); }));
    EXPECT_EQ(fixture.exitStatus(), 0);
    EXPECT_TRUE(desktop_->waitUntil([&] { return windowsOf(fixture.pid()).empty(); }));
}

TEST_F(X11Desktop, TwoMonitorsAreTwoScreensWithTheTrayOnThePrimary) {
    const char* monitors = std::getenv("VOMIRA_XVFB_MONITORS");
    if (!monitors || std::string(monitors) != "2")
        GTEST_SKIP() << "needs a desktop of two monitors (scripts/with-xvfb --monitors 2)";
    const auto screens = desktop_->services.screens->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, arvelo::Rect(0, 0, 960, 1080));
    EXPECT_EQ(screens[0].visibleFrame, arvelo::Rect(0, 24, 960, 1056));
    EXPECT_EQ(screens[1].frame, arvelo::Rect(960, 0, 960, 1080));
    EXPECT_EQ(screens[1].visibleFrame, arvelo::Rect(960, 0, 960, 1080));
    EXPECT_NE(screens[0].number, screens[1].number);
    for (const auto& screen : screens) EXPECT_EQ(desktop_->services.spaces->currentSpace(*screen.number), 1u);

    // A window moved onto the second monitor is read back there.
    const OpenedApp app = desktop_->openFixture();
    ASSERT_NE(app.pid, 0);
    const AXElement w = windowsOf(app.pid).front();
    const arvelo::Rect target(1200, 100, 500, 400);
    EXPECT_EQ(ax().setAttributeValue(w, ax::kPosition, AXValue(target.origin()), 1.25), AXError::success);
    EXPECT_EQ(ax().setAttributeValue(w, ax::kSize, AXValue(target.size()), 1.25), AXError::success);
    EXPECT_TRUE(desktop_->waitUntil([&] {
        const auto position = ax().copyAttributeValue(w, ax::kPosition, kTimeout).value.point();
        return position && *position == target.origin();
    }));
}

}  // namespace
}  // namespace contract
