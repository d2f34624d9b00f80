// SPDX-License-Identifier: MIT
// DashboardViewsTests.cpp: the dashboard and the overview as a user meets them, offscreen on
// the simulated desktop: the header and banners follow the coordinator's flags, a change
// redraws only its part, the docking row, the gap slider and the list act on the coordinator,
// the canvas focuses on a click and docks on a drag (and forgets a drag whose window went
// away), odd titles and many windows do no harm; screenshots for people to look at.
#include "CoordinatorScene.h"

#include "Arvelo/Views/AppWindows.h"
#include "Arvelo/Views/Dashboard/DashboardWindow.h"
#include "Arvelo/Views/Overview/OverviewWindow.h"
#include "Arvelo/Views/Overview/SpatialCanvasWidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>

using namespace arvelo;
using arvelo::testing::CoordinatorScene;
using arvelo::views::DashboardWindow;
using arvelo::views::OverviewWindow;
using arvelo::views::SpatialCanvasWidget;

namespace {

template <class T = QPushButton>
T* findText(QWidget* root, const QString& text) {
    for (T* widget : root->findChildren<T*>())
        if (widget->text() == text) return widget;
    return nullptr;
}

bool labelShown(QWidget* root, const QString& text) {
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->text() == text && label->isVisibleTo(root)) return true;
    return false;
}

// Lets the views take in what the coordinator published (they refresh once per event).
void flush() { QApplication::processEvents(); }

void screenshot(QWidget* widget, const QString& name) {
    QDir().mkpath("screenshots");
    const QImage image = widget->grab().toImage();
    EXPECT_FALSE(image.isNull());
    EXPECT_TRUE(image.save("screenshots/" + name + ".png"));
}

class DashboardViews : public CoordinatorScene {
protected:
    void SetUp() override {
        desktop.addDisplay("Built-in Display", {1440, 900});
        editor = desktop.launch("org.example.Editor", "Editor");
        terminal = desktop.launch("org.example.Terminal", "Terminal");
    }
    void openThree() {
        windows.push_back(editor.openWindow("notes.txt", {100, 100, 600, 400}));
        windows.push_back(editor.openWindow("todo.md", {150, 150, 600, 400}));
        windows.push_back(terminal.openWindow("~/src", {200, 200, 600, 400}));
    }
    void startViews(bool automaticUpdates = true) {
        start(automaticUpdates);
        if (!coordinator->displays->empty()) coordinator->selectedDisplay = coordinator->displays->front().id;
        views::AppWindowMakers makers = views::appWindowMakers(coordinator);
        coordinator->setOverviewWindowMaker(makers.overview);
        coordinator->setDashboardWindowMaker(makers.dashboard);
    }
    DashboardWindow* dashboard() {
        coordinator->showDashboard();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = dynamic_cast<DashboardWindow*>(w)) return d;
        return nullptr;
    }
    OverviewWindow* overview() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* o = dynamic_cast<OverviewWindow*>(w)) return o;
        return nullptr;
    }
    const OverviewCard* cardOf(SpatialCanvasWidget* canvas, const std::string& key) {
        for (const auto& card : canvas->content().cards)
            if (card.tile.selected == key) return &card;
        return nullptr;
    }
    static QPoint centre(const OverviewCard& card) {
        return QPoint(int(card.frame.x + card.frame.width / 2), int(card.frame.y + card.frame.height / 2));
    }

    platform::sim::AppHandle editor{nullptr, 0}, terminal{nullptr, 0};
    std::vector<platform::sim::WindowHandle> windows;
};

