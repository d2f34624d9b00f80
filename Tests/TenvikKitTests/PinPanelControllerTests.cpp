// SPDX-License-Identifier: MIT
// PinPanelControllerTests.cpp: a pin's preview panel on the simulated desktop: the panel over
// its window at the floating level, the click-through interaction (the owner's answer, the
// panel behind the real window letting the mouse through), the exit rule with its 8-point
// margin, held buttons and the application in front, the fallback timer on the virtual clock,
// hiding and stopping during an interaction, and the picture's opacity clamps.
#include "KitScene.h"
#include "Platform/Sim/SimPanels.h"
#include "TenvikKit/Pins/PinPanelController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tenvik {
namespace {

using platform::PanelLevel;

// What the controller asks of its view, kept for the tests to look at.
class RecordingSurface final : public PreviewSurface {
public:
    void enqueue(const platform::CapturedImage&) override { ++frames; }
    void flush() override { ++flushes; }
    void setPictureOpacity(double value) override { opacity = value; }
    void setBorderVisible(bool visible) override { border = visible; }

    int frames = 0;
    int flushes = 0;
    double opacity = -1;
    bool border = false;
};

struct PanelScene : test::KitScene {
    static constexpr arvelo::Rect kBounds{100, 100, 800, 600};

    PanelScene() {
        desktop.addDisplay("Main", {1920, 1080});
        editor.activate();
        build();
    }

    void build() {
        host.present = [this](platform::PanelID) {
            surface = std::make_shared<RecordingSurface>();
            ++presented;
            return surface;
        };
        controller = std::make_unique<PinPanelController>(desktop.services(), host);
        controller->onInteractionRequest = [this] {
            events.push_back("request");
            return allow;
        };
        controller->onInteractionChanged = [this] { events.push_back("changed"); };
        controller->onInteractionEnded = [this] { events.push_back("ended"); };
    }

    PinnedWindow pinned() const { return {window.number(), editor.pid(), "Editor", "Doc", kBounds, true}; }

    // A visible panel over the editor's window with the pointer resting on it.
    void show() {
        controller->prepare(pinned(), 1.0, true);
        controller->setVisible(true);
        desktop.movePointer({500, 400});
    }

    void hover() { surface->onHoverInside(); }

    const platform::sim::SimPanel* panel() {
        const auto open = desktop.panels().open();
        return open.empty() ? nullptr : open.front();
    }

    platform::sim::AppHandle editor = desktop.launch("org.example.Editor", "Editor");
    platform::sim::WindowHandle window = editor.openWindow("Doc", kBounds);
    PinPreviewHost host;
    std::shared_ptr<RecordingSurface> surface;
    int presented = 0;
    std::unique_ptr<PinPanelController> controller;
    bool allow = true;
    std::vector<std::string> events;
};

TEST(PinPanelController, PreparingPutsAFloatingPanelOverTheWindowWithoutShowingIt) {
    PanelScene scene;
    EXPECT_TRUE(scene.controller->displayLayer().expired());
    scene.controller->prepare(scene.pinned(), 0.8, true);

    const auto* panel = scene.panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->level, PanelLevel::floating);
    EXPECT_FALSE(panel->ignoresMouse);
    EXPECT_FALSE(panel->shown);
    EXPECT_EQ(scene.desktop.panels().frame(panel->id), PanelScene::kBounds);
    EXPECT_FALSE(scene.controller->isVisible());
    EXPECT_EQ(scene.controller->displayLayer().lock(), scene.surface);

    scene.controller->setVisible(true);
    EXPECT_TRUE(scene.panel()->shown);
    EXPECT_EQ(scene.desktop.world().stacking().front(), panel->number);
}

TEST(PinPanelController, WithoutAViewLayerTheControllerKeepsAModelSurface) {
    PanelScene scene;
    scene.host.present = nullptr;
    scene.build();
    scene.controller->prepare(scene.pinned(), 1.0, true);
    EXPECT_FALSE(scene.controller->displayLayer().expired());
}

TEST(PinPanelController, SetVisibleBeforePrepareDoesNothing) {
    PanelScene scene;
    scene.controller->setVisible(true);
    EXPECT_FALSE(scene.controller->isVisible());
    EXPECT_TRUE(scene.desktop.panels().open().empty());
}

TEST(PinPanelController, ASecondPrepareReusesThePanelEmptiesItAndMovesIt) {
    PanelScene scene;
    scene.controller->prepare(scene.pinned(), 1.0, true);
    const auto first = scene.panel()->id;
    const int flushes = scene.surface->flushes;

    PinnedWindow other = scene.pinned();
    other.windowID = scene.editor.openWindow("Other", {300, 200, 640, 480}).number();
    other.bounds = {300, 200, 640, 480};
    scene.controller->prepare(other, 1.0, true);

    EXPECT_EQ(scene.presented, 1);
    EXPECT_EQ(scene.panel()->id, first);
    EXPECT_GT(scene.surface->flushes, flushes);
    EXPECT_EQ(scene.desktop.panels().frame(first), other.bounds);
}

