// SPDX-License-Identifier: MIT
// WindowMapPanelTests.cpp: the window map's panel as a user meets it, offscreen over the
// simulated desktop: it is the size its layout says, a click on a row picks that row's window
// (a hidden tab is selected in its tile), the arrow keys light the rows up and Return chooses,
// Escape closes it, and the minimised strip stays inside the panel on a small display.
// Screenshots (full HD with tabs and minimised windows, a small display, a lit row) go to
// screenshots/ for people to look at.
#include "CoordinatorScene.h"

#include "Arvelo/Map/WindowMap.h"
#include "Arvelo/Views/Map/WindowMapPanel.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTest>

using namespace arvelo;
using arvelo::testing::CoordinatorScene;
using arvelo::views::WindowMapPanel;

namespace {

void screenshot(QWidget* widget, const QString& name) {
    QDir().mkpath("screenshots");
    const QImage image = widget->grab().toImage();
    EXPECT_FALSE(image.isNull());
    EXPECT_TRUE(image.save("screenshots/" + name + ".png"));
}

QPoint middleOf(const Rect& r) { return QPoint(qRound(r.midX()), qRound(r.midY())); }

class WindowMapPanelTest : public CoordinatorScene {
protected:
    // A display of this size with four arranged windows (the last a tab of the first's tile)
    // and `minimised` more windows, minimised.
    void build(Size display, int minimised) {
        desktop.addDisplay("Screen", display);
        auto editor = desktop.launch("org.example.Editor", "Editor");
        auto terminal = desktop.launch("org.example.Terminal", "Terminal");
        windows.push_back(editor.openWindow("notes.txt", {100, 100, 500, 350}));
        windows.push_back(editor.openWindow("", {150, 120, 500, 350}));
        windows.push_back(terminal.openWindow("~/src \u2014 a rather long title that runs past its row", {200, 140, 500, 350}));
        windows.push_back(terminal.openWindow("build", {250, 160, 500, 350}));
        for (int i = 0; i < minimised; ++i)
            windows.push_back(editor.openWindow("draft " + std::to_string(i + 1), {300, 200, 400, 300}));
        start();
        ASSERT_TRUE(coordinator->managing.get());
        displayID = coordinator->displays->front().id;
        coordinator->dock(key(3), tileOf(key(0)), displayID, DockEdge::tab);
        for (int i = 0; i < minimised; ++i) windows[static_cast<std::size_t>(4 + i)].minimize();
        beat();
        beat();
        desktop.movePointer({display.width / 2, display.height / 2});
        map = WindowMap::make(desktop.services());
        map->makePanel = [](const MapContent& content, std::weak_ptr<WindowMap> owner) {
            return WindowMapPanel::present(content, std::move(owner));
        };
    }

    std::string key(std::size_t index) const {
        for (const auto& record : coordinator->windows.get())
            if (record->windowNumber == windows[index].number()) return record->id;
        return "";
    }
    std::string tileOf(const std::string& windowKey) const {
        for (const Tile& tile : coordinator->layout(displayID).tiles)
            if (std::find(tile.windows.begin(), tile.windows.end(), windowKey) != tile.windows.end())
                return tile.nodeID;
        return "";
    }
    WindowMapPanel* panel() const {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* p = dynamic_cast<WindowMapPanel*>(widget); p && p->isVisible()) return p;
        return nullptr;
    }
    // Presses the widget under a point of the panel, as the user's click would.
    static void clickAt(WindowMapPanel* panel, QPoint point) {
        QWidget* target = panel->childAt(point);
        ASSERT_TRUE(target) << "nothing under " << point.x() << "," << point.y();
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(panel, point));
    }
    static void dropClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::vector<platform::sim::WindowHandle> windows;
    std::string displayID;
    std::shared_ptr<WindowMap> map;
};

TEST_F(WindowMapPanelTest, FullHdMapWithTabsAndMinimisedWindows) {
    build({1920, 1080}, 2);
    map->show(coordinator);
    QPointer<WindowMapPanel> shown = panel();
    ASSERT_TRUE(shown);
    const WindowMapLayout& layout = map->content()->layout;
    EXPECT_EQ(shown->size(), QSize(qRound(layout.panelSize.width), qRound(layout.panelSize.height)));
    ASSERT_EQ(layout.minimizedRows.size(), 2u);
    screenshot(shown, "window-map-full-hd");

    // The arrow keys light a row up; Escape closes the map.
    QTest::keyClick(shown, Qt::Key_Down);
    EXPECT_EQ(map->highlighted(), 0u);
    screenshot(shown, "window-map-lit-row");
    QTest::keyClick(shown, Qt::Key_Escape);
    EXPECT_FALSE(map->isOpen());
    dropClosed();
    EXPECT_FALSE(shown) << "the closed panel is gone";
}

TEST_F(WindowMapPanelTest, ClickingARowPicksItsWindowAndAHiddenTabIsSelected) {
    build({1920, 1080}, 0);
    const std::string hidden = key(3);
    map->show(coordinator);
    WindowMapPanel* shown = panel();
    ASSERT_TRUE(shown);
    // The pane of the tile with the two tabs, and the hidden tab's row in it.
    const WindowMapLayout& layout = map->content()->layout;
    std::optional<QPoint> row;
    for (const MapPane& pane : layout.panes)
        for (const MapRow& r : pane.rows)
            if (r.key == hidden) row = middleOf(r.frame) + QPoint(qRound(pane.frame.x), qRound(pane.frame.y));
    ASSERT_TRUE(row) << "the hidden tab has a row";
    clickAt(shown, *row);
    EXPECT_FALSE(map->isOpen()) << "a row closes the map";
    bool found = false;
    for (const Tile& tile : coordinator->layout(displayID).tiles)
        if (std::find(tile.windows.begin(), tile.windows.end(), hidden) != tile.windows.end()) {
            found = true;
            EXPECT_EQ(tile.selected, hidden) << "the hidden tab is the tile's shown window now";
        }
    EXPECT_TRUE(found);

    // Return chooses the row the keyboard walked to.
    map->show(coordinator);
    shown = panel();
    ASSERT_TRUE(shown);
    const std::string first = map->content()->layout.rowsInOrder().front()->key;
    QTest::keyClick(shown, Qt::Key_Down);
    QTest::keyClick(shown, Qt::Key_Return);
    EXPECT_FALSE(map->isOpen());
    EXPECT_EQ(coordinator->selectedWindow.get(), first);
    dropClosed();
}

TEST_F(WindowMapPanelTest, SmallDisplayKeepsTheMinimisedStripInsideThePanel) {
    build({1024, 640}, 10);
    map->show(coordinator);
    WindowMapPanel* shown = panel();
    ASSERT_TRUE(shown);
    const WindowMapLayout& layout = map->content()->layout;
    EXPECT_LE(layout.minimizedRows.size(), 8u);
    ASSERT_FALSE(layout.minimizedRows.empty());
    for (const MapRow& row : layout.minimizedRows) {
        QWidget* widget = shown->childAt(middleOf(row.frame));
        ASSERT_TRUE(widget);
        EXPECT_LE(widget->geometry().right(), shown->width()) << "the row ends inside the panel";
    }
    screenshot(shown, "window-map-small-display");
    map->close(false);
    dropClosed();
}

}  // namespace
