// SPDX-License-Identifier: MIT
// CanvasPainter.cpp: the canvas's drawing.
#include "Arvelo/Views/Overview/CanvasPainter.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace arvelo::views {

namespace {

constexpr double kPlaceholderSpacing = 8;
constexpr double kEmptySpacing = 12;
constexpr double kEmptyMessageWidth = 340;
constexpr double kEmptySymbol = 40;
constexpr double kTabButtonPadding = 8;
constexpr double kTabButtonHeight = 22;
constexpr double kTabButtonGap = 6;

QColor secondary() {
    QColor c = QApplication::palette().color(QPalette::WindowText);
    c.setAlphaF(0.55);
    return c;
}

QColor tertiary() {
    QColor c = QApplication::palette().color(QPalette::WindowText);
    c.setAlphaF(0.3);
    return c;
}

QColor accent() { return QApplication::palette().color(QPalette::Highlight); }

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void paintProgramSymbol(QPainter& painter, const QRectF& box, const QColor& color) {
    painter.save();
    painter.setPen(QPen(color, std::max(1.5, box.width() / 18)));
    painter.setBrush(Qt::NoBrush);
    const double w = box.width(), h = box.height() * 0.8, top = box.top() + box.height() * 0.1;
    painter.drawRoundedRect(QRectF(box.left(), top, w * 0.55, h), 3, 3);
    painter.drawRoundedRect(QRectF(box.left() + w * 0.62, top, w * 0.38, h * 0.45), 3, 3);
    painter.drawRoundedRect(QRectF(box.left() + w * 0.62, top + h * 0.55, w * 0.38, h * 0.45), 3, 3);
    painter.restore();
}

namespace {

// A screen on a stand: the desktop tile's symbol.
void paintDesktopSymbol(QPainter& painter, const QRectF& box, const QColor& color) {
    painter.save();
    painter.setPen(QPen(color, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(box.left(), box.top(), box.width(), box.height() * 0.7), 3, 3);
    painter.drawLine(QPointF(box.center().x(), box.top() + box.height() * 0.7),
                     QPointF(box.center().x(), box.bottom() - 2));
    painter.drawLine(QPointF(box.left() + box.width() * 0.3, box.bottom() - 1),
                     QPointF(box.right() - box.width() * 0.3, box.bottom() - 1));
    painter.restore();
}

// Qt's raster engine hands every antialiased fill of more than about a hundred scanlines to
// its thread pool, which costs more than the fill itself at these sizes. Rounded rectangles
// are therefore drawn as plain rectangles (filled directly) with only their corners
// antialiased, in opaque colours.
QRectF cornerBox(const QRectF& rect, double r, int corner) {
    const double x = corner % 2 == 0 ? rect.left() : rect.right() - 2 * r;
    const double y = corner < 2 ? rect.top() : rect.bottom() - 2 * r;
    return QRectF(x, y, 2 * r, 2 * r);
}

// The start angle of each corner's quarter: top left, top right, bottom left, bottom right.
constexpr double kCornerStart[4] = {90, 0, 180, 270};

void fillRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& color) {
    const double r = std::min({radius, rect.width() / 2, rect.height() / 2});
    painter.fillRect(rect.adjusted(r, 0, -r, 0), color);
    painter.fillRect(QRectF(rect.left(), rect.top() + r, r, rect.height() - 2 * r), color);
    painter.fillRect(QRectF(rect.right() - r, rect.top() + r, r, rect.height() - 2 * r), color);
    if (r <= 0) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int corner = 0; corner < 4; ++corner) {
        const QRectF box = cornerBox(rect, r, corner);
        QPainterPath quarter;
        quarter.moveTo(box.center());
        quarter.arcTo(box, kCornerStart[corner], 90);
        quarter.closeSubpath();
        painter.drawPath(quarter);
    }
}

void strokeRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& color, double width) {
    const double r = std::min({radius, rect.width() / 2, rect.height() / 2});
    painter.fillRect(QRectF(rect.left() + r, rect.top(), rect.width() - 2 * r, width), color);
    painter.fillRect(QRectF(rect.left() + r, rect.bottom() - width, rect.width() - 2 * r, width), color);
    painter.fillRect(QRectF(rect.left(), rect.top() + r, width, rect.height() - 2 * r), color);
    painter.fillRect(QRectF(rect.right() - width, rect.top() + r, width, rect.height() - 2 * r), color);
    if (r <= 0) return;
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    const double inset = width / 2;
    for (int corner = 0; corner < 4; ++corner) {
        const QRectF box = cornerBox(rect.adjusted(inset, inset, -inset, -inset), r - inset, corner);
        painter.drawArc(box, static_cast<int>(kCornerStart[corner] * 16), 90 * 16);
    }
}

