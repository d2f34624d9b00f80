// SPDX-License-Identifier: MIT
// ProxyTileView.cpp: the miniature tile's drawing and input.
#include "Arvelo/Views/Chrome/ProxyTileView.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Chrome/MiniaturePress.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPainterPath>

namespace arvelo::views {

namespace {
constexpr double kOutlineRadius = 7;
constexpr double kPicturePadding = 6;
constexpr double kMagnifyThreshold = 0.05;

// The picture's own pixels seen as an image, without a copy: 0xAARRGGBB words are what
// QImage's ARGB32 holds. The image keeps the shared pixels alive as long as it lives.
QImage toImage(const std::optional<WindowPicture>& picture) {
    if (!picture || picture->empty() ||
        picture->pixels->size() < static_cast<std::size_t>(picture->width) * picture->height)
        return {};
    auto* held = new std::shared_ptr<const std::vector<std::uint32_t>>(picture->pixels);
    return QImage(
        reinterpret_cast<const uchar*>((*held)->data()), picture->width, picture->height,
        static_cast<qsizetype>(picture->width) * 4, QImage::Format_ARGB32,
        [](void* pixels) { delete static_cast<std::shared_ptr<const std::vector<std::uint32_t>>*>(pixels); }, held);
}
}  // namespace

ProxyTileView::ProxyTileView(QWidget* parent, MiniatureContent content, ChromeStyle style,
                             std::function<Rect()> panelFrame, std::function<void(const Rect&)> movePanel)
    : QWidget(parent), style_(std::move(style)), panelFrame_(std::move(panelFrame)), movePanel_(std::move(movePanel)) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::OpenHandCursor);
    setToolTip(QString::fromUtf8(ChromeController::kMiniatureHelp));
    setAccessibleDescription(QString::fromUtf8(ChromeController::kMiniatureHelp));
    setContent(content);
}

void ProxyTileView::setContent(const MiniatureContent& content) {
    // The same picture and title look the same: nothing to draw again.
    const bool same = picture_.width() > 0 && content.image == content_.image && content.title == content_.title;
    content_ = content;
    if (same) return;
    setAccessibleName(QString::fromStdString(content_.title));
    picture_ = toImage(content_.image);
    update();
}

PressCallbacks ProxyTileView::clickGuarded() const {
    PressCallbacks callbacks = content_.press;
    // With `requiresDoubleClick`, only a press of two or more clicks opens the window.
    const bool needsDouble = content_.requiresDoubleClick && press_.clickCount() < 2;
    if (needsDouble) callbacks.callback = nullptr;
    callbacks.doubleClick = callbacks.callback;
    return callbacks;
}

bool ProxyTileView::accessibilityPress() { return arvelo::accessibilityPress(content_); }

void ProxyTileView::trace(const char* phase, QMouseEvent* event) {
    if (!content_.inputTrace) return;
    TraceEvent e;
    e.local = {event->position().x(), height() - event->position().y()};
    e.screen = style_.screenPoint(event->globalPosition());
    e.quartz = Point{event->globalPosition().x(), event->globalPosition().y()};
    content_.inputTrace(phase, e);
}

void ProxyTileView::mousePressEvent(QMouseEvent* event) {
    trace("mouseDown", event);
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    originalFrame_ = panelFrame_ ? std::optional(panelFrame_()) : std::nullopt;
    const int clicks = event->type() == QEvent::MouseButtonDblClick ? 2 : 1;
    press_.down(style_.screenPoint(event->globalPosition()), clicks, content_.press);
    if (press_.pressed()) escape_.begin(style_, this);
}

void ProxyTileView::mouseMoveEvent(QMouseEvent* event) {
    if (!press_.pressed()) return;
    trace("mouseDragged", event);
    if (!originalFrame_) return;
    const Point pointer = style_.screenPoint(event->globalPosition());
    const Point start = *press_.drag().start;
    PressCallbacks callbacks = content_.press;
    const Rect original = *originalFrame_;
    const auto update = callbacks.dragUpdate;
    // The panel follows the pointer (screen y grows downwards here, upwards in the points).
    callbacks.dragUpdate = [this, original, start, update](Point p) {
        if (movePanel_)
            movePanel_(
                Rect(original.x + (p.x - start.x), original.y - (p.y - start.y), original.width, original.height));
        if (update) update(p);
    };
    press_.dragged(pointer, callbacks);
}

