// SPDX-License-Identifier: MIT
// SpatialCanvasWidget.cpp: the canvas's observation, painting and pointer input.
#include "Arvelo/Views/Overview/SpatialCanvasWidget.h"

#include "Arvelo/Views/Overview/ApplicationIcons.h"

#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QTimer>

namespace arvelo::views {

namespace {

Point pointOf(QPointF p) { return {p.x(), p.y()}; }

}  // namespace

SpatialCanvasWidget::SpatialCanvasWidget(std::shared_ptr<DashboardHost> arranger, double cornerRadius, QWidget* parent)
    : QWidget(parent), arranger_(arranger) {
    look_.cornerRadius = cornerRadius;
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAccessibleName(QStringLiteral("Spatial canvas"));
    const std::weak_ptr<DashboardHost> weak = arranger;
    painter_.iconOf = [weak](const OverviewCard& card) {
        if (auto self = weak.lock())
            if (const auto record = self->record(card.tile.selected)) return ApplicationIcons::icon(*record);
        return ApplicationIcons::genericWindowIcon();
    };
    subscription_ = arranger->model().onChange.subscribe([this] { modelChanged(); });
    reload(true);
}

SpatialCanvasWidget::~SpatialCanvasWidget() {
    if (auto arranger = arranger_.lock()) arranger->model().onChange.unsubscribe(subscription_);
}

void SpatialCanvasWidget::modelChanged() {
    if (reloadPending_) return;
    reloadPending_ = true;
    QTimer::singleShot(0, this, [this] {
        reloadPending_ = false;
        if (isVisible()) reload(false);
    });
}

void SpatialCanvasWidget::showEvent(QShowEvent* event) {
    reload(false);
    QWidget::showEvent(event);
}

void SpatialCanvasWidget::reload(bool force) {
    auto arranger = arranger_.lock();
    if (!arranger) return;
    CanvasContent content = OverviewCards::content(*arranger, {double(width()), double(height())});
    std::vector<const void*> identities;
    const auto& pictures = arranger->model().previewImages.get();
    for (const OverviewCard& card : content.cards) {
        const auto it = card.hasPicture ? pictures.find(card.tile.selected) : pictures.end();
        identities.push_back(it == pictures.end() ? nullptr : it->second.pixels.get());
    }
    // The dragged window left the window table: the drag ends here, docking nothing.
    if (drag_.pressed() && !drag_.key().empty() && !arranger->record(drag_.key())) {
        drag_.cancel();
        CanvasLook look = look_;
        look.draggedNode.reset();
        look.receivingNode.clear();
        look_ = look;
        force = true;
    }
    if (!force && content == content_ && identities == pictureIdentities_) return;
    content_ = std::move(content);
    pictureIdentities_ = std::move(identities);
    update();
}

void SpatialCanvasWidget::paintEvent(QPaintEvent*) {
    ++paints_;
    QPainter painter(this);
    auto arranger = arranger_.lock();
    static const std::map<std::string, WindowPicture> none;
    painter_.paint(painter, size(), content_, arranger ? arranger->model().previewImages.get() : none, look_);
}

void SpatialCanvasWidget::resizeEvent(QResizeEvent*) { reload(true); }

void SpatialCanvasWidget::setLook(const CanvasLook& look) {
    const bool changed = look.hoveredNode != look_.hoveredNode || look.receivingNode != look_.receivingNode ||
                         look.draggedNode != look_.draggedNode || look.dragLocation != look_.dragLocation;
    look_ = look;
    if (changed) update();
}

void SpatialCanvasWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const OverviewCard* card = OverviewCards::cardAt(content_, pointOf(event->position()));
    if (!card) return;
    drag_.press(card->tile.nodeID, card->desktop ? std::string() : card->tile.selected, pointOf(event->position()));
}

void SpatialCanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    const Point at = pointOf(event->position());
    CanvasLook look = look_;
    drag_.move(at);
    const OverviewCard* under = OverviewCards::cardAt(content_, at);
    if (drag_.dragging()) {
        look.hoveredNode.clear();
        look.draggedNode = drag_.nodeID();
        look.dragLocation = event->position();
        look.receivingNode = under ? under->tile.nodeID : std::string();
    } else {
        look.hoveredNode = under ? under->tile.nodeID : std::string();
    }
    setLook(look);
}

void SpatialCanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !drag_.pressed()) return;
    const Point at = pointOf(event->position());
    const bool wasDragging = drag_.dragging();
    const std::string pressedNode = drag_.nodeID();
    const auto dock = drag_.release(at, content_);
    CanvasLook look = look_;
    look.draggedNode.reset();
    look.receivingNode.clear();
    setLook(look);

    auto arranger = arranger_.lock();
    if (!arranger) return;
    if (dock) {
        // The display named is the one selected at the drop; an unknown window docks nothing.
        const std::string displayID = arranger->model().selectedDisplay.get();
        if (arranger->record(dock->key)) arranger->dock(dock->key, dock->target, displayID, dock->edge);
        return;
    }
    if (wasDragging) return;
    for (const TabButton& button : painter_.tabButtons()) {
        if (!button.frame.contains(event->position())) continue;
        arranger->focus(button.key);
        return;
    }
    const OverviewCard* card = OverviewCards::cardAt(content_, at);
    if (card && card->tile.nodeID == pressedNode) click(*card);
}

void SpatialCanvasWidget::click(const OverviewCard& card) {
    auto arranger = arranger_.lock();
    if (!arranger) return;
    if (card.desktop) {
        arranger->focusDesktop();
        return;
    }
    const std::string key = card.tile.selected;
    arranger->selectWindow(key);
    arranger->focus(key);
}

void SpatialCanvasWidget::pinchEnded(double scale, QPointF at) {
    auto arranger = arranger_.lock();
    const OverviewCard* card = OverviewCards::cardAt(content_, pointOf(at));
    if (!arranger || !card) return;
    switch (pinchOutcome(scale)) {
        case PinchOutcome::focus:
            if (card->desktop)
                arranger->focusDesktop();
            else
                arranger->focus(card->tile.selected);
            break;
        case PinchOutcome::stepOut:
            arranger->zoomOut();
            break;
        case PinchOutcome::none:
            break;
    }
}

void SpatialCanvasWidget::leaveEvent(QEvent*) {
    if (drag_.dragging()) return;
    CanvasLook look = look_;
    look.hoveredNode.clear();
    setLook(look);
}

bool SpatialCanvasWidget::event(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        switch (gesture->gestureType()) {
            case Qt::BeginNativeGesture:
                pinchScale_ = 1;
                break;
            case Qt::ZoomNativeGesture:
                pinchScale_ *= 1 + gesture->value();
                break;
            case Qt::EndNativeGesture:
                pinchEnded(pinchScale_, gesture->position());
                pinchScale_ = 1;
                break;
            default:
                break;
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace arvelo::views
