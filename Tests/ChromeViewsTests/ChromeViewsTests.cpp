// SPDX-License-Identifier: MIT
// ChromeViewsTests.cpp: the chrome's views offscreen: a tab clicked, dragged and cancelled with
// Escape, its glyphs on hover (a press on a glyph is no press on the tab), the header's own
// presses, the seam handle's fractions, the miniature tile following the pointer and put back
// by Escape, a double-click-only miniature, its drawing with and without a picture, and the
// outlines a panel is cut to without a compositing manager.
#include "Arvelo/Views/Chrome/ChromeViews.h"
#include "Arvelo/Views/Chrome/DropPreviewView.h"
#include "Arvelo/Views/Chrome/ProxyTileView.h"
#include "Arvelo/Views/Chrome/SeamView.h"
#include "Arvelo/Views/Chrome/TabBarView.h"
#include "Arvelo/Views/Overview/ApplicationIcons.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

using namespace arvelo;
using namespace arvelo::views;

namespace {

constexpr double kPrimaryHeight = 1000;

ChromeStyle style(bool translucent = true) {
    return ChromeStyle{translucent, [] { return kPrimaryHeight; }};
}

struct Recorder {
    std::vector<std::string> calls;
    std::vector<Point> points;
    PressCallbacks callbacks(const std::string& who) {
        PressCallbacks c;
        c.callback = [this, who] { calls.push_back(who + " click"); };
        c.dragUpdate = [this, who](Point p) {
            calls.push_back(who + " update");
            points.push_back(p);
        };
        c.dragEnd = [this, who](Point p) {
            calls.push_back(who + " end");
            points.push_back(p);
        };
        c.dragBegin = [this, who] { calls.push_back(who + " begin"); };
        c.dragStop = [this, who] { calls.push_back(who + " stop"); };
        c.cancelDrag = [this, who] { calls.push_back(who + " cancel"); };
        return c;
    }
};

// Mouse events with the button held where it should be (QTest's moves carry none).
void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
    const QPointF global = w->mapToGlobal(QPointF(at));
    QMouseEvent event(type, QPointF(at), global, Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}
void press(QWidget* w, QPoint at) { send(w, QEvent::MouseButtonPress, at); }
void move(QWidget* w, QPoint at) { send(w, QEvent::MouseMove, at); }
void release(QWidget* w, QPoint at) { send(w, QEvent::MouseButtonRelease, at, Qt::NoButton); }
void enter(QWidget* w, QPoint at = {1, 1}) {
    const QPointF local(at);
    QEnterEvent event(local, local, w->mapToGlobal(local));
    QApplication::sendEvent(w, &event);
}
void leave(QWidget* w) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(w, &event);
}
// The pointer moving with no button held.
void hover(QWidget* w, QPoint at) { send(w, QEvent::MouseMove, at, Qt::NoButton); }

TabBarContent twoTabs(Recorder& r, int* minimized, int* closed) {
    TabBarContent content;
    content.metrics = chrome::tabBarMetrics(600, 36, 2, 2);
    for (const char* title : {"first", "second"}) {
        TabItem tab;
        tab.window = title;
        tab.title = title;
        tab.on = std::string(title) == "first";
        tab.press = r.callbacks(title);
        tab.minimize = [minimized] { ++*minimized; };
        tab.close = [closed] { ++*closed; };
        content.tabs.push_back(tab);
    }
    content.header = r.callbacks("header");
    return content;
}