// `over` seen through `alpha` of itself over `under`, as one opaque colour.
QColor mixed(const QColor& under, const QColor& over, double alpha) {
    return QColor::fromRgbF(under.redF() * (1 - alpha) + over.redF() * alpha,
                            under.greenF() * (1 - alpha) + over.greenF() * alpha,
                            under.blueF() * (1 - alpha) + over.blueF() * alpha);
}

}  // namespace

QFont canvasFont(double scale, int weight) {
    QFont font = QApplication::font();
    font.setPointSizeF(std::max(1.0, font.pointSizeF() * scale));
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

QColor underPageColor() { return QApplication::palette().color(QPalette::Window).darker(112); }

void CanvasPainter::paint(QPainter& painter, QSizeF size, const CanvasContent& content,
                          const std::map<std::string, WindowPicture>& pictures, const CanvasLook& look) {
    tabButtons_.clear();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), size);
    paintBackground(painter, area, look.cornerRadius);
    if (content.empty) {
        paintEmpty(painter, area);
        return;
    }
    const OverviewCard* dragged = nullptr;
    for (const OverviewCard& card : content.cards) {
        paintCard(painter, card, pictures, look);
        if (look.draggedNode == card.tile.nodeID) dragged = &card;
    }
    if (dragged) {
        // The dragged card follows the pointer, smaller and see-through.
        painter.save();
        painter.setOpacity(0.6);
        const double w = std::min(dragged->frame.width, 180.0), h = std::min(dragged->frame.height, 120.0);
        painter.translate(look.dragLocation - QPointF(w / 2, h / 2));
        OverviewCard ghost = *dragged;
        ghost.frame = Rect(0, 0, w, h);
        ghost.grouped = false;
        paintCard(painter, ghost, pictures, CanvasLook{});
        painter.restore();
    }
}

void CanvasPainter::paintBackground(QPainter& painter, const QRectF& area, double radius) {
    fillRounded(painter, area, radius, underPageColor());
}

void CanvasPainter::paintEmpty(QPainter& painter, const QRectF& area) {
    const QFont titleFont = canvasFont(1.25, QFont::Medium);
    const QFont messageFont = canvasFont(0.95, QFont::Normal);
    const QString title = QString::fromUtf8(OverviewCards::kEmptyTitle);
    const QString message = QString::fromUtf8(OverviewCards::kEmptyMessage);
    const double width = std::min(kEmptyMessageWidth, area.width());
    const QRectF messageBounds =
        QFontMetricsF(messageFont)
            .boundingRect(QRectF(0, 0, width, 1000), Qt::AlignHCenter | Qt::TextWordWrap, message);
    const double titleHeight = QFontMetricsF(titleFont).height();
    const double total = kEmptySymbol + kEmptySpacing + titleHeight + kEmptySpacing + messageBounds.height();
    double y = area.center().y() - total / 2;
    paintProgramSymbol(painter, QRectF(area.center().x() - kEmptySymbol / 2, y, kEmptySymbol, kEmptySymbol),
                       tertiary());
    y += kEmptySymbol + kEmptySpacing;
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    painter.setFont(titleFont);
    painter.drawText(QRectF(area.left(), y, area.width(), titleHeight), Qt::AlignHCenter, title);
    y += titleHeight + kEmptySpacing;
    painter.setPen(secondary());
    painter.setFont(messageFont);
    painter.drawText(QRectF(area.center().x() - width / 2, y, width, messageBounds.height()),
                     Qt::AlignHCenter | Qt::TextWordWrap, message);
}