TEST_F(DashboardViews, HeaderAndBannersFollowTheFlagsAndOnlyTheirPartRedraws) {
    openThree();
    desktop.setTrusted(false);
    startViews();
    DashboardWindow* window = dashboard();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Vomira");
    EXPECT_EQ(window->size(), QSize(1080, 740));
    EXPECT_EQ(window->minimumSize(), QSize(840, 580));
    EXPECT_TRUE(labelShown(window,
                           "No EWMH window manager is running, so Vomira cannot move or resize your windows. Start one "
                           "(openbox, xfwm4, KWin)."));
    EXPECT_FALSE(findText(window, "Set Windows")->isEnabled());
    EXPECT_FALSE(findText(window, "Free All Windows")->isEnabled());
    EXPECT_TRUE(findText(window, "Refresh")->isEnabled());

    const auto before = window->rebuilds();
    coordinator->status = "Something happened.";
    flush();
    EXPECT_EQ(window->rebuilds().status, before.status + 1);
    EXPECT_EQ(window->rebuilds().header, before.header);
    EXPECT_EQ(window->rebuilds().list, before.list);
    EXPECT_EQ(window->rebuilds().settings, before.settings);

    coordinator->recoveryAvailable = true;
    coordinator->resumeAvailable = true;
    flush();
    EXPECT_TRUE(labelShown(window, "Window positions from a previous session are available."));
    EXPECT_TRUE(findText(window, "Resume layout")->isVisibleTo(window));
    EXPECT_FALSE(findText(window, "Resume layout")->isEnabled());
    screenshot(window, "dashboard-banners");

    desktop.setTrusted(true);
    coordinator->refresh();
    settle();
    flush();
    EXPECT_TRUE(coordinator->managing.get());
    // Arranging puts the dashboard aside; shown again, it reads the coordinator afresh.
    EXPECT_FALSE(window->isVisible());
    coordinator->showDashboard();
    flush();
    EXPECT_FALSE(labelShown(window,
                            "No EWMH window manager is running, so Vomira cannot move or resize your windows. Start "
                            "one (openbox, xfwm4, KWin)."));
    EXPECT_FALSE(labelShown(window, "Window positions from a previous session are available."));
    EXPECT_FALSE(findText(window, "Resume layout")->isVisibleTo(window));
    EXPECT_TRUE(findText(window, "Free All Windows")->isEnabled());
    window->resize(1080, 740);
    QApplication::processEvents();
    screenshot(window, "dashboard");
}

TEST_F(DashboardViews, FreeAllReplacesTheRestoresSentence) {
    openThree();
    startViews();
    DashboardWindow* window = dashboard();
    findText(window, "Free All Windows")->click();
    flush();
    EXPECT_EQ(coordinator->status.get(), Coordinator::kFreedStatus);
    EXPECT_FALSE(coordinator->autoTile.get());
    EXPECT_TRUE(labelShown(window, QString::fromUtf8(Coordinator::kFreedStatus)));
}

TEST_F(DashboardViews, DockingRowDocksBesideThePickedTargetOrTheWholeLayout) {
    openThree();
    startViews();
    DashboardWindow* window = dashboard();
    const std::string display = coordinator->selectedDisplay.get();
    const auto keys = coordinator->states->at(display).root.allWindows();
    ASSERT_EQ(keys.size(), 3u);
    coordinator->selectedWindow = keys[0];
    flush();
    auto* picker = window->findChild<QComboBox*>(QString(), Qt::FindChildrenRecursively);
    QComboBox* target = nullptr;
    for (auto* combo : window->findChildren<QComboBox*>())
        if (combo->accessibleName() == "Target") target = combo;
    ASSERT_NE(target, nullptr);
    (void)picker;
    ASSERT_EQ(target->count(), 3);
    EXPECT_EQ(target->itemText(0), "Whole layout");
    EXPECT_EQ(target->currentIndex(), -1);  // nothing picked yet

    // Fresh: "Left" docks beside the whole layout.
    findText(window, "Left")->click();
    EXPECT_EQ(coordinator->states->at(display).root.children.front().allWindows(), std::vector<std::string>{keys[0]});

    // Pick the second entry and make tabs with it.
    coordinator->selectedWindow = keys[0];
    flush();
    target = nullptr;
    for (auto* combo : window->findChildren<QComboBox*>())
        if (combo->accessibleName() == "Target") target = combo;
    const int index = 1;
    const std::string picked = target->itemData(index).toString().toStdString();
    target->setCurrentIndex(index);  // as a pick in the list does, then its signal
    target->activated(index);
    EXPECT_EQ(window->target(), picked);
    // The pick stays across closing and reopening the dashboard.
    window->close();
    EXPECT_EQ(dashboard(), window);
    flush();
    EXPECT_EQ(window->target(), picked);
    EXPECT_EQ(target->itemData(target->currentIndex()).toString().toStdString(), picked);

    findText(window, "Tab")->click();
    const auto leaf = coordinator->states->at(display).root.leaf(keys[0]);
    ASSERT_TRUE(leaf);
    EXPECT_EQ(leaf->windows.size(), 2u);
}