TEST(ChromeViews, ATabIsClickedDraggedAndCancelledWithEscape) {
    Recorder r;
    int minimized = 0, closed = 0;
    QWidget host;
    host.resize(600, 36);
    TabBarView bar(&host, twoTabs(r, &minimized, &closed), style());
    bar.resize(600, 36);
    host.show();
    TabButton* second = bar.header()->tabs().at(1);
    EXPECT_EQ(second->geometry().x(), int(4 + chrome::tabWidth(600, 2) + 4)) << "laid out after the first";

    press(second, {20, 10});
    EXPECT_TRUE(second->highlighted());
    release(second, {26, 10});  // 6 points: a click
    EXPECT_EQ(r.calls, (std::vector<std::string>{"second begin", "second stop", "second click"}));

    r.calls.clear();
    press(second, {20, 10});
    move(second, {60, 10});
    release(second, {60, 10});
    EXPECT_EQ(r.calls, (std::vector<std::string>{"second begin", "second update", "second stop", "second end"}));
    ASSERT_EQ(r.points.size(), 2u);
    const QPointF global = second->mapToGlobal(QPointF(60, 10));
    EXPECT_DOUBLE_EQ(r.points.back().x, global.x());
    EXPECT_DOUBLE_EQ(r.points.back().y, kPrimaryHeight - global.y()) << "bottom-left screen points";

    r.calls.clear();
    press(second, {20, 10});
    QTest::keyClick(second, Qt::Key_Escape);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"second begin", "second stop", "second cancel"}));
    release(second, {20, 10});
    EXPECT_EQ(r.calls.size(), 3u) << "a release after Escape is no press";
}

TEST(ChromeViews, HoverShowsTheGlyphsWhoseClicksNeverPressTheTab) {
    Recorder r;
    int minimized = 0, closed = 0;
    QWidget host;
    host.resize(600, 36);
    TabBarView bar(&host, twoTabs(r, &minimized, &closed), style());
    bar.resize(600, 36);
    host.show();
    TabButton* first = bar.header()->tabs().at(0);
    EXPECT_FALSE(first->glyphsShown());
    const double untouched = first->titleWidth();
    enter(first);
    ASSERT_TRUE(first->glyphsShown());
    EXPECT_DOUBLE_EQ(first->titleWidth(), untouched - chrome::glyphTrailingInset(first->height()));
    const double side = chrome::glyphSide(first->height());
    EXPECT_EQ(first->closeGlyph()->width(), int(side));

    hover(first, {40, 10});  // the user sees them now
    QTest::mouseClick(first->closeGlyph(), Qt::LeftButton);
    QTest::mouseClick(first->minimizeGlyph(), Qt::LeftButton);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(minimized, 1);
    EXPECT_TRUE(r.calls.empty()) << "the tab under the glyphs saw no press";
    // Released outside the glyph: nothing.
    press(first->closeGlyph(), {2, 2});
    release(first->closeGlyph(), {200, 2});
    EXPECT_EQ(closed, 1);
}

// A 948-point bar: tabs 260 points wide, their glyphs at the right end of each. Glyphs show
// only on the tab under the pointer, and a press that comes with the pointer's arrival (it
// lands where the glyphs appear at that moment) is a press on the tab, never a glyph's.
TEST(ChromeViews, GlyphsShowAndTakePressesOnlyOnTheTabThePointerMovedOver) {
    struct Case {
        const char* name;
        bool movedFirst;        // the pointer moved over the tab before pressing
        int minimized;          // what the press on the minimise glyph did
        std::vector<std::string> tabCalls;
    };
    for (const Case& c : {Case{"arrives and presses at once", false, 0, {"second begin", "second stop", "second click"}},
                          Case{"moves over the tab, then presses", true, 1, {}}}) {
        SCOPED_TRACE(c.name);
        Recorder r;
        int minimized = 0, closed = 0;
        QWidget host;
        host.resize(948, 36);
        TabBarContent content = twoTabs(r, &minimized, &closed);
        content.metrics = chrome::tabBarMetrics(948, 36, 2, 2);
        TabBarView bar(&host, content, style());
        bar.resize(948, 36);
        host.show();
        TabButton* first = bar.header()->tabs().at(0);
        TabButton* second = bar.header()->tabs().at(1);
        ASSERT_EQ(second->width(), 260);

        enter(first, {40, 10});
        hover(first, {60, 10});
        EXPECT_TRUE(first->glyphsShown());
        EXPECT_FALSE(second->glyphsShown()) << "only the tab under the pointer";
        leave(first);
        const QPoint onGlyph = second->minimizeGlyph()->geometry().center();
        enter(second, onGlyph);
        EXPECT_FALSE(first->glyphsShown());
        ASSERT_TRUE(second->glyphsShown());
        if (c.movedFirst) hover(second, onGlyph + QPoint(1, 0));
        QWidget* target = second->minimizeGlyph();
        ASSERT_TRUE(target->isVisible());
        press(target, {3, 3});
        release(target, {3, 3});
        EXPECT_EQ(minimized, c.minimized);
        EXPECT_EQ(r.calls, c.tabCalls);
        EXPECT_EQ(closed, 0);
    }
}

