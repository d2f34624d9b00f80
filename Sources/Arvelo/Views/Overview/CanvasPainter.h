// SPDX-License-Identifier: MIT
// CanvasPainter.h: draws the spatial canvas with QPainter: its rounded under-page background,
// the empty-state invitation, and every card (picture or placeholder, header and tab strip of
// a tab group, hover and drop outlines), plus the card being dragged under the pointer. It
// keeps the pictures converted and scaled per card, so a repaint that changes nothing in a
// card reuses its image. It answers where it drew the tab buttons, for the widget's clicks.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Overview/OverviewCards.h"
#include "Arvelo/Pictures/WindowPicture.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace arvelo::views {

struct CanvasLook {
    double cornerRadius = 16;
    std::string hoveredNode;
    std::string receivingNode;
    // The card being dragged and where the pointer is.
    std::optional<std::string> draggedNode;
    QPointF dragLocation;
};

struct TabButton {
    QRectF frame;
    std::string key;
};

class CanvasPainter {
public:
    static constexpr double kCardRadius = 10;
    static constexpr double kHeaderPadding = 5;
    static constexpr double kHeaderIcon = 16;
    static constexpr double kTabStripHeight = 34;
    static constexpr double kTabStripPadding = 6;
    static constexpr double kPlaceholderIcon = 54;

    // How a card's icon is found (the view's ApplicationIcons, or a stand-in in benchmarks).
    std::function<QIcon(const OverviewCard&)> iconOf;

    // Paints everything into `size`; `pictures` is the coordinator's picture cache.
    void paint(QPainter& painter, QSizeF size, const CanvasContent& content,
               const std::map<std::string, WindowPicture>& pictures, const CanvasLook& look);

    const std::vector<TabButton>& tabButtons() const { return tabButtons_; }
    // The picture of a key scaled to fit `area` with its aspect ratio kept and centred in it,
    // cut to the rounded outline of `roundedCard` unless that is null (cached per key).
    struct Placed {
        const QImage* image = nullptr;
        QPointF at;
    };
    Placed picture(const std::string& key, const WindowPicture& source, QRectF area, QRectF roundedCard);

private:
    void paintBackground(QPainter& painter, const QRectF& area, double radius);
    void paintEmpty(QPainter& painter, const QRectF& area);
    void paintCard(QPainter& painter, const OverviewCard& card, const std::map<std::string, WindowPicture>& pictures,
                   const CanvasLook& look);
    void paintHeader(QPainter& painter, const OverviewCard& card, const QRectF& row);
    void paintTabStrip(QPainter& painter, const OverviewCard& card, const QRectF& strip);
    void paintPlaceholder(QPainter& painter, const OverviewCard& card, const QRectF& area, bool hovered);

    struct Scaled {
        const void* pixels = nullptr;
        QSize size;
        QRectF corners;
        QImage image;
    };
    QHash<QString, Scaled> scaled_;
    std::vector<TabButton> tabButtons_;
};

// The canvas's fonts and colours (close to the desktop's own scale of text styles).
QFont canvasFont(double scale, int weight);
QColor underPageColor();
// The program's symbol, three grouped rectangles, drawn in `color` inside `box`.
void paintProgramSymbol(QPainter& painter, const QRectF& box, const QColor& color);

}  // namespace arvelo::views
