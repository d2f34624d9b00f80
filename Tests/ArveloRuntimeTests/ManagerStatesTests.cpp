// SPDX-License-Identifier: MIT
// ManagerStatesTests.cpp: what the window manager's own states do to an arrangement on the
// simulated desktop: a maximise zooms onto the window's tile and un-maximising steps back out,
// the manager's edge tiling is undone, and a full-screen window keeps its screen while the
// layout waits; none of them moves a seam.
#include "TickScene.h"

using namespace arvelo;
using arvelo::testing::TickScene;
using platform::sim::WindowHandle;

namespace {

constexpr Size kScreen{1440, 900};

class ManagerStates : public TickScene {
protected:
    void SetUp() override {
        start();
        wait(Coordinator::kBeatInterval);
        arranged = framesOf({a, b, c});
        seams = tree();
    }

    const std::optional<std::string>& zoomedOnto() const { return coordinator->states->at("1").focus; }

    std::size_t display = desktop.addDisplay("Built-in", kScreen);
    platform::sim::AppHandle editor = desktop.launch("org.example.Editor", "Editor");
    WindowHandle a = editor.openWindow("a", {40, 40, 500, 350});
    WindowHandle b = editor.openWindow("b", {80, 80, 500, 350});
    WindowHandle c = desktop.launch("org.example.Mail", "Mail").openWindow("c", {120, 120, 500, 350});
    std::vector<Rect> arranged;
    LayoutNode seams;
};

// Who maximises makes no difference: the manager (a title-bar double click, its key) and the
// application (its own request) both set the two maximised states.
TEST_F(ManagerStates, AMaximiseZoomsOntoTheTileAndUnmaximisingStepsBackOut) {
    const Rect screen{0, 0, kScreen.width, kScreen.height};
    for (WindowHandle* window : {&b, &a}) {
        SCOPED_TRACE(window->state().title);
        window->maximize(screen);
        wait(Coordinator::kBeatInterval * 3);
        EXPECT_EQ(coordinator->maximizeZoom, keyOf(*window));
        ASSERT_TRUE(zoomedOnto());
        EXPECT_EQ(tree().node(*zoomedOnto())->framingKeys(), std::set<std::string>{keyOf(*window)});
        EXPECT_EQ(window->frame(), screen) << "the manager's frame is left as it is";
        EXPECT_EQ(window->state().maximizedAxes, 2);
        for (WindowHandle* other : {&a, &b, &c}) {
            if (other == window) continue;
            EXPECT_TRUE(recordOf(*other).parked);
        }
        EXPECT_EQ(tree(), seams) << "no seam moves for a maximise";

        window->unmaximize();
        wait(Coordinator::kBeatInterval * 3);
        EXPECT_FALSE(coordinator->maximizeZoom);
        EXPECT_FALSE(zoomedOnto()) << "stepped back out";
        EXPECT_EQ(tree(), seams);
        EXPECT_EQ(framesOf({a, b, c}), arranged);
    }
}

// metacity and marco tile a window dropped at a screen edge to half the screen as a vertical
// maximisation: the window goes back to its tile, the state cleared, and no seam moves.
TEST_F(ManagerStates, TheManagersEdgeTilingIsUndoneAndMovesNoSeam) {
    b.maximize({0, 0, kScreen.width / 2, kScreen.height}, 1);
    wait(Coordinator::kBeatInterval * 4);
    EXPECT_FALSE(coordinator->maximizeZoom);
    EXPECT_FALSE(zoomedOnto());
    EXPECT_EQ(b.state().maximizedAxes, 0) << "placing the window cleared the manager's tiling";
    EXPECT_EQ(tree(), seams);
    EXPECT_EQ(framesOf({a, b, c}), arranged);
}

TEST_F(ManagerStates, AFullScreenWindowKeepsItsScreenWhileTheLayoutWaits) {
    const Rect screen{0, 0, kScreen.width, kScreen.height};
    b.moveTo(screen);
    b.setFullScreen();
    wait(Coordinator::kBeatInterval * 3);
    EXPECT_EQ(b.frame(), screen) << "left full screen";
    EXPECT_TRUE(tree().leaf(keyOf(b))) << "still arranged";
    EXPECT_EQ(tree(), seams);

    // A window opened meanwhile waits too; nothing else is moved.
    auto d = desktop.launch("org.example.Notes", "Notes").openWindow("d", {300, 300, 400, 300});
    wait(Coordinator::kBeatInterval * 3);
    EXPECT_EQ(d.frame(), (Rect{300, 300, 400, 300}));
    EXPECT_EQ(framesOf({a, c}), (std::vector<Rect>{arranged[0], arranged[2]}));

    // Leaving full screen, the manager puts it back where it was: the layout goes on.
    b.setFullScreen(false);
    b.moveTo(arranged[1]);
    wait(Coordinator::kBeatInterval * 3);
    EXPECT_TRUE(tree().leaf(keyOf(d))) << "docked once the layout went on";
    EXPECT_NE(b.frame(), screen);
    EXPECT_TRUE(tree().leaf(keyOf(b)));
}

}  // namespace