// On the real desktop the panels never have the keyboard: Escape pressed anywhere reaches the
// view that holds a press through the desktop's watch, which lives only as long as the press.
TEST(ChromeViews, EscapePressedAnywhereCancelsThePressOfATabOrTheHeader) {
    struct FakeEscape {
        std::function<void()> handler;
        std::weak_ptr<void> token;
        bool watching() const { return !token.expired(); }
    };
    struct Case {
        const char* who;
        bool onTab;
    };
    for (const Case& c : {Case{"first", true}, Case{"header", false}}) {
        SCOPED_TRACE(c.who);
        Recorder r;
        int minimized = 0, closed = 0;
        auto escape = std::make_shared<FakeEscape>();
        ChromeStyle withEscape = style();
        withEscape.watchEscape = [escape](std::function<void()> handler) {
            escape->handler = std::move(handler);
            auto token = std::make_shared<int>(0);
            escape->token = token;
            return std::shared_ptr<void>(token);
        };
        QWidget host;
        host.resize(800, 36);
        TabBarContent content = twoTabs(r, &minimized, &closed);
        content.metrics = chrome::tabBarMetrics(800, 36, 2, 2);
        TabBarView bar(&host, content, withEscape);
        bar.resize(800, 36);
        host.show();
        QWidget* view = c.onTab ? static_cast<QWidget*>(bar.header()->tabs().at(0)) : bar.header();
        const QPoint at = c.onTab ? QPoint(20, 10) : QPoint(bar.header()->width() - 20, bar.header()->height() / 2);
        EXPECT_FALSE(escape->watching());
        press(view, at);
        move(view, at + QPoint(0, 40));
        ASSERT_TRUE(escape->watching()) << "watched while the press lasts";
        escape->handler();
        const std::string who = c.who;
        EXPECT_EQ(r.calls, (std::vector<std::string>{who + " begin", who + " update", who + " stop", who + " cancel"}));
        EXPECT_FALSE(escape->watching()) << "no longer watched";
        release(view, at + QPoint(0, 40));
        EXPECT_EQ(r.calls.size(), 4u) << "the release after Escape drops nothing";

        r.calls.clear();
        press(view, at);
        release(view, at);
        EXPECT_FALSE(escape->watching()) << "a click ends the watch too";
    }
}

