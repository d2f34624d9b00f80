// SPDX-License-Identifier: MIT
// OverviewCardsTests.cpp: the spatial canvas's logic: the five drop zones at their borders,
// pinches, the cards made from the coordinator (empty state, tab groups, fallbacks, bad
// titles, many windows) and a card drag whose window goes away before the drop.
#include "CoordinatorScene.h"

#include "Arvelo/Overview/CardDrag.h"
#include "Arvelo/Overview/CardDrop.h"
#include "Arvelo/Overview/OverviewCards.h"

using namespace arvelo;
using arvelo::testing::CoordinatorScene;

namespace {

TEST(CardDrop, ZonesAtTheirBorders) {
    struct Case {
        double x, y;
        DockEdge edge;
    };
    const Case cases[] = {
        {0.2199, 0.5, DockEdge::left},  {0.22, 0.5, DockEdge::tab},      {0.78, 0.5, DockEdge::tab},
        {0.7801, 0.5, DockEdge::right}, {0.5, 0.2199, DockEdge::top},    {0.5, 0.22, DockEdge::tab},
        {0.5, 0.78, DockEdge::tab},     {0.5, 0.7801, DockEdge::bottom}, {0.1, 0.1, DockEdge::left},
        {0.9, 0.95, DockEdge::right},   {0.22, 0.2199, DockEdge::top},   {0.78, 0.7801, DockEdge::bottom},
        {0.5, 0.5, DockEdge::tab},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
        EXPECT_EQ(CardDrop::edge({c.x * 1000, c.y * 500}, {1000, 500}), c.edge);
    }
    // A card of zero size divides by one point.
    EXPECT_EQ(CardDrop::edge({0.5, 0.5}, {0, 0}), DockEdge::tab);
    EXPECT_EQ(CardDrop::edge({0.9, 0.5}, {0, 0}), DockEdge::right);
}

TEST(CardDrop, PinchesActOnlyBeyondTheirThresholds) {
    struct Case {
        double scale;
        PinchOutcome outcome;
    };
    for (const Case& c :
         {Case{1.0501, PinchOutcome::focus}, Case{1.05, PinchOutcome::none}, Case{0.95, PinchOutcome::none},
          Case{0.9499, PinchOutcome::stepOut}, Case{1.0, PinchOutcome::none}}) {
        SCOPED_TRACE(c.scale);
        EXPECT_EQ(pinchOutcome(c.scale), c.outcome);
    }
}

class OverviewCardsScene : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Screen", {1440, 900});
        app = desktop.launch("org.example.Editor", "Editor");
    }
    std::vector<platform::sim::WindowHandle> open(int count, const std::string& title = "w") {
        std::vector<platform::sim::WindowHandle> opened;
        for (int i = 0; i < count; ++i)
            opened.push_back(app.openWindow(title + std::to_string(i), {100.0 + i, 100, 500, 350}));
        return opened;
    }
    platform::sim::AppHandle app{nullptr, 0};
};

TEST_F(OverviewCardsScene, WithoutALayoutTheCanvasShowsItsInvitation) {
    start(false);
    EXPECT_TRUE(OverviewCards::content(*coordinator, {960, 560}).empty);
    EXPECT_EQ(OverviewCards::canvasRect({10, 10}), Rect(14, 14, 1, 1));
}

class CanvasWindowCounts : public OverviewCardsScene, public ::testing::WithParamInterface<int> {};

TEST_P(CanvasWindowCounts, CardsCoverTheCanvasWithTheirLabels) {
    const int count = GetParam();
    auto windows = open(count);
    start();
    coordinator->selectedDisplay = coordinator->displays->front().id;
    const CanvasContent content = OverviewCards::content(*coordinator, {960, 560});
    ASSERT_FALSE(content.empty);
    const Rect area = OverviewCards::canvasRect({960, 560});
    std::size_t shownWindows = 0;
    for (const OverviewCard& card : content.cards) {
        EXPECT_GE(card.frame.width, 1);
        EXPECT_GE(card.frame.height, 1);
        EXPECT_GE(card.frame.x, area.x - 0.5);
        EXPECT_LE(card.frame.maxX(), area.maxX() + 0.5);
        if (card.desktop) {
            EXPECT_EQ(card.appName, "Desktop");
            continue;
        }
        shownWindows += card.tile.windows.size();
        EXPECT_EQ(card.appName, "Editor");
        EXPECT_EQ(card.grouped, card.tile.windows.size() >= 2);
        EXPECT_EQ(card.tabNames.size(), card.grouped ? card.tile.windows.size() : 0u);
    }
    EXPECT_EQ(shownWindows, static_cast<std::size_t>(count));
}

