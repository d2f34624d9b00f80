// SPDX-License-Identifier: MIT
// The simulated desktop's panels: listed under this program's process at their level's layer
// while shown, ordered directly above a window, floating and pop-up panels kept in front, the
// input shape and closing recorded, and nothing moved when a panel already sits right.
#include "Platform/Sim/Desktop.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace platform::sim {
namespace {

class SimulatedPanels : public testing::Test {
protected:
    SimulatedPanels() {
        desktop.addDisplay("Main", {1440, 900});
        auto app = desktop.launch("org.example.editor", "Editor");
        a = app.openWindow("a", {0, 0, 700, 900}).number();
        b = app.openWindow("b", {720, 0, 700, 900}).number();
    }

    std::vector<WindowInfo> listed() { return desktop.services().windowList->windows({}); }
    std::vector<std::uint32_t> order() {
        std::vector<std::uint32_t> numbers;
        for (const WindowInfo& w : listed()) numbers.push_back(w.number);
        return numbers;
    }
    // Where the window is in the front-to-back list; -1 when it is not listed.
    int position(std::uint32_t number) {
        const auto o = order();
        const auto it = std::find(o.begin(), o.end(), number);
        return it == o.end() ? -1 : static_cast<int>(it - o.begin());
    }

    Desktop desktop;
    SimPanels& panels = desktop.panels();
    std::uint32_t a = 0, b = 0;
};

TEST_F(SimulatedPanels, APanelIsListedUnderThisProgramAtItsLayerOnlyWhileShown) {
    const PanelID id = panels.create({10, 20, 300, 28});
    const std::uint32_t number = panels.windowNumber(id);
    EXPECT_EQ(position(number), -1) << "made, not shown";

    struct Case {
        PanelLevel level;
        std::int32_t layer;
    };
    for (const Case& k : {Case{PanelLevel::floating, 3}, Case{PanelLevel::popUp, 101}, Case{PanelLevel::normal, 0}}) {
        panels.setLevel(id, k.level);
        panels.show(id);
        const auto list = listed();
        const auto it = std::find_if(list.begin(), list.end(), [&](const WindowInfo& w) { return w.number == number; });
        ASSERT_NE(it, list.end());
        EXPECT_EQ(it->ownerPid, desktop.world().ownPid());
        EXPECT_EQ(it->layer, k.layer);
        EXPECT_EQ(it->bounds, arvelo::Rect(10, 20, 300, 28));
    }
    desktop.switchSpace(0, 2);
    EXPECT_NE(position(number), -1) << "on every Space";
    panels.hide(id);
    EXPECT_EQ(position(number), -1);
    panels.show(id);
    panels.close(id);
    EXPECT_EQ(position(number), -1);
    EXPECT_TRUE(panels.panel(id)->closed);
    panels.show(id);  // a closed panel stays closed
    EXPECT_EQ(position(number), -1);
}

TEST_F(SimulatedPanels, OrderedAboveAWindowSitsDirectlyInFrontOfItAndMovesOnlyWhenNeeded) {
    const PanelID bar = panels.create({0, 0, 700, 28});
    panels.setLevel(bar, PanelLevel::normal);
    panels.orderAbove({{bar, a}});
    EXPECT_EQ(position(panels.windowNumber(bar)) + 1, position(a));
    EXPECT_EQ(panels.panel(bar)->above, a);

    const int moves = panels.restacks;
    panels.orderAbove({{bar, a}});
    EXPECT_EQ(panels.restacks, moves) << "already in place";

    desktop.window(b).raise();
    desktop.window(a).raise();  // the window comes forward without its bar
    EXPECT_EQ(position(a), 0);
    panels.orderAbove({{bar, a}});
    EXPECT_EQ(position(panels.windowNumber(bar)), 0);
    EXPECT_EQ(position(a), 1);
    EXPECT_EQ(panels.restacks, moves + 1);
}

TEST_F(SimulatedPanels, FloatingAndPopUpPanelsStayInFrontOfRestackedBars) {
    const PanelID handle = panels.create({700, 0, 20, 900});
    const PanelID preview = panels.create({0, 0, 700, 900});
    panels.setLevel(preview, PanelLevel::popUp);
    panels.show(preview);
    panels.show(handle);
    EXPECT_EQ(position(panels.windowNumber(preview)), 0) << "pop-up above a floating panel shown later";
    EXPECT_EQ(position(panels.windowNumber(handle)), 1);

    const PanelID bar = panels.create({0, 0, 700, 28});
    panels.setLevel(bar, PanelLevel::normal);
    desktop.window(a).raise();
    panels.orderAbove({{bar, a}});
    EXPECT_EQ(position(panels.windowNumber(preview)), 0);
    EXPECT_EQ(position(panels.windowNumber(handle)), 1);
    EXPECT_EQ(position(panels.windowNumber(bar)), 2);
    EXPECT_EQ(position(a), 3);
}

TEST_F(SimulatedPanels, AWindowThatIsGoneLeavesItsPanelWhereItWas) {
    const PanelID bar = panels.create({0, 0, 700, 28});
    panels.setLevel(bar, PanelLevel::normal);
    panels.orderAbove({{bar, a}});
    const auto before = order();
    desktop.window(a).vanish();
    panels.orderAbove({{bar, a}, {bar, 0xdead}});
    auto expected = before;
    std::erase(expected, a);
    EXPECT_EQ(order(), expected);
}

TEST_F(SimulatedPanels, InputShapeAndFrameAreRecorded) {
    const PanelID preview = panels.create({0, 0, 10, 10});
    EXPECT_FALSE(panels.panel(preview)->ignoresMouse);
    panels.setIgnoresMouse(preview, true);
    EXPECT_TRUE(panels.panel(preview)->ignoresMouse);
    panels.setFrame(preview, {5, 6, 70, 80});
    EXPECT_EQ(panels.frame(preview), arvelo::Rect(5, 6, 70, 80));
    panels.close(preview);
    EXPECT_EQ(panels.frame(preview), std::nullopt);
    EXPECT_EQ(panels.windowNumber(preview), 0u);
    EXPECT_FALSE(panels.translucent());
}

}  // namespace
}  // namespace platform::sim