// One icon source for every view: the window's own icon at the size asked, then the desktop
// entry's, then the theme's, then one drawn generic icon (xlogo and xclock name none of the
// others); a window whose own icon changed is read again.
TEST(ChromeViews, EveryViewTakesAWindowsIconFromOneSourceInOneOrder) {
    std::map<std::uint32_t, QColor> own{{0x400001, Qt::red}};
    std::vector<std::pair<std::uint32_t, int>> asked;
    ApplicationIcons::setWindowIconLookup([&](std::uint32_t window, int side) {
        asked.emplace_back(window, side);
        const auto it = own.find(window);
        if (it == own.end()) return QImage();
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(it->second);
        return image;
    });
    ApplicationIcons::setEntryIconLookup([](const std::string&) { return std::string(); });
    const auto colourOf = [](const QIcon& icon) {
        return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
    };
    struct Case {
        const char* name;
        std::uint32_t window;
        QColor expected;  // invalid: the drawn generic icon
    };
    for (const Case& c : {Case{"its own icon", 0x400001, Qt::red}, Case{"no icon of its own (xlogo)", 0x400002, {}},
                          Case{"no window number", 0, {}}}) {
        SCOPED_TRACE(c.name);
        const QIcon icon =
            ApplicationIcons::icon(c.window, "XLogo", WindowIcon{"no-such-theme-icon-anywhere", false, {}}, 16);
        ASSERT_FALSE(icon.isNull());
        if (c.expected.isValid())
            EXPECT_EQ(colourOf(icon), c.expected);
        else
            EXPECT_EQ(icon.cacheKey(), ApplicationIcons::genericWindowIcon().cacheKey());
    }
    EXPECT_EQ(asked.size(), 2u) << "no window number: nothing asked";
    asked.clear();
    ApplicationIcons::icon(0x400001, "XLogo", {}, 16);
    EXPECT_TRUE(asked.empty()) << "kept";
    own[0x400001] = Qt::blue;
    ApplicationIcons::forgetWindow(0x400001);
    EXPECT_EQ(colourOf(ApplicationIcons::icon(0x400001, "XLogo", {}, 16)), QColor(Qt::blue)) << "read again";
    ApplicationIcons::icon(0x400001, "XLogo", {}, 48);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked.back(), std::make_pair(std::uint32_t(0x400001), 48)) << "the size the view draws";
    ApplicationIcons::setWindowIconLookup(nullptr);
}

TEST(ChromeViews, ThePressAfterTheLastTabBelongsToTheHeader) {
    Recorder r;
    int minimized = 0, closed = 0;
    QWidget host;
    host.resize(800, 36);
    TabBarContent content = twoTabs(r, &minimized, &closed);
    content.metrics = chrome::tabBarMetrics(800, 36, 2, 2);
    TabBarView bar(&host, content, style());
    bar.resize(800, 36);
    host.show();
    HeaderView* header = bar.header();
    const QPoint empty(header->width() - 20, header->height() / 2);
    ASSERT_EQ(header->childAt(empty), nullptr);
    press(header, empty);
    move(header, empty + QPoint(0, 30));
    release(header, empty + QPoint(0, 30));
    EXPECT_EQ(r.calls, (std::vector<std::string>{"header begin", "header update", "header stop", "header end"}));
}

TEST(ChromeViews, TheSeamHandleSendsFractionsOnlyDuringItsPress) {
    SeamContent content;
    content.seam = Seam{"split", SplitAxis::horizontal, Rect(496, 0, 8, 600), Rect(100, 0, 800, 600)};
    content.primaryHeight = kPrimaryHeight;
    std::vector<double> fractions;
    int begun = 0, ended = 0;
    content.begin = [&] { ++begun; };
    content.callback = [&](double f) { fractions.push_back(f); };
    content.end = [&] { ++ended; };
    QWidget host;
    host.setGeometry(0, 0, 8, 600);
    SeamView handle(&host, content, style());
    handle.resize(8, 600);
    host.show();

    release(&handle, {4, 300});
    EXPECT_EQ(ended, 0) << "a release without a press";
    press(&handle, {4, 300});
    EXPECT_TRUE(handle.dragging());
    const QPointF origin = handle.mapToGlobal(QPointF(0, 0));
    move(&handle, QPoint(int(500 - origin.x()), 300));
    release(&handle, QPoint(int(20 - origin.x()), 300));
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(ended, 1);
    ASSERT_EQ(fractions.size(), 2u);
    EXPECT_NEAR(fractions[0], 0.5, 1e-9);
    EXPECT_NEAR(fractions[1], -0.1, 1e-9) << "not clamped here";
}

MiniatureContent miniature(Recorder& r) {
    MiniatureContent content;
    content.identifier = "100:1:1";
    content.title = "Notes";
    content.press = r.callbacks("mini");
    return content;
}