void CanvasPainter::paintCard(QPainter& painter, const OverviewCard& card,
                              const std::map<std::string, WindowPicture>& pictures, const CanvasLook& look) {
    const QRectF frame(card.frame.x, card.frame.y, card.frame.width, card.frame.height);
    const bool hovered = look.hoveredNode == card.tile.nodeID;
    const bool receiving = look.receivingNode == card.tile.nodeID;
    fillRounded(painter, frame, kCardRadius, QApplication::palette().color(QPalette::Window));

    QRectF pictureArea = frame;
    if (card.grouped) {
        // Only the header and the strip reach the rounded corners: they alone are clipped.
        QPainterPath shape;
        shape.addRoundedRect(frame, kCardRadius, kCardRadius);
        painter.save();
        painter.setClipPath(shape);
        const double headerHeight = kHeaderIcon + 2 * kHeaderPadding;
        paintHeader(painter, card, QRectF(frame.left(), frame.top(), frame.width(), headerHeight));
        const double stripHeight = std::min(kTabStripHeight, std::max(0.0, frame.height() - headerHeight));
        paintTabStrip(painter, card, QRectF(frame.left(), frame.bottom() - stripHeight, frame.width(), stripHeight));
        pictureArea = QRectF(frame.left(), frame.top() + headerHeight, frame.width(),
                             std::max(0.0, frame.height() - headerHeight - stripHeight));
        painter.restore();
    }
    const auto picture = card.hasPicture ? pictures.find(card.tile.selected) : pictures.end();
    const Placed placed =
        picture != pictures.end() && !picture->second.empty()
            ? this->picture(card.tile.selected, picture->second, pictureArea, card.grouped ? QRectF() : frame)
            : Placed{};
    if (placed.image)
        painter.drawImage(placed.at, *placed.image);
    else
        paintPlaceholder(painter, card, pictureArea, hovered);

    if (receiving || hovered) {
        strokeRounded(painter, frame, kCardRadius, accent(), 2);
    } else {
        const QPalette palette = QApplication::palette();
        strokeRounded(painter, frame, kCardRadius, mixed(underPageColor(), palette.color(QPalette::WindowText), 0.12),
                      1);
    }
}

void CanvasPainter::paintHeader(QPainter& painter, const OverviewCard& card, const QRectF& row) {
    painter.fillRect(row, QApplication::palette().color(QPalette::Base));
    double x = row.left() + kHeaderPadding;
    if (card.hasRecord && iconOf) {
        iconOf(card).paint(&painter, QRectF(x, row.top() + kHeaderPadding, kHeaderIcon, kHeaderIcon).toRect());
        x += kHeaderIcon + 7;
    }
    const QFont countFont = canvasFont(0.8, QFont::Normal);
    const QString count = QString::number(card.tile.windows.size());
    const double countWidth = QFontMetricsF(countFont).horizontalAdvance(count);
    const QRectF countBox(row.right() - kHeaderPadding - countWidth, row.top(), countWidth, row.height());
    painter.setFont(countFont);
    painter.setPen(secondary());
    painter.drawText(countBox, Qt::AlignVCenter | Qt::AlignRight, count);

    const QFont titleFont = canvasFont(0.85, QFont::Medium);
    const double titleWidth = std::max(0.0, countBox.left() - 7 - x);
    painter.setFont(titleFont);
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    painter.drawText(QRectF(x, row.top(), titleWidth, row.height()), Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetricsF(titleFont).elidedText(text(card.title), Qt::ElideRight, titleWidth));
}

void CanvasPainter::paintTabStrip(QPainter& painter, const OverviewCard& card, const QRectF& strip) {
    if (strip.height() <= 0) return;
    const QFont font = canvasFont(0.8, QFont::Normal);
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    double x = strip.left() + kTabStripPadding;
    const double height = std::min(kTabButtonHeight, strip.height());
    const double y = strip.center().y() - height / 2;
    for (std::size_t i = 0; i < card.tile.windows.size() && i < card.tabNames.size(); ++i) {
        if (x >= strip.right()) break;  // the rest scrolls out of sight
        const QString name = metrics.elidedText(text(card.tabNames[i]), Qt::ElideRight, 140);
        const QRectF button(x, y, metrics.horizontalAdvance(name) + 2 * kTabButtonPadding, height);
        const bool shown = card.tile.windows[i] == card.tile.selected;
        painter.setPen(QColor(0, 0, 0, 40));
        painter.setBrush(shown ? QApplication::palette().color(QPalette::Base)
                               : QApplication::palette().color(QPalette::Button));
        painter.drawRoundedRect(button, 5, 5);
        painter.setPen(QApplication::palette().color(QPalette::ButtonText));
        painter.drawText(button, Qt::AlignCenter, name);
        tabButtons_.push_back({button.intersected(strip), card.tile.windows[i]});
        x = button.right() + kTabButtonGap;
    }
}