TEST_F(DashboardViews, GapSliderStoresTheGapAndReapplies) {
    openThree();
    startViews();
    DashboardWindow* window = dashboard();
    QSlider* slider = window->findChild<QSlider*>();
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 10);
    EXPECT_EQ(slider->value(), 2);  // the default gap of 8
    const Rect before = windows[0].frame();
    slider->setValue(10);
    EXPECT_EQ(coordinator->gap.get(), 24);
    EXPECT_EQ(desktop.defaults().number("gap"), 24);
    desktop.advance(1);
    EXPECT_NE(windows[0].frame(), before);
    QCheckBox* drag = findText<QCheckBox>(window, "Drag to dock");
    drag->click();
    EXPECT_FALSE(coordinator->dragDocking.get());
}

TEST_F(DashboardViews, ListSelectionIsTheCoordinatorsAndOddTitlesAreShownSafely) {
    openThree();
    windows.push_back(editor.openWindow(std::string(10000, 'W'), {10, 10, 400, 300}));
    windows.push_back(editor.openWindow("broken \xff\xc3 title", {20, 20, 400, 300}));
    startViews();
    DashboardWindow* window = dashboard();
    QListWidget* list = window->findChild<QListWidget*>();
    ASSERT_EQ(list->count(), 5);
    EXPECT_TRUE(labelShown(window, "5"));
    list->item(3)->setSelected(true);
    flush();
    EXPECT_EQ(coordinator->selectedWindow.get(), list->item(3)->data(Qt::UserRole).toString().toStdString());
    for (int i = 0; i < list->count(); ++i) EXPECT_LT(list->item(i)->text().size(), 1000);
    bool replaced = false;
    for (int i = 0; i < list->count(); ++i) replaced = replaced || list->item(i)->text().contains(QChar(0xfffd));
    EXPECT_TRUE(replaced);
    EXPECT_TRUE(findText(window, "Focus")->isVisibleTo(window));
    window->grab();
}

TEST_F(DashboardViews, ManyWindowsAndNoneAtAll) {
    for (int i = 0; i < 200; ++i)
        windows.push_back(editor.openWindow("w" + std::to_string(i), {10.0 + i, 10, 400, 300}));
    startViews();
    DashboardWindow* window = dashboard();
    EXPECT_EQ(window->findChild<QListWidget*>()->count(), 200);
    window->grab();
    for (auto& w : windows) w.vanish();
    beat();
    beat();
    flush();
    EXPECT_EQ(window->findChild<QListWidget*>()->count(), 0);
    EXPECT_TRUE(labelShown(window, "0"));
    window->grab();
}

TEST_F(DashboardViews, OverviewWindowOpensWithCardsAndEveryWayOutBringsTheChromeBack) {
    openThree();
    startViews();
    coordinator->showOverview();
    OverviewWindow* window = overview();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Vomira \u2014 Overview"));
    EXPECT_EQ(window->size(), QSize(960, 660));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    QApplication::processEvents();
    EXPECT_EQ(window->canvas()->content().cards.size(), 3u);
    screenshot(window, "overview");

    // Escape is "Done".
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    // "Done" while hidden does nothing more.
    window->done();
    EXPECT_FALSE(window->isVisible());

    // A click on a card focuses its window and leaves the overview.
    coordinator->showOverview();
    ASSERT_TRUE(window->isVisible());
    QApplication::processEvents();
    const auto keys = coordinator->states->at(coordinator->selectedDisplay.get()).root.allWindows();
    const OverviewCard* card = cardOf(window->canvas(), keys[1]);
    ASSERT_NE(card, nullptr);
    QTest::mouseClick(window->canvas(), Qt::LeftButton, {}, centre(*card));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(coordinator->selectedWindow.get(), keys[1]);
    EXPECT_EQ(coordinator->states->at(coordinator->selectedDisplay.get()).focus,
              coordinator->states->at(coordinator->selectedDisplay.get()).root.leaf(keys[1])->id);

    // The close box runs the coordinator's close action.
    coordinator->showOverview();
    window->close();
    EXPECT_FALSE(window->isVisible());
    coordinator->showOverview();
    EXPECT_EQ(overview(), window);  // one window, shown again
}

