// SPDX-License-Identifier: MIT
// PreviewStreamView.cpp: painting the latest frame and the border, the border as an overlay, and
// reporting the pointer.
#include "TenvikKit/Views/Pins/PreviewStreamView.h"

#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QWheelEvent>

#include <memory>
#include <vector>

namespace tenvik::views {

namespace {
// The frame's pixels stay owned by the frame: the image only borrows them and keeps the
// frame's share alive until the image itself goes.
void releasePixels(void* share) { delete static_cast<std::shared_ptr<const std::vector<std::uint32_t>>*>(share); }
}  // namespace

PreviewStreamView::PreviewStreamView(QWidget* parent, bool translucent) : QWidget(parent), translucent_(translucent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, !translucent_);
    setAutoFillBackground(false);
}

void PreviewStreamView::showFrame(const platform::CapturedImage& frame) {
    if (frame.empty()) return;
    const auto needed = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
    if (frame.pixels->size() < needed) return;  // a frame shorter than its size says is not shown
    auto* share = new std::shared_ptr<const std::vector<std::uint32_t>>(frame.pixels);
    // Captured windows are opaque: the alpha byte is not looked at, which also lets the
    // painter draw the pixels as they are, without converting them first.
    picture_ = QImage(reinterpret_cast<const uchar*>(frame.pixels->data()), frame.width, frame.height, frame.width * 4,
                      QImage::Format_RGB32, releasePixels, share);
    update();
}

void PreviewStreamView::clearPicture() {
    picture_ = QImage();
    update();
}

void PreviewStreamView::setPictureOpacity(double opacity) {
    if (opacity == opacity_) return;
    opacity_ = opacity;
    update();
    if (onAppearanceChanged) onAppearanceChanged();
}

void PreviewStreamView::setBorderVisible(bool visible) {
    if (visible == borderVisible_) return;
    borderVisible_ = visible;
    appearanceChanged();
}

void PreviewStreamView::appearanceChanged() {
    overlayCurrent_ = false;
    update();
    if (onAppearanceChanged) onAppearanceChanged();
}

platform::CapturedImage PreviewStreamView::borderOverlay() {
    // A hidden widget hears of its new size only when shown: the size is looked at here too.
    const bool sameSize = !borderVisible_ || (overlay_.width == width() && overlay_.height == height());
    if (overlayCurrent_ && sameSize) return overlay_;
    overlayCurrent_ = true;
    overlay_ = {};
    if (!borderVisible_ || width() <= 0 || height() <= 0) return overlay_;
    auto pixels = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(width()) * height(), 0u);
    QImage image(reinterpret_cast<uchar*>(pixels->data()), width(), height(), width() * 4,
                 QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        paintBorder(painter);
    }
    overlay_ = {width(), height(), std::move(pixels)};
    return overlay_;
}

void PreviewStreamView::paintBorder(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight));
    pen.setWidthF(kBorderWidth);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QRectF inset = QRectF(rect()).adjusted(kBorderInset, kBorderInset, -kBorderInset, -kBorderInset);
    painter.drawRoundedRect(inset, kCornerRadius, kCornerRadius);
}

void PreviewStreamView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (translucent_) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else if (picture_.isNull()) {
        // Nothing shows through an opaque panel: until the first frame, a plain surface.
        painter.fillRect(rect(), palette().color(QPalette::Window));
    }
    if (!picture_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // Without a compositing manager a faded picture would only darken: it is drawn opaque.
        painter.setOpacity(translucent_ ? opacity_ : 1.0);
        painter.drawImage(QRectF(rect()), picture_);
        painter.setOpacity(1.0);
    }
    if (borderVisible_) paintBorder(painter);
}

void PreviewStreamView::hover() {
    if (onHoverInside) onHoverInside();
}

void PreviewStreamView::mouse() {
    if (onMouseEvent) onMouseEvent();
}

void PreviewStreamView::enterEvent(QEnterEvent* event) {
    event->accept();
    hover();
}

void PreviewStreamView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    // A move with a button held is a drag; without one the pointer rests on the picture.
    if (event->buttons() == Qt::NoButton)
        hover();
    else
        mouse();
}

void PreviewStreamView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    hover();
    mouse();
}

void PreviewStreamView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt reports the second press of a double click here: it is a press like the first.
    mousePressEvent(event);
}

void PreviewStreamView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    mouse();
}

void PreviewStreamView::wheelEvent(QWheelEvent* event) {
    event->accept();
    hover();
    if (onScrollEvent) onScrollEvent();
}

void PreviewStreamView::changeEvent(QEvent* event) {
    // The border follows a new palette (a changed accent or theme).
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) appearanceChanged();
    QWidget::changeEvent(event);
}

void PreviewStreamView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    appearanceChanged();
}

}  // namespace tenvik::views
