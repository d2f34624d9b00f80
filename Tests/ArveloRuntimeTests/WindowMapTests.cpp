// SPDX-License-Identifier: MIT
// WindowMapTests.cpp: the window map's geometry (panel, panes, row pitch, the minimised strip)
// for a full HD display and a small one, and the map on the simulated desktop: what it lists,
// what choosing a row does, the keyboard, and closing it.
#include "CoordinatorScene.h"

#include "Arvelo/Map/WindowMap.h"

using namespace arvelo;
using arvelo::testing::CoordinatorScene;

namespace {

std::vector<std::string> keysNamed(int count) {
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i) keys.push_back("k" + std::to_string(i));
    return keys;
}

TEST(WindowMapLayout, PanelSizeForAFullHdAndASmallDisplay) {
    struct Case {
        const char* name;
        Rect display;
        double screenWidth;
        int minimized;
        double contentWidth;
        Size panel;
    };
    const Case cases[] = {
        {"1920 x 1080, nothing minimised", {0, 0, 1920, 1080}, 1920, 0, 1180, {1216, 733.75}},
        {"1920 x 1080 with a minimised window", {0, 0, 1920, 1080}, 1920, 1, 1180, {1216, 803.75}},
        {"1024 x 768", {0, 0, 1024, 768}, 1024, 0, 675.84, {711.84, 576.88}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto map = WindowMapLayout::make(c.display, c.screenWidth, {}, keysNamed(c.minimized));
        EXPECT_NEAR(map.contentWidth, c.contentWidth, 1e-9);
        EXPECT_NEAR(map.panelSize.width, c.panel.width, 1e-9);
        EXPECT_NEAR(map.panelSize.height, c.panel.height, 1e-9);
        EXPECT_EQ(map.minimizedLabel.has_value(), c.minimized > 0);
    }
}

TEST(WindowMapLayout, PanesAreTheTilesScaledBelowTheHeader) {
    const Rect display(0, 25, 1920, 1080);
    const MapTile left{{0, 25, 960, 1080}, {"a"}, {"a"}, "a"};
    const MapTile right{{960, 25, 960, 1080}, {"b", "c"}, {"b", "c"}, "c"};
    const MapTile empty{{0, 0, 10, 10}, {}, {}, ""};
    const auto map = WindowMapLayout::make(display, 1920, {left, empty, right}, {});
    ASSERT_EQ(map.panes.size(), 2u);
    const double s = 1180.0 / 1920;
    EXPECT_NEAR(map.panes[0].frame.x, 18 + 3, 1e-9);
    EXPECT_NEAR(map.panes[0].frame.y, 52 + 3, 1e-9);
    EXPECT_NEAR(map.panes[1].frame.x, s * 960 + 18 + 3, 1e-9);
    EXPECT_NEAR(map.panes[1].frame.width, s * 960 - 6, 1e-9);
    // A one-window pane is one large row; the tab's pane marks its shown window.
    ASSERT_EQ(map.panes[0].rows.size(), 1u);
    EXPECT_FALSE(map.panes[0].rows[0].compact);
    EXPECT_EQ(map.panes[0].rows[0].frame, Rect(0, 0, map.panes[0].frame.width, map.panes[0].frame.height));
    ASSERT_EQ(map.panes[1].rows.size(), 2u);
    EXPECT_FALSE(map.panes[1].rows[0].selected);
    EXPECT_TRUE(map.panes[1].rows[1].selected);
}

TEST(WindowMapLayout, RowPitchIsClampedAndRowsStopAtThePaneBottom) {
    struct Case {
        const char* name;
        Size pane;
        int windows;
        std::vector<double> rowTops;
        double rowHeight;
    };
    const Case cases[] = {
        {"crowded: pitch raised to 22", {200, 100}, 6, {6, 28, 50, 72}, 19},
        {"roomy: pitch lowered to 34", {200, 400}, 2, {6, 40}, 31},
        {"in between", {200, 112}, 4, {6, 31, 56, 81}, 22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows = WindowMapLayout::paneRows(c.pane, keysNamed(c.windows), "k0");
        ASSERT_EQ(rows.size(), c.rowTops.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_NEAR(rows[i].frame.y, c.rowTops[i], 1e-9);
            EXPECT_NEAR(rows[i].frame.height, c.rowHeight, 1e-9);
            EXPECT_EQ(rows[i].frame.x, 6);
            EXPECT_EQ(rows[i].frame.width, c.pane.width - 12);
            EXPECT_TRUE(rows[i].compact);
        }
    }
}

TEST(WindowMapLayout, TheMinimisedStripPlacesOnlyRowsThatFit) {
    struct Case {
        const char* name;
        double contentWidth;
        int windows;
        std::size_t rows;
    };
    const Case cases[] = {
        {"wide: five rows of 220 fit, the sixth would run past the edge", 1180, 9, 5},
        {"small: four rows of a quarter each", 675.84, 9, 4},
        {"fewer windows than room", 1180, 2, 2},
        {"never more than eight", 4000, 12, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows = WindowMapLayout::stripRows(c.contentWidth, 500, keysNamed(c.windows));
        ASSERT_EQ(rows.size(), c.rows);
        for (const auto& row : rows) {
            EXPECT_LE(row.frame.maxX(), c.contentWidth + 18) << "the row ends inside the panel";
            EXPECT_EQ(row.frame.y, 500);
            EXPECT_EQ(row.frame.height, 30);
            EXPECT_LE(row.frame.width, 220);
        }
        EXPECT_EQ(rows.front().frame.x, 18);
    }
}

class WindowMapScene : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Screen", {1920, 1080});
        editor = std::make_unique<platform::sim::AppHandle>(desktop.launch("org.example.Editor", "Editor"));
        other = std::make_unique<platform::sim::AppHandle>(desktop.launch("org.example.Other", "Other"));
        windows.push_back(editor->openWindow("alpha", {100, 100, 500, 350}));
        windows.push_back(editor->openWindow("", {150, 120, 500, 350}));
        windows.push_back(other->openWindow("gamma", {200, 140, 500, 350}));
        start();
        ASSERT_TRUE(coordinator->managing.get());
        desktop.movePointer({300, 300});
        map = WindowMap::make(desktop.services());
        map->makePanel = [this](const MapContent&, std::weak_ptr<WindowMap>) {
            auto panel = std::make_shared<WindowMap::Panel>();
            panel->close = [this] { ++closes; };
            return panel;
        };
    }

    std::string key(std::size_t index) const {
        for (const auto& record : coordinator->windows.get())
            if (record->windowNumber == windows[index].number()) return record->id;
        return "";
    }
    std::size_t raisesOf(std::size_t index) {
        std::size_t count = 0;
        for (const auto& call : desktop.calls().of(platform::sim::Request::action, platform::ax::kRaiseAction))
            if (call.element.window == windows[index].number()) ++count;
        return count;
    }

    std::unique_ptr<platform::sim::AppHandle> editor, other;
    std::vector<platform::sim::WindowHandle> windows;
    std::shared_ptr<WindowMap> map;
    int closes = 0;
};

TEST_F(WindowMapScene, ListsEveryArrangedWindowWithItsApplication) {
    map->show(coordinator);
    ASSERT_TRUE(map->isOpen());
    const MapContent& content = *map->content();
    std::size_t rows = 0;
    for (const auto& pane : content.layout.panes) rows += pane.rows.size();
    EXPECT_EQ(rows, 3u);
    EXPECT_EQ(content.entries.at(key(0)).title, "alpha");
    EXPECT_EQ(content.entries.at(key(0)).appName, "Editor");
    // An empty title shows the application's name in its place.
    EXPECT_EQ(content.entries.at(key(1)).title, "Editor");
    // Centred on the screen.
    EXPECT_NEAR(content.panelFrame.midX(), 960, 1e-9);
    EXPECT_NEAR(content.panelFrame.midY(), 540, 1e-9);
}

TEST_F(WindowMapScene, MinimisedWindowsAreInTheStripUnlessPinned) {
    windows[2].minimize();
    windows[1].minimize();
    beat();
    beat();
    coordinator->pinned.insert(key(1));
    map->show(coordinator);
    const auto& strip = map->content()->layout.minimizedRows;
    ASSERT_EQ(strip.size(), 1u);
    EXPECT_EQ(strip[0].key, key(2));
}

TEST_F(WindowMapScene, ChoosingARowRaisesItsWindow) {
    map->show(coordinator);
    const MapPane& pane = map->content()->layout.panes.front();
    ASSERT_FALSE(pane.rows.empty());
    const std::string chosen = pane.rows.front().key;
    std::size_t index = 0;
    while (key(index) != chosen) ++index;
    const std::size_t raisesBefore = raisesOf(index);
    map->pick(0, chosen);
    EXPECT_FALSE(map->isOpen());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(coordinator->selectedWindow.get(), chosen);
    EXPECT_EQ(raisesOf(index), raisesBefore + 1);
}

TEST_F(WindowMapScene, EscapeGivesTheKeyboardBackUnlessThisProgramHadIt) {
    other->activate();
    map->show(coordinator);
    editor->activate();  // the map itself does not count: the application before it does
    map->press(WindowMap::Key::escape);
    EXPECT_FALSE(map->isOpen());
    EXPECT_EQ(desktop.world().frontmost(), other->pid());

    desktop.world().activate(desktop.world().ownPid());
    map->show(coordinator);
    other->activate();
    map->press(WindowMap::Key::escape);
    EXPECT_EQ(desktop.world().frontmost(), other->pid()) << "nothing was activated";
}

TEST_F(WindowMapScene, ArrowsWalkTheRowsAndReturnChooses) {
    map->show(coordinator);
    const auto rows = map->content()->layout.rowsInOrder();
    ASSERT_EQ(rows.size(), 3u);
    map->press(WindowMap::Key::down);
    map->press(WindowMap::Key::down);
    EXPECT_EQ(map->highlighted(), 1u);
    map->press(WindowMap::Key::up);
    map->press(WindowMap::Key::up);
    EXPECT_EQ(map->highlighted(), 2u) << "walking off the top wraps to the last row";
    const std::string chosen = rows[2]->key;
    map->press(WindowMap::Key::enter);
    EXPECT_FALSE(map->isOpen());
    EXPECT_EQ(coordinator->selectedWindow.get(), chosen);
}

TEST_F(WindowMapScene, ARowWhoseWindowWentOnlyClosesTheMap) {
    map->show(coordinator);
    const std::string gone = key(2);
    windows[2].vanish();
    beat();
    const auto before = coordinator->selectedWindow.get();
    map->pick(std::nullopt, gone);
    EXPECT_FALSE(map->isOpen());
    EXPECT_EQ(coordinator->selectedWindow.get(), before);
}

TEST_F(WindowMapScene, ALeftOrRightPressInAnotherApplicationClosesTheMap) {
    struct Row {
        const char* name;
        std::function<void()> press;
    };
    const Row rows[] = {
        {"left press",
         [&] {
             desktop.mouseDown({1900, 1000});
             desktop.mouseUp();
         }},
        {"right press",
         [&] {
             desktop.movePointer({1900, 1000});
             desktop.buttonDown(platform::kRightMouseButton);
             desktop.drain();
             desktop.buttonUp(platform::kRightMouseButton);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        map->show(coordinator);
        ASSERT_TRUE(map->isOpen());
        row.press();
        EXPECT_FALSE(map->isOpen());
    }
}

TEST_F(WindowMapScene, TheToggleOpensAndCloses) {
    map->toggle(coordinator);
    EXPECT_TRUE(map->isOpen());
    map->toggle(coordinator);
    EXPECT_FALSE(map->isOpen());
}

}  // namespace
