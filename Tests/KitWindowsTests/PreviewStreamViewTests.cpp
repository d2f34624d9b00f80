// SPDX-License-Identifier: MIT
// PreviewStreamViewTests.cpp: a pin's preview view rendered offscreen: the frame stretched over
// the whole view, the border in the palette's highlight colour (and none when it is off), the
// picture faded only where the panel is translucent, a frame shorter than its size ignored;
// the border as an overlay for a picture the X server draws (in the band along the edges,
// transparent inside, redrawn and announced on a resize, gone when the border is off); which
// pointer events count as hover, as a button event and as a scroll.
#include "TenvikKit/Views/Pins/PreviewStreamView.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tenvik::views {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

// Two pixels side by side: red on the left, blue on the right.
platform::CapturedImage twoPixels() {
    return {2, 1, std::make_shared<const std::vector<std::uint32_t>>(std::vector{kRed, kBlue})};
}

// What the view paints, over nothing (a translucent panel shows what is under it).
QImage rendered(PreviewStreamView& view) {
    view.resize(200, 100);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, {}, {}, QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

TEST(PreviewStreamView, TheFrameIsStretchedUnderABorderInTheHighlightColour) {
    PreviewStreamView view(nullptr, false);
    QPalette palette = view.palette();
    palette.setColor(QPalette::Highlight, QColor(0, 200, 0));
    view.setPalette(palette);
    view.showFrame(twoPixels());
    const QImage image = rendered(view);
    EXPECT_EQ(image.pixel(40, 50), kRed);
    EXPECT_EQ(image.pixel(160, 50), kBlue);
    // The border runs 1 point in from the edge, 1.5 points wide (smoothed over the picture).
    const QColor border(image.pixel(40, 1));
    EXPECT_GT(border.green(), border.red()) << border.name().toStdString();

    view.setBorderVisible(false);
    EXPECT_EQ(rendered(view).pixel(40, 1), kRed);
}

TEST(PreviewStreamView, ThePictureFadesOnlyOnATranslucentPanel) {
    for (const bool translucent : {false, true}) {
        SCOPED_TRACE(translucent);
        PreviewStreamView view(nullptr, translucent);
        view.setBorderVisible(false);
        view.setPictureOpacity(0.5);
        view.showFrame(twoPixels());
        const int alpha = qAlpha(rendered(view).pixel(40, 50));
        if (translucent)
            EXPECT_NEAR(alpha, 128, 2);
        else
            EXPECT_EQ(alpha, 255);
    }
}

TEST(PreviewStreamView, TheBorderOverlayLiesInTheEdgeBandAndFollowsSizeAndSwitch) {
    PreviewStreamView view(nullptr, true);
    QPalette palette = view.palette();
    palette.setColor(QPalette::Highlight, QColor(0, 200, 0));
    view.setPalette(palette);
    view.resize(200, 100);
    view.show();
    int announced = 0;
    view.onAppearanceChanged = [&] { ++announced; };

    const platform::CapturedImage overlay = view.borderOverlay();
    ASSERT_EQ(overlay.width, 200);
    ASSERT_EQ(overlay.height, 100);
    // Green on the border line (smoothed over two pixels), fully transparent inside the band.
    EXPECT_GT(qAlpha(overlay.pixel(100, 1)), 100);
    EXPECT_GT(qGreen(overlay.pixel(100, 1)), 100);
    EXPECT_EQ(qRed(overlay.pixel(100, 1)), 0);
    for (const auto& [x, y] :
         {std::pair{100, 50}, {PreviewStreamView::kBorderBand, 50}, {100, 100 - 1 - PreviewStreamView::kBorderBand}})
        EXPECT_EQ(overlay.pixel(x, y), 0u) << x << "," << y;
    // Every drawn pixel lies in the band.
    for (int y = PreviewStreamView::kBorderBand; y < 100 - PreviewStreamView::kBorderBand; ++y)
        for (int x = PreviewStreamView::kBorderBand; x < 200 - PreviewStreamView::kBorderBand; ++x)
            ASSERT_EQ(overlay.pixel(x, y), 0u) << x << "," << y;
    EXPECT_EQ(view.borderOverlay().pixels, overlay.pixels) << "redrawn without a change";

    view.resize(300, 120);
    EXPECT_GE(announced, 1);
    EXPECT_EQ(view.borderOverlay().width, 300);
    EXPECT_GT(qAlpha(view.borderOverlay().pixel(299, 60)), 100) << "the right edge moved with the size";

    announced = 0;
    view.setBorderVisible(false);
    EXPECT_EQ(announced, 1);
    EXPECT_TRUE(view.borderOverlay().empty());
    view.setPictureOpacity(0.4);
    EXPECT_EQ(announced, 2);
}

TEST(PreviewStreamView, AFrameShorterThanItsSizeIsNotShown) {
    PreviewStreamView view(nullptr, false);
    view.showFrame({4, 4, std::make_shared<const std::vector<std::uint32_t>>(3, kRed)});
    EXPECT_FALSE(view.hasPicture());
    view.showFrame(twoPixels());
    EXPECT_TRUE(view.hasPicture());
    view.clearPicture();
    EXPECT_FALSE(view.hasPicture());
}

TEST(PreviewStreamView, PointerEventsAreReportedAsHoverButtonOrScroll) {
    PreviewStreamView view(nullptr, false);
    view.resize(200, 100);
    std::string reported;
    view.onHoverInside = [&] { reported += "h"; };
    view.onMouseEvent = [&] { reported += "m"; };
    view.onScrollEvent = [&] { reported += "s"; };
    view.show();
    QTest::mouseMove(&view, QPoint(10, 10));
    EXPECT_EQ(reported.substr(0, 1), "h") << "entering is hover";

    struct Case {
        const char* name;
        std::function<void()> act;
        std::string expected;
    };
    const QPoint at(50, 50);
    const Case cases[] = {
        {"move",
         [&] {
             QMouseEvent move(QEvent::MouseMove, QPointF(at), view.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                              Qt::NoModifier);
             QApplication::sendEvent(&view, &move);
         },
         "h"},
        {"left press", [&] { QTest::mousePress(&view, Qt::LeftButton, {}, at); }, "hm"},
        {"left release", [&] { QTest::mouseRelease(&view, Qt::LeftButton, {}, at); }, "m"},
        {"right press", [&] { QTest::mousePress(&view, Qt::RightButton, {}, at); }, "hm"},
        {"right release", [&] { QTest::mouseRelease(&view, Qt::RightButton, {}, at); }, "m"},
        {"middle press", [&] { QTest::mousePress(&view, Qt::MiddleButton, {}, at); }, "hm"},
        {"middle release", [&] { QTest::mouseRelease(&view, Qt::MiddleButton, {}, at); }, "m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reported.clear();
        c.act();
        EXPECT_EQ(reported, c.expected);
    }

    reported.clear();
    QWheelEvent wheel(QPointF(at), view.mapToGlobal(QPointF(at)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    EXPECT_EQ(reported, "hs");

    // A move with a button held is a drag: a button event, not hover.
    reported.clear();
    QMouseEvent drag(QEvent::MouseMove, QPointF(at), view.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&view, &drag);
    EXPECT_EQ(reported, "m");
}

}  // namespace
}  // namespace tenvik::views
