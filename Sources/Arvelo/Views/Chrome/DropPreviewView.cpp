// SPDX-License-Identifier: MIT
// DropPreviewView.cpp: the drop preview's drawing.
#include "Arvelo/Views/Chrome/DropPreviewView.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace arvelo::views {

namespace {
constexpr double kInset = 2;
constexpr double kRadius = 10;
constexpr double kLine = 3;
constexpr int kFrameWidth = 6;  // the outline frame without a compositing manager

QFont labelFont() {
    QFont font;
    font.setPixelSize(16);
    font.setBold(true);
    return font;
}

QRect labelRect(QSize size) { return QRect(4, size.height() / 2 - 12, size.width() - 8, 24); }

}  // namespace

QRect labelBox(QSize size, const QString& label) {
    if (label.isEmpty()) return {};
    const int textWidth = QFontMetrics(labelFont()).horizontalAdvance(label);
    const QRect line = labelRect(size);
    const int width = std::min(textWidth + 24, size.width());
    return QRect(line.center().x() - width / 2, line.y() - 4, width, line.height() + 8);
}

namespace {

QRegion rounded(const QRect& r, int radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}
}  // namespace

DropPreviewView::DropPreviewView(QWidget* parent, std::string label, ChromeStyle style)
    : QWidget(parent), label_(std::move(label)), style_(std::move(style)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QRegion DropPreviewView::outline(QSize size, const QString& label) {
    const QRect outer = QRect(QPoint(0, 0), size).adjusted(kInset, kInset, -kInset, -kInset);
    QRegion ring =
        rounded(outer, kRadius)
            .subtracted(rounded(outer.adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth), kRadius - 4));
    const QRect box = views::labelBox(size, label);
    return box.isEmpty() ? ring : ring.united(rounded(box, 8));
}

QRect DropPreviewView::labelBox() const { return views::labelBox(size(), QString::fromStdString(label_)); }

void DropPreviewView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QString text = QString::fromStdString(label_);
    const QRectF outer = QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset);
    if (style_.translucent) {
        // A light tint: the tile under it stays in sight.
        p.setPen(QPen(ChromeStyle::accent(), kLine));
        p.setBrush(ChromeStyle::accent(0.22));
        p.drawRoundedRect(outer.adjusted(kLine / 2, kLine / 2, -kLine / 2, -kLine / 2), kRadius, kRadius);
    } else {
        // Opaque: the frame and the label box are all that is left of the panel.
        p.fillRect(rect(), ChromeStyle::accent());
    }
    if (text.isEmpty()) return;
    // The label on a box of its own in both forms, so it reads over a white or a black window
    // alike (white on the box: a contrast ratio of about 11 to 1).
    p.setPen(Qt::NoPen);
    p.setBrush(labelBoxColour());
    p.drawRoundedRect(labelBox(), 8, 8);
    p.setFont(labelFont());
    p.setPen(ChromeStyle::label());
    p.drawText(labelRect(size()), Qt::AlignCenter | Qt::TextSingleLine, text);
}

}  // namespace arvelo::views