TEST(ChromeViews, AMiniatureTileFollowsThePointerAndEscapePutsItBack) {
    Recorder r;
    QWidget host;
    host.setGeometry(0, 0, 300, 200);
    Rect frame(200, 100, 300, 200);
    std::vector<Rect> moves;
    ProxyTileView tile(
        &host, miniature(r), style(), [&] { return frame; },
        [&](const Rect& to) {
            moves.push_back(to);
            frame = to;
        });
    tile.resize(300, 200);
    host.show();

    press(&tile, {50, 50});
    move(&tile, {53, 50});
    EXPECT_TRUE(moves.empty()) << "within 6 points the panel stays";
    move(&tile, {90, 70});
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves.back(), Rect(240, 120, 300, 200)) << "moved with the pointer (down is down)";
    QTest::keyClick(&tile, Qt::Key_Escape);
    EXPECT_EQ(moves.back(), Rect(200, 100, 300, 200)) << "back at its frame";
    EXPECT_EQ(r.calls, (std::vector<std::string>{"mini begin", "mini update", "mini stop", "mini cancel"}));
}

TEST(ChromeViews, ADoubleClickOnlyMiniatureIgnoresASingleClick) {
    Recorder r;
    MiniatureContent content = miniature(r);
    content.requiresDoubleClick = true;
    QWidget host;
    ProxyTileView tile(&host, content, style(), nullptr, nullptr);
    tile.resize(300, 200);
    host.show();
    QTest::mouseClick(&tile, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "mini click"), 0);
    // A double click as the platform delivers it: press, release, double-click press, release.
    press(&tile, {10, 10});
    release(&tile, {10, 10});
    send(&tile, QEvent::MouseButtonDblClick, {10, 10});
    release(&tile, {10, 10});
    EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "mini click"), 1);
    r.calls.clear();
    EXPECT_TRUE(tile.accessibilityPress());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"mini click"}));
}

TEST(ChromeViews, AMiniatureDrawsItsPictureOrATintedPlaceholder) {
    Recorder r;
    QWidget host;
    ProxyTileView tile(&host, miniature(r), style(), nullptr, nullptr);
    tile.resize(300, 200);
    const QImage placeholder = tile.grab().toImage();
    const QColor top = placeholder.pixelColor(150, 12);
    EXPECT_LT(top.valueF(), 0.4f) << "a dark tint";

    MiniatureContent withPicture = miniature(r);
    WindowPicture picture;
    picture.width = 100;
    picture.height = 50;
    picture.pixels = std::make_shared<const std::vector<std::uint32_t>>(100 * 50, 0xffff0000u);
    withPicture.image = picture;
    tile.setContent(withPicture);
    const QImage drawn = tile.grab().toImage();
    const QColor middle = drawn.pixelColor(150, 100);
    EXPECT_GT(middle.red(), 200) << "the picture at its own size in the middle (s = 0.625: no veil)";
    EXPECT_LT(middle.green(), 40);
}

TEST(ChromeViews, WithoutACompositorPanelsAreCutToTheirOutline) {
    QWidget host;
    host.resize(600, 400);
    ChromePanel panel;
    panel.kind = ChromePanelKind::dropPreview;
    panel.label = "Make tabs";
    ASSERT_TRUE(ChromeViews::present(
        panel, &host, false, [] { return kPrimaryHeight; }, nullptr));
    const QRegion mask = host.mask();
    EXPECT_TRUE(mask.contains(QPoint(4, 200))) << "the frame";
    EXPECT_TRUE(mask.contains(QPoint(300, 200))) << "the label box";
    EXPECT_FALSE(mask.contains(QPoint(100, 100))) << "the middle is cut away";

    ChromePanel bar;
    bar.kind = ChromePanelKind::tabBar;
    bar.tabBar = TabBarContent{};
    bar.tabBar->metrics = chrome::tabBarMetrics(600, 36, 2, 0);
    host.resize(600, 36);
    ASSERT_TRUE(ChromeViews::present(
        bar, &host, false, [] { return kPrimaryHeight; }, nullptr));
    EXPECT_FALSE(host.mask().contains(QPoint(0, 0))) << "a rounded corner";
    EXPECT_TRUE(host.mask().contains(QPoint(300, 20)));
    EXPECT_FALSE(host.mask().contains(QPoint(300, 34))) << "4 points free above the window";

    ASSERT_TRUE(ChromeViews::present(
        bar, &host, true, [] { return kPrimaryHeight; }, nullptr));
    EXPECT_TRUE(host.mask().isEmpty()) << "translucent: nothing cut";
}

