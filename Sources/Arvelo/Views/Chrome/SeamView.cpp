// SPDX-License-Identifier: MIT
// SeamView.cpp: the seam handle's drawing and drag.
#include "Arvelo/Views/Chrome/SeamView.h"

#include <QMouseEvent>
#include <QPainter>

namespace arvelo::views {

namespace {
constexpr double kBarThickness = 3;
}

SeamView::SeamView(QWidget* parent, SeamContent content, ChromeStyle style)
    : QWidget(parent), content_(std::move(content)), style_(std::move(style)) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    // Children stacked top and bottom move up and down; side by side, left and right.
    setCursor(content_.seam.axis == SplitAxis::vertical ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

void SeamView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Nearly clear, but not fully, so the handle is there for the pointer; opaque without a
    // compositing manager, where alpha would show as black.
    p.fillRect(rect(), style_.translucent ? QColor(0, 0, 0, 1) : QColor(58, 60, 66));
    if (!hovered_ && !dragging_) return;
    const QRectF b = rect();
    const QRectF bar = content_.seam.axis == SplitAxis::vertical
                           ? QRectF(0, b.center().y() - kBarThickness / 2, b.width(), kBarThickness)
                           : QRectF(b.center().x() - kBarThickness / 2, 0, kBarThickness, b.height());
    p.setPen(Qt::NoPen);
    p.setBrush(ChromeStyle::accent());
    p.drawRoundedRect(bar, 1.5, 1.5);
}

void SeamView::enterEvent(QEnterEvent*) {
    hovered_ = true;
    update();
}

void SeamView::leaveEvent(QEvent*) {
    hovered_ = false;
    update();
}

void SeamView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    update();
    if (content_.begin) content_.begin();
}

void SeamView::step(QPointF global) {
    const double fraction = chrome::seamFraction(content_.seam, content_.primaryHeight, style_.screenPoint(global));
    if (content_.callback) content_.callback(fraction);
}

void SeamView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) step(event->globalPosition());
}

void SeamView::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    step(event->globalPosition());
    dragging_ = false;
    update();
    if (content_.end) content_.end();
}

}  // namespace arvelo::views