INSTANTIATE_TEST_SUITE_P(Counts, CanvasWindowCounts, ::testing::Values(0, 1, 3, 200));

TEST_F(OverviewCardsScene, TabGroupsUnknownWindowsAndUnusualTitles) {
    auto windows = open(2);
    start();
    coordinator->selectedDisplay = coordinator->displays->front().id;
    windows[0].setTitle(std::string(10000, 'x'));
    windows[1].setTitle("bad \xff\xfe utf-8 \xc3");
    beat();
    const std::string display = coordinator->selectedDisplay.get();
    const auto keys = coordinator->states->at(display).root.allWindows();
    ASSERT_EQ(keys.size(), 2u);
    coordinator->dock(keys[1], coordinator->states->at(display).root.leaf(keys[0])->id, display, DockEdge::tab);
    // A third key that no record names joins the group.
    coordinator->states.modify([&](auto& all) {
        all.at(display).root.edit(all.at(display).root.leaf(keys[0])->id,
                                  [](LayoutNode& leaf) { leaf.windows.push_back("9:9:9"); });
    });
    const CanvasContent content = OverviewCards::content(*coordinator, {960, 560});
    const auto group =
        std::find_if(content.cards.begin(), content.cards.end(), [](const OverviewCard& card) { return card.grouped; });
    ASSERT_NE(group, content.cards.end());
    EXPECT_EQ(group->tile.windows.size(), 3u);
    EXPECT_EQ(group->tabNames, (std::vector<std::string>{"Editor", "Editor", "Window"}));
    EXPECT_TRUE(group->hasRecord);
    EXPECT_EQ(group->accessibleLabel(), "Editor " + group->title);
}

TEST_F(OverviewCardsScene, ADragWhoseWindowVanishesEndsWithoutDocking) {
    auto windows = open(3);
    start();
    coordinator->selectedDisplay = coordinator->displays->front().id;
    CanvasContent content = OverviewCards::content(*coordinator, {960, 560});
    std::vector<const OverviewCard*> cards;
    for (const auto& card : content.cards)
        if (!card.desktop) cards.push_back(&card);
    ASSERT_GE(cards.size(), 2u);
    const OverviewCard& from = *cards[0];
    const OverviewCard& onto = *cards[1];
    const Point start{from.frame.x + 10, from.frame.y + 10};
    const Point drop{onto.frame.x + onto.frame.width / 2, onto.frame.y + onto.frame.height / 2};

    CardDrag drag;
    drag.press(from.tile.nodeID, from.tile.selected, start);
    EXPECT_FALSE(drag.move({start.x + 6, start.y}));  // not past the threshold yet
    EXPECT_TRUE(drag.move({start.x + 7, start.y}));
    const auto dock = drag.release(drop, content);
    ASSERT_TRUE(dock);
    EXPECT_EQ(*dock, (CardDrag::Dock{from.tile.selected, onto.tile.nodeID, DockEdge::tab}));

    // A click is no drag.
    drag.press(from.tile.nodeID, from.tile.selected, start);
    drag.move({start.x + 3, start.y + 3});
    EXPECT_FALSE(drag.release(drop, content));

    // The window goes away mid-drag: the view cancels when its record leaves the table.
    drag.press(from.tile.nodeID, from.tile.selected, start);
    drag.move(drop);
    for (auto& window : windows)
        if (from.tile.selected.find(":" + std::to_string(window.number()) + ":") != std::string::npos) window.vanish();
    beat();
    EXPECT_FALSE(coordinator->access->records.contains(from.tile.selected));
    drag.cancel();
    EXPECT_FALSE(drag.release(drop, content));
    EXPECT_FALSE(drag.pressed());
}

}  // namespace