TEST(PinPanelController, OpacityIsClampedAndTheBorderFollowsTheSetting) {
    struct Case {
        double opacity;
        bool border;
        double shown;
    };
    const Case cases[] = {
        {0.05, true, 0.1}, {1.7, false, 1.0}, {0.5, true, 0.5},
        {std::numeric_limits<double>::quiet_NaN(), true, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opacity);
        PanelScene scene;
        scene.controller->applyAppearance(c.opacity, c.border);  // before prepare: nothing
        scene.controller->prepare(scene.pinned(), 1.0, !c.border);
        scene.controller->applyAppearance(c.opacity, c.border);
        EXPECT_NEAR(scene.surface->opacity, c.shown, 1e-6);
        EXPECT_EQ(scene.surface->border, c.border);
    }
}

TEST(PinPanelController, UnusableBoundsLeaveThePanelWhereItIs) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const arvelo::Rect cases[] = {{nan, 0, 300, 300}, {0, inf, 300, 300}, {0, 0, 1, 300}, {0, 0, 300, 1},
                                  {0, 0, inf, 300}};
    for (const auto& bounds : cases) {
        PanelScene scene;
        scene.controller->prepare(scene.pinned(), 1.0, true);
        scene.controller->updateFrame(bounds);
        EXPECT_EQ(scene.desktop.panels().frame(scene.panel()->id), PanelScene::kBounds);
    }
    PanelScene scene;
    scene.controller->prepare(scene.pinned(), 1.0, true);
    scene.controller->updateFrame({10, 20, 2, 2});
    EXPECT_EQ(scene.desktop.panels().frame(scene.panel()->id), (arvelo::Rect{10, 20, 2, 2}));
}

TEST(PinPanelController, HoverBeginsAnInteractionBehindTheRealWindowThatLetsTheMouseThrough) {
    PanelScene scene;
    scene.show();
    scene.hover();

    EXPECT_TRUE(scene.controller->isInteracting());
    EXPECT_EQ(scene.events, (std::vector<std::string>{"request", "changed"}));
    const auto* panel = scene.panel();
    EXPECT_EQ(panel->level, PanelLevel::normal);
    EXPECT_TRUE(panel->ignoresMouse);
    EXPECT_EQ(panel->below, scene.window.number());
    const auto& order = scene.desktop.world().stacking();
    const auto at = std::find(order.begin(), order.end(), scene.window.number());
    ASSERT_NE(at + 1, order.end());
    EXPECT_EQ(*(at + 1), panel->number);
    EXPECT_EQ(scene.desktop.mouse().monitorCount(), 1u);

    const std::string begin = "debug: passthrough begin pid=" + std::to_string(scene.editor.pid()) +
                              " windowID=" + std::to_string(scene.window.number());
    EXPECT_EQ(scene.logLines("pin"), (std::vector<std::string>{begin}));

    // Another hover while interacting asks nothing more.
    scene.hover();
    EXPECT_EQ(scene.events.size(), 2u);
}

TEST(PinPanelController, PressesAndScrollsBeginAnInteractionToo) {
    for (const bool scroll : {false, true}) {
        PanelScene scene;
        scene.show();
        (scroll ? scene.surface->onScrollEvent : scene.surface->onMouseEvent)();
        EXPECT_TRUE(scene.controller->isInteracting());
    }
}

TEST(PinPanelController, ARefusedRequestKeepsThePanelFloatingAndAsksAgainOnTheNextHover) {
    PanelScene scene;
    scene.allow = false;
    scene.show();
    scene.hover();
    EXPECT_FALSE(scene.controller->isInteracting());
    EXPECT_EQ(scene.panel()->level, PanelLevel::floating);
    EXPECT_FALSE(scene.panel()->ignoresMouse);

    scene.allow = true;
    scene.hover();
    EXPECT_TRUE(scene.controller->isInteracting());
    EXPECT_EQ(scene.events, (std::vector<std::string>{"request", "request", "changed"}));
}

TEST(PinPanelController, NoInteractionWhileHidden) {
    PanelScene scene;
    scene.controller->prepare(scene.pinned(), 1.0, true);
    scene.hover();
    EXPECT_FALSE(scene.controller->isInteracting());
    EXPECT_TRUE(scene.events.empty());
}

