// SPDX-License-Identifier: MIT
// DashboardRulesTests.cpp: the dashboard's rules as tables: which header buttons and banners
// show or are enabled for each combination of the coordinator's flags, the docking row's
// target choices, the gap slider's steps, the saved-layout slots; and the coordinator
// operations behind the dashboard's controls (resume, gap).
#include "CoordinatorScene.h"

#include "Arvelo/Dashboard/DashboardRules.h"
#include "Arvelo/Pictures/WindowPictures.h"

using namespace arvelo;
using arvelo::testing::CoordinatorScene;

namespace {

TEST(DashboardRules, VisibilityAndEnabledMatrix) {
    struct Case {
        DashboardFlags flags;        // trusted, managing, recoveryAvailable, resumeAvailable
        DashboardControls expected;  // banners, resume shown/enabled, free all, set windows, window actions,
                                     // save, green dot
    };
    const Case cases[] = {
        {{false, false, false, false}, {true, false, false, false, false, false, false, false, false}},
        {{false, false, true, true}, {true, true, true, false, false, false, false, false, false}},
        {{false, true, true, true}, {true, false, false, false, true, false, true, true, false}},
        {{true, false, false, false}, {false, false, false, true, false, true, false, false, true}},
        {{true, false, true, false}, {false, true, false, true, false, true, false, false, true}},
        {{true, false, false, true}, {false, false, true, true, false, true, false, false, true}},
        {{true, false, true, true}, {false, true, true, true, false, true, false, false, true}},
        {{true, true, false, false}, {false, false, false, true, true, true, true, true, true}},
        {{true, true, true, true}, {false, false, false, true, true, true, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "trusted " << c.flags.trusted << " managing " << c.flags.managing << " recovery "
                     << c.flags.recoveryAvailable << " resume " << c.flags.resumeAvailable);
        EXPECT_EQ(dashboardControls(c.flags), c.expected);
    }
}

TEST(DashboardRules, DockTargetChoicesFollowTheWindowListAndLeaveOutTheSelectedWindow) {
    // Tree: [a | [b c as tabs]] with the desktop leaf left out; "x" is on another display.
    LayoutNode root =
        LayoutNode::split(LayoutNode("leafA", {"a"}), LayoutNode("leafBC", {"b", "c"}), SplitAxis::horizontal, 0.5);
    const std::vector<ListedWindow> list{{"c", "Cee"}, {"x", "Elsewhere"}, {"a", "Ay"}, {"b", "Bee"}};

    EXPECT_EQ(dockTargetChoices(root, list, "b"),
              (std::vector<DockTargetChoice>{{"Whole layout", root.id}, {"Cee", "leafBC"}, {"Ay", "leafA"}}));
    EXPECT_EQ(dockTargetChoices(root, list, "a"),
              (std::vector<DockTargetChoice>{{"Whole layout", root.id}, {"Cee", "leafBC"}, {"Bee", "leafBC"}}));
    EXPECT_EQ(dockTargetChoices(root, {}, "a"), (std::vector<DockTargetChoice>{{"Whole layout", root.id}}));

    struct Pick {
        std::string target, docksBeside;
    };
    for (const Pick& pick :
         {Pick{"", root.id}, Pick{"leafA", "leafA"}, Pick{"gone", root.id}, Pick{root.id, root.id}}) {
        SCOPED_TRACE(pick.target);
        EXPECT_EQ(dockTargetNode(root, pick.target), pick.docksBeside);
    }

    std::vector<std::string> labels;
    for (DockEdge edge : allDockEdges) labels.push_back(dockEdgeLabel(edge));
    EXPECT_EQ(labels, (std::vector<std::string>{"Left", "Right", "Top", "Bottom", "Tab"}));
}

TEST(DashboardRules, GapSliderOffersEvenGapsFromFourToTwentyFour) {
    EXPECT_EQ(GapSlider::positions(), 11);
    std::vector<double> gaps;
    for (int position = -1; position <= GapSlider::positions(); ++position) gaps.push_back(GapSlider::gapAt(position));
    EXPECT_EQ(gaps, (std::vector<double>{4, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 24}));

    struct Shown {
        double gap;
        int position;
    };
    for (const Shown& s : {Shown{8, 2}, Shown{4, 0}, Shown{24, 10}, Shown{0, 0}, Shown{7, 2}, Shown{9.2, 3},
                           Shown{1e9, 10}, Shown{-3, 0}, Shown{std::numeric_limits<double>::quiet_NaN(), 0}}) {
        SCOPED_TRACE(s.gap);
        EXPECT_EQ(GapSlider::positionOf(s.gap), s.position);
    }
    EXPECT_STREQ(GapSlider::kDefaultsKey, "gap");
}

TEST(DashboardRules, RestoreIsEnabledExactlyForSlotsWithASavedLayout) {
    std::vector<SavedView> saved(2);
    saved[0].id = 3;
    saved[0].name = "anything";
    saved[1].id = 0;  // the last layout is no slot
    std::vector<int> restorable;
    for (int slot = 1; slot <= kSavedLayoutSlots; ++slot)
        if (slotRestorable(saved, slot)) restorable.push_back(slot);
    EXPECT_EQ(restorable, std::vector<int>{3});
    EXPECT_STREQ(previewsButtonLabel(true), "Refresh window previews");
    EXPECT_STREQ(previewsButtonLabel(false), "Check window previews again");
}

class DashboardOperations : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Screen", {1440, 900});
        auto app = desktop.launch("org.example.Editor", "Editor");
        for (const char* title : {"alpha", "beta"}) windows.push_back(app.openWindow(title, {100, 100, 500, 350}));
        start();
        coordinator->setDashboardWindowMaker([this] {
            auto window = std::make_shared<HostedWindow>();
            window->isVisible = [this] { return dashboardShown; };
            window->hideWindow = [this] { dashboardShown = false; };
            window->present = [this] { dashboardShown = true; };
            return window;
        });
        coordinator->showDashboard();
    }