void CanvasPainter::paintPlaceholder(QPainter& painter, const OverviewCard& card, const QRectF& area, bool hovered) {
    const QFont nameFont = canvasFont(0.95, QFont::Medium);
    const QFont hintFont = canvasFont(0.85, QFont::Normal);
    const double iconSide = std::min({kPlaceholderIcon, area.width() - 8, area.height() / 2});
    const bool showIcon = card.desktop || card.hasRecord;
    const double nameHeight = QFontMetricsF(nameFont).height();
    const double hintHeight = hovered ? QFontMetricsF(hintFont).height() : 0;
    double total = nameHeight;
    if (showIcon && iconSide > 0) total += iconSide + kPlaceholderSpacing;
    if (hovered) total += hintHeight + kPlaceholderSpacing;
    double y = area.center().y() - total / 2;
    if (showIcon && iconSide > 0) {
        const QRectF box(area.center().x() - iconSide / 2, y, iconSide, iconSide);
        if (card.desktop) {
            const double side = std::min(32.0, iconSide);
            paintDesktopSymbol(painter, QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side),
                               secondary());
        } else if (iconOf) {
            iconOf(card).paint(&painter, box.toRect());
        }
        y += iconSide + kPlaceholderSpacing;
    }
    painter.setFont(nameFont);
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    const double width = std::max(0.0, area.width() - 12);
    painter.drawText(QRectF(area.center().x() - width / 2, y, width, nameHeight), Qt::AlignHCenter,
                     QFontMetricsF(nameFont).elidedText(text(card.appName), Qt::ElideRight, width));
    if (hovered) {
        y += nameHeight + kPlaceholderSpacing;
        painter.setFont(hintFont);
        painter.setPen(secondary());
        painter.drawText(QRectF(area.left(), y, area.width(), hintHeight), Qt::AlignHCenter,
                         QString::fromUtf8(OverviewCards::kHoverHint));
    }
}

CanvasPainter::Placed CanvasPainter::picture(const std::string& key, const WindowPicture& source, QRectF area,
                                             QRectF roundedCard) {
    if (area.width() < 1 || area.height() < 1) return {};
    // A picture with fewer pixels than its size says is not drawn.
    if (source.pixels->size() < static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height))
        return {};
    const QSize target =
        QSizeF(source.width, source.height).scaled(area.size(), Qt::KeepAspectRatio).toSize().expandedTo(QSize(1, 1));
    const QPointF at(std::round(area.center().x() - target.width() / 2.0),
                     std::round(area.center().y() - target.height() / 2.0));
    // The card's outline in the picture's own coordinates: its rounded corners are cut out of
    // the cached picture once, so a repaint draws it without clipping.
    const QRectF corners = roundedCard.isNull() ? QRectF() : roundedCard.translated(-at);
    Scaled& entry = scaled_[QString::fromStdString(key)];
    if (entry.pixels != source.pixels.get() || entry.size != target || entry.corners != corners) {
        const QImage whole(reinterpret_cast<const uchar*>(source.pixels->data()), source.width, source.height,
                           source.width * 4, QImage::Format_ARGB32);
        QImage scaled = whole.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (!corners.isNull()) {
            QImage cut(target, QImage::Format_ARGB32_Premultiplied);
            cut.fill(Qt::transparent);
            QPainter painter(&cut);
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath shape;
            shape.addRoundedRect(corners, kCardRadius, kCardRadius);
            painter.setClipPath(shape);
            painter.drawImage(0, 0, scaled);
            painter.end();
            scaled = cut;
        }
        entry.image = scaled;
        entry.pixels = source.pixels.get();
        entry.size = target;
        entry.corners = corners;
    }
    return {&entry.image, at};
}

}  // namespace arvelo::views