TEST_F(DashboardViews, DraggingACardOntoAnotherDocksItAndAVanishedWindowEndsTheDrag) {
    openThree();
    startViews();
    coordinator->showOverview();
    OverviewWindow* window = overview();
    QApplication::processEvents();
    SpatialCanvasWidget* canvas = window->canvas();
    const std::string display = coordinator->selectedDisplay.get();
    const auto keys = coordinator->states->at(display).root.allWindows();

    const auto drag = [&](const std::string& from, const std::string& onto) {
        const OverviewCard* a = cardOf(canvas, from);
        const OverviewCard* b = cardOf(canvas, onto);
        ASSERT_TRUE(a && b) << canvas->content().cards.size() << " cards for " << from << " and " << onto << " in "
                            << QApplication::topLevelWidgets().size() << " windows";
        const QPoint start = centre(*a), end = centre(*b);
        QTest::mousePress(canvas, Qt::LeftButton, {}, start);
        QTest::mouseMove(canvas, start + QPoint(20, 0));
        QTest::mouseMove(canvas, end);
    };
    drag(keys[0], keys[1]);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, centre(*cardOf(canvas, keys[1])));
    auto leaf = coordinator->states->at(display).root.leaf(keys[0]);
    ASSERT_TRUE(leaf);
    EXPECT_EQ(leaf->windows.size(), 2u);  // dropped in the middle: tabs
    coordinator->showOverview();
    QApplication::processEvents();
    screenshot(window, "overview-tabs");

    // Mid-drag the dragged window goes away: nothing is docked at the release.
    coordinator->showOverview();
    QApplication::processEvents();
    std::string dragged, other;
    for (const auto& card : canvas->content().cards) {
        if (card.desktop) continue;
        (card.grouped ? other : dragged) = card.tile.selected;
    }
    ASSERT_FALSE(dragged.empty());
    ASSERT_FALSE(other.empty());
    drag(dragged, other);
    const QPoint dropAt = centre(*cardOf(canvas, other));
    for (auto& w : windows)
        if (dragged.find(":" + std::to_string(w.number()) + ":") != std::string::npos) w.vanish();
    beat();
    beat();
    ASSERT_FALSE(coordinator->access->records.contains(dragged));
    const auto treeBefore = coordinator->states->at(display).root;
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, dropAt);
    EXPECT_EQ(coordinator->states->at(display).root, treeBefore);
}

TEST_F(DashboardViews, CanvasRepaintsOnlyForChangesItShows) {
    openThree();
    startViews();
    DashboardWindow* window = dashboard();
    SpatialCanvasWidget* canvas = window->canvas();
    window->show();
    QApplication::processEvents();
    const int paints = canvas->paintCount();
    coordinator->status = "a status change";
    coordinator->dragDocking = false;
    QApplication::processEvents();
    EXPECT_EQ(canvas->paintCount(), paints);
    coordinator->setGap(20);
    QApplication::processEvents();
    EXPECT_GT(canvas->paintCount(), paints);
    window->hide();
}

TEST_F(DashboardViews, EmptyCanvasWithoutALayoutAndAfterTheDisplayGoes) {
    openThree();
    startViews(false);
    DashboardWindow* window = dashboard();
    EXPECT_TRUE(window->canvas()->content().empty);
    EXPECT_FALSE(findText(window, "Overview")->isEnabled());
    window->grab();
    coordinator->showOverview();  // nothing arranged: the dashboard instead
    EXPECT_EQ(overview(), nullptr);
}

TEST_F(DashboardViews, ADisplayUnpluggedWhileItsCanvasIsShown) {
    desktop.addDisplay("Side Display", {1280, 800});
    openThree();
    windows.push_back(editor.openWindow("side", {1500, 100, 600, 400}));
    startViews();
    ASSERT_EQ(coordinator->displays->size(), 2u);
    coordinator->selectedDisplay = coordinator->displays->back().id;
    coordinator->showOverview();
    OverviewWindow* window = overview();
    ASSERT_NE(window, nullptr);
    QApplication::processEvents();
    EXPECT_FALSE(window->canvas()->content().cards.empty());

    desktop.world().displays().pop_back();
    beat();
    beat();
    QApplication::processEvents();
    EXPECT_EQ(coordinator->displays->size(), 1u);
    window->grab();  // paints whatever the canvas shows now, without a crash
    DashboardWindow* board = dashboard();
    board->grab();
    QTest::mouseClick(window->canvas(), Qt::LeftButton, {}, QPoint(480, 280));
}

}  // namespace