    std::vector<platform::sim::WindowHandle> windows;
    bool dashboardShown = false;
};

TEST_F(DashboardOperations, ResumeWithAnUnreadableLastLayoutKeepsTheDashboardAndSaysSo) {
    struct Case {
        const char* name;
        std::optional<std::string> text;  // absent: no file
    };
    for (const Case& c : {Case{"missing", std::nullopt}, Case{"not JSON", std::string("{broken")},
                          Case{"not a layout", std::string("[1, 2, 3]")}}) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(stateDirectory() / "last-view.json");
        if (c.text) writeState("last-view.json", *c.text);
        coordinator->status = "before";
        coordinator->showDashboard();
        EXPECT_FALSE(coordinator->resumeLastLayout());
        EXPECT_TRUE(dashboardShown);
        EXPECT_EQ(coordinator->status.get(), Coordinator::kLastLayoutUnreadableStatus);
    }
    EXPECT_TRUE(logMentions("last-view.json is missing"));
    EXPECT_TRUE(logMentions("last-view.json unreadable"));
}

TEST_F(DashboardOperations, ResumeAppliesTheLastLayoutAndHidesTheDashboard) {
    const std::vector<Rect> arranged = framesOf(windows);
    ASSERT_TRUE(stateExists("last-view.json"));
    const std::string last = readState("last-view.json");
    coordinator->freeAllWindows();
    settle();
    desktop.advance(2);
    settle();
    ASSERT_NE(framesOf(windows), arranged);
    writeState("last-view.json", last);

    EXPECT_TRUE(coordinator->resumeLastLayout());
    EXPECT_FALSE(dashboardShown);
    settle();
    desktop.advance(2);
    EXPECT_EQ(framesOf(windows), arranged);
}

TEST_F(DashboardOperations, TheGapIsStoredAndTheLayoutAppliedAgain) {
    const Rect before = windows[0].frame();
    coordinator->setGap(GapSlider::gapAt(10));
    EXPECT_EQ(coordinator->gap.get(), 24);
    EXPECT_EQ(desktop.defaults().number("gap"), 24);
    desktop.advance(1);
    EXPECT_NE(windows[0].frame(), before);
}

TEST(DashboardStatusDot, NeverGreenBesideTrouble) {
    const struct {
        const char* status;
        bool trouble;
    } cases[] = {
        {"Drag a window to a screen edge to dock it, or choose Set Windows.", false},
        {"3 docked windows. Drag a title bar to an edge to dock, or onto the Desktop to float it.", false},
        {"All windows are free again. Choose Set Windows to give every window its own space.", false},
        {"Desktop focused. Step out to return to your windows.", false},
        {"Saved Layout 3.", false},
        {"Layout 2 restored.", false},
        {"Original window positions restored.", false},
        {"", false},
        {"Window previews unavailable: The list of windows could not be read from the X server. Native windows have "
         "been kept visible.",
         true},
        {"Editor refused a window change. Restore or exclude it.", true},
        {"Could not write restore.json: if Vomira stops unexpectedly, windows cannot be put back.", true},
        {"No EWMH window manager is running, so windows cannot be moved. Start one (openbox, xfwm4, KWin), then "
         "Arrange.",
         true},
        {"Ctrl+Alt+Down is held by openbox's default key bindings. The menu controls still work.", true},
        {"A Rev & Uzidu shortcut is not available: Super+Alt+F is held by another program. Record another shortcut "
         "in Settings, Shortcuts.",
         true},
        {"Saved Layout 4 for this session only: it could not be written to disk.", true},
        {"The last layout could not be read, so nothing was resumed.", true},
        {"Layout 5 is empty.", true},
        {WindowPictures::kAllowStatus, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(statusReportsTrouble(c.status), c.trouble) << c.status;
        EXPECT_EQ(statusDotGreen(true, c.status), !c.trouble) << c.status;
        EXPECT_FALSE(statusDotGreen(false, c.status)) << c.status;
    }
}

}  // namespace