TEST(PinPanelController, ThePointerEndsTheInteractionOnlyBeyondTheMargin) {
    // The panel spans x 100...900 and y 100...700 (top-left space).
    struct Case {
        const char* name;
        arvelo::Point pointer;
        bool keeps;
    };
    const Case cases[] = {
        {"inside", {500, 400}, true},
        {"7 points right of the edge", {907, 400}, true},
        {"9 points right of the edge", {909, 400}, false},
        {"7 points left of the edge", {93, 400}, true},
        {"9 points left of the edge", {91, 400}, false},
        {"7 points above the top", {500, 93}, true},
        {"9 points above the top", {500, 91}, false},
        {"7 points below the bottom", {500, 707}, true},
        {"9 points below the bottom", {500, 709}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PanelScene scene;
        scene.show();
        scene.hover();
        scene.desktop.mouseMove(c.pointer);
        EXPECT_EQ(scene.controller->isInteracting(), c.keeps);
        if (c.keeps) continue;
        EXPECT_EQ(scene.events, (std::vector<std::string>{"request", "changed", "changed", "ended"}));
        const auto* panel = scene.panel();
        EXPECT_EQ(panel->level, PanelLevel::floating);
        EXPECT_FALSE(panel->ignoresMouse);
        EXPECT_EQ(scene.desktop.world().stacking().front(), panel->number);
        EXPECT_EQ(scene.desktop.mouse().monitorCount(), 0u);
        EXPECT_EQ(scene.logLines("pin").back(), "debug: passthrough end");
    }
}

TEST(PinPanelController, AHeldButtonKeepsTheInteractionUntilItsRelease) {
    struct Case {
        const char* name;
        std::uint32_t button;
    };
    const Case cases[] = {{"left", platform::kLeftMouseButton},
                          {"right", platform::kRightMouseButton},
                          {"other", platform::kOtherMouseButton}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PanelScene scene;
        scene.show();
        scene.hover();
        if (c.button == platform::kLeftMouseButton)
            scene.desktop.pressLeftButton();
        else
            scene.desktop.buttonDown(c.button);
        scene.desktop.mouseMove({1500, 900});  // a drag far outside
        scene.controller->checkInteractionExit();
        EXPECT_TRUE(scene.controller->isInteracting());

        if (c.button == platform::kLeftMouseButton)
            scene.desktop.mouseUp();
        else
            scene.desktop.buttonUp(c.button);
        EXPECT_FALSE(scene.controller->isInteracting());
    }
}

TEST(PinPanelController, AnotherApplicationInFrontEndsTheInteractionAtTheNextCheck) {
    PanelScene scene;
    scene.show();
    scene.hover();
    auto other = scene.desktop.launch("org.example.Other", "Other");
    other.openWindow("Cover", {0, 0, 400, 300});
    other.activate();
    scene.desktop.drain();
    EXPECT_TRUE(scene.controller->isInteracting());  // nothing checked yet

    scene.controller->checkInteractionExit();  // the owner's refresh
    EXPECT_FALSE(scene.controller->isInteracting());
    EXPECT_EQ(scene.panel()->level, PanelLevel::floating);
    EXPECT_EQ(scene.desktop.world().stacking().front(), scene.panel()->number);
}

TEST(PinPanelController, WithoutAMouseMonitorAQuarterSecondTimerChecks) {
    PanelScene scene;
    scene.desktop.removeMouseMonitor();
    scene.build();
    scene.show();
    scene.hover();
    scene.desktop.movePointer({1500, 900});
    scene.desktop.advance(0.2);
    EXPECT_TRUE(scene.controller->isInteracting());
    scene.desktop.advance(0.05);
    EXPECT_FALSE(scene.controller->isInteracting());

    // The timer went with the interaction: a new one checks again on its own.
    scene.desktop.movePointer({500, 400});
    scene.hover();
    scene.desktop.advance(1.0);
    EXPECT_TRUE(scene.controller->isInteracting());
}

TEST(PinPanelController, HidingDuringAnInteractionEndsItAndOrdersThePanelOut) {
    PanelScene scene;
    scene.show();
    scene.hover();
    scene.events.clear();
    scene.controller->setVisible(false);

    EXPECT_EQ(scene.events, (std::vector<std::string>{"changed", "ended"}));
    EXPECT_FALSE(scene.controller->isInteracting());
    EXPECT_FALSE(scene.controller->isVisible());
    EXPECT_FALSE(scene.panel()->shown);
    EXPECT_EQ(scene.panel()->level, PanelLevel::floating);
    EXPECT_FALSE(scene.panel()->ignoresMouse);
}

TEST(PinPanelController, StoppingDuringAnInteractionOnlyReportsItsEndAndReleasesThePanel) {
    PanelScene scene;
    scene.show();
    scene.hover();
    scene.events.clear();
    const int flushes = scene.surface->flushes;
    scene.controller->stop();

    EXPECT_EQ(scene.events, (std::vector<std::string>{"ended"}));
    EXPECT_FALSE(scene.controller->isInteracting());
    EXPECT_FALSE(scene.controller->isVisible());
    EXPECT_GT(scene.surface->flushes, flushes);
    EXPECT_TRUE(scene.desktop.panels().open().empty());
    EXPECT_TRUE(scene.controller->displayLayer().expired());
    EXPECT_EQ(scene.desktop.mouse().monitorCount(), 0u);

    // The callbacks stay: the next prepare builds a new panel that works the same way.
    scene.show();
    EXPECT_EQ(scene.presented, 2);
    scene.hover();
    EXPECT_TRUE(scene.controller->isInteracting());
}

TEST(PinPanelController, AControllerDroppedDuringItsOwnCallbackIsLeftAlone) {
    PanelScene scene;
    scene.show();
    scene.controller->onInteractionRequest = [&scene] {
        scene.controller.reset();
        return true;
    };
    scene.hover();
    EXPECT_EQ(scene.controller, nullptr);
    EXPECT_TRUE(scene.desktop.panels().open().empty());
}

}  // namespace
}  // namespace tenvik