// Relative luminance of a colour and the contrast ratio of two, as readability is measured.
double luminance(QColor c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
double contrast(QColor a, QColor b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The drop preview drawn over a window of one colour, as the screen would show it.
QImage previewOver(QWidget& host, QColor window) {
    QImage image(host.size(), QImage::Format_ARGB32);
    image.fill(window);
    // Outside its mask the panel is no window at all.
    const QRegion shown = host.mask().isEmpty() ? QRegion(host.rect()) : host.mask();
    QImage drawn(host.size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    host.render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);
    QPainter over(&image);
    over.setClipRegion(shown);
    over.drawImage(0, 0, drawn);
    return image;
}

TEST(ChromeViews, TheDropLabelReadsOverWhiteAndBlackWindowsInBothForms) {
    struct Case {
        bool translucent;
        QColor window;
    };
    for (const Case& c : {Case{true, Qt::white}, Case{true, Qt::black}, Case{false, Qt::white},
                          Case{false, Qt::black}}) {
        SCOPED_TRACE(std::string(c.translucent ? "translucent over " : "opaque over ") +
                     c.window.name().toStdString());
        QWidget host;
        host.resize(600, 400);
        ChromePanel panel;
        panel.kind = ChromePanelKind::dropPreview;
        panel.label = "Split left";
        ASSERT_TRUE(ChromeViews::present(
            panel, &host, c.translucent, [] { return kPrimaryHeight; }, nullptr));
        const auto* view = host.findChild<DropPreviewView*>();
        ASSERT_TRUE(view);
        const QImage image = previewOver(host, c.window);
        // Label and the ground right behind it: the lightest and darkest pixels of the box.
        const QRect box = view->labelBox().adjusted(6, 6, -6, -6);
        ASSERT_FALSE(box.isEmpty());
        QColor lightest = Qt::black, darkest = Qt::white;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (luminance(pixel) > luminance(lightest)) lightest = pixel;
                if (luminance(pixel) < luminance(darkest)) darkest = pixel;
            }
        EXPECT_GE(contrast(lightest, darkest), 4.5)
            << lightest.name().toStdString() << " on " << darkest.name().toStdString();

        // Away from the frame and the label: the window, untouched or lightly tinted.
        const QColor inside = image.pixelColor(100, 100);
        if (c.translucent) {
            const QColor tint = ChromeStyle::accent();
            auto blend = [](int under, int over) { return 0.78 * under + 0.22 * over; };
            EXPECT_NEAR(inside.red(), blend(c.window.red(), tint.red()), 3) << inside.name().toStdString();
            EXPECT_NEAR(inside.green(), blend(c.window.green(), tint.green()), 3);
            EXPECT_NEAR(inside.blue(), blend(c.window.blue(), tint.blue()), 3);
        } else {
            EXPECT_EQ(inside, c.window) << "cut away: " << inside.name().toStdString();
        }
    }
}

TEST(ChromeViews, APanelIsDrawnForTheFormItsWindowHas) {
    ChromePanel panel;
    panel.kind = ChromePanelKind::dropPreview;
    panel.label = "Make tabs";
    for (const bool alpha : {false, true}) {
        QWidget host;
        host.setAttribute(Qt::WA_TranslucentBackground, alpha);
        host.resize(600, 400);
        ASSERT_TRUE(ChromeViews::present(
            panel, &host, [] { return kPrimaryHeight; }, nullptr));
        EXPECT_EQ(host.mask().isEmpty(), alpha) << (alpha ? "with an alpha channel nothing is cut"
                                                           : "opaque: cut to the frame and the label box");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