void ProxyTileView::mouseReleaseEvent(QMouseEvent* event) {
    trace("mouseUp", event);
    if (!press_.pressed() || event->button() != Qt::LeftButton) return;
    originalFrame_.reset();
    escape_.end();
    press_.up(style_.screenPoint(event->globalPosition()), clickGuarded());
}

void ProxyTileView::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape || !press_.pressed()) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (originalFrame_ && movePanel_) movePanel_(*originalFrame_);
    originalFrame_.reset();
    escape_.end();
    press_.escape(content_.press);
}

bool ProxyTileView::event(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            if (gesture->value() > kMagnifyThreshold && content_.press.callback) content_.press.callback();
            if (gesture->value() < -kMagnifyThreshold && content_.zoomOut) content_.zoomOut();
            return true;
        }
    }
    return QWidget::event(event);
}

void ProxyTileView::enterEvent(QEnterEvent*) {
    hovered_ = true;
    update();
}

void ProxyTileView::leaveEvent(QEvent*) {
    hovered_ = false;
    update();
}

void ProxyTileView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF outlineRect = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(outlineRect, kOutlineRadius, kOutlineRadius);
    p.save();
    p.setClipPath(outline);

    // A stable dark tint from the title; the gradient runs from the top down.
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor::fromHsvF(chrome::placeholderHue(content_.title) / 360.0f, 0.28f, 0.28f));
    gradient.setColorAt(1, QColor::fromRgbF(0.1f, 0.1f, 0.1f));
    p.fillRect(rect(), gradient);

    const chrome::MiniatureLook look = chrome::miniatureLook(width(), height(), !picture_.isNull());
    if (!picture_.isNull()) {
        const Size fit = chrome::pictureFit({double(width()), double(height())},
                                            {double(picture_.width()), double(picture_.height())});
        const QRectF drawn((width() - fit.width) / 2, (height() - fit.height) / 2, fit.width, fit.height);
        const double f = picture_.width() > 0 ? fit.width / picture_.width() : 1;
        p.save();
        QPainterPath clip;
        clip.addRoundedRect(drawn, kPicturePadding * f + 2, kPicturePadding * f + 2);
        p.setClipPath(clip, Qt::IntersectClip);
        p.drawImage(drawn, picture_);
        p.restore();
        if (look.veilOpacity > 0) p.fillRect(rect(), QColor::fromRgbF(0.08f, 0.08f, 0.08f, float(look.veilOpacity)));
    }
    if (look.labelShown) {
        const double side = look.iconSide;
        p.setOpacity(look.labelOpacity);
        // Centre 8 points above the view's centre (y grows downwards here).
        const QRectF iconRect(width() / 2.0 - side / 2, height() / 2.0 - 8 - side / 2, side, side);
        ChromeStyle::icon(content_.windowNumber, content_.identity, content_.icon, iconRect.toRect().width())
            .paint(&p, iconRect.toRect());
        if (look.titleShown) {
            const Rect t = chrome::miniatureTitleRect(width(), height(), side);
            QFont font;
            font.setPixelSize(11);
            font.setWeight(QFont::Medium);
            p.setFont(font);
            p.setPen(ChromeStyle::label());
            const QRectF titleRect(t.x, height() - t.y - t.height, t.width, t.height);
            const QString title =
                QFontMetrics(font).elidedText(QString::fromStdString(content_.title), Qt::ElideRight, int(t.width));
            p.drawText(titleRect, Qt::AlignCenter | Qt::TextSingleLine, title);
        }
        p.setOpacity(1);
    }
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(hovered_ ? QPen(ChromeStyle::accent(), 2) : QPen(ChromeStyle::label(0.14), 1));
    p.drawPath(outline);
}

}  // namespace arvelo::views
