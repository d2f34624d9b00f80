// SPDX-License-Identifier: MIT
// SpatialCanvasWidget.h: the spatial canvas as one custom-painted widget, shown by the overview
// window and the dashboard. It observes the arranger's published fields and repaints only
// when what it shows changed; a click on a card focuses its window (or the desktop), a tab
// button focuses its tab, a pinch opens or steps out, and a card dragged onto another card
// docks its window there through the arranger. It acts on nothing else itself.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Dashboard/DashboardHost.h"
#include "Arvelo/Overview/CardDrag.h"
#include "Arvelo/Overview/OverviewCards.h"
#include "Arvelo/Views/Overview/CanvasPainter.h"

#include <QWidget>

#include <memory>

namespace arvelo::views {

class SpatialCanvasWidget final : public QWidget {
public:
    SpatialCanvasWidget(std::shared_ptr<DashboardHost> arranger, double cornerRadius, QWidget* parent = nullptr);
    ~SpatialCanvasWidget() override;

    // The arranger published a change: the canvas re-reads it once the current event is
    // done (one reading for any number of changes; none while hidden) and repaints when what
    // it shows changed.
    void modelChanged();
    const CanvasContent& content() const { return content_; }
    // How many times the canvas was repainted (tests check that unrelated changes cost none).
    int paintCount() const { return paints_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void reload(bool force);
    void click(const OverviewCard& card);
    void pinchEnded(double scale, QPointF at);
    void setLook(const CanvasLook& look);

    std::weak_ptr<DashboardHost> arranger_;
    platform::ChangeNotifier::Subscription subscription_ = 0;
    CanvasContent content_;
    // The picture of each shown card's window when last read, to notice new pictures.
    std::vector<const void*> pictureIdentities_;
    CanvasPainter painter_;
    CanvasLook look_;
    CardDrag drag_;
    double pinchScale_ = 1;
    bool reloadPending_ = false;
    int paints_ = 0;
};

}  // namespace arvelo::views
