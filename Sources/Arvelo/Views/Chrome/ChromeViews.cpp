// SPDX-License-Identifier: MIT
// ChromeViews.cpp: one view per panel kind, and the outline cut without a compositor.
#include "Arvelo/Views/Chrome/ChromeViews.h"

#include "Arvelo/Views/Chrome/DropPreviewView.h"
#include "Arvelo/Views/Chrome/ProxyTileView.h"
#include "Arvelo/Views/Chrome/SeamView.h"
#include "Arvelo/Views/Chrome/TabBarView.h"
#include "Arvelo/Views/Chrome/ZoomBarView.h"

#include <QPainterPath>
#include <QRegion>

namespace arvelo::views {

namespace {

QRegion roundedRegion(const QRectF& r, double radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

// The part of the panel that is painted; everything else is cut away when alpha cannot show.
QRegion outlineOf(const ChromePanel& panel, QWidget* view) {
    const QRectF bounds(view->rect());
    switch (panel.kind) {
        case ChromePanelKind::tabBar: {
            const QRectF strip = static_cast<TabBarView*>(view)->strip();
            return roundedRegion(strip, strip.height() / 2);
        }
        case ChromePanelKind::zoomBar:
            return roundedRegion(bounds, bounds.height() / 2);
        case ChromePanelKind::miniature:
            return roundedRegion(bounds, 7);
        case ChromePanelKind::dropPreview:
            return DropPreviewView::outline(view->size(), QString::fromStdString(panel.label));
        case ChromePanelKind::seamHandle:
            break;
    }
    return QRegion(view->rect());
}

}  // namespace

QWidget* ChromeViews::present(ChromePanel& panel, QWidget* host, bool translucent,
                              std::function<double()> primaryHeight, std::shared_ptr<platform::Panels> panels,
                              EscapeWatch watchEscape) {
    for (QWidget* old : host->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        old->hide();
        old->deleteLater();
    }
    const ChromeStyle style{translucent, std::move(primaryHeight), std::move(watchEscape)};
    QWidget* view = nullptr;
    switch (panel.kind) {
        case ChromePanelKind::tabBar:
            if (panel.tabBar) view = new TabBarView(host, *panel.tabBar, style);
            break;
        case ChromePanelKind::seamHandle:
            if (panel.seamHandle) view = new SeamView(host, *panel.seamHandle, style);
            break;
        case ChromePanelKind::zoomBar:
            if (panel.zoomBar) view = new ZoomBarView(host, *panel.zoomBar, style);
            break;
        case ChromePanelKind::dropPreview:
            view = new DropPreviewView(host, panel.label, style);
            break;
        case ChromePanelKind::miniature:
            if (panel.miniature) {
                const platform::PanelID id = panel.id;
                std::weak_ptr<platform::Panels> weak = panels;
                view = new ProxyTileView(
                    host, *panel.miniature, style,
                    [weak, id] {
                        auto p = weak.lock();
                        return p ? p->frame(id).value_or(Rect()) : Rect();
                    },
                    [weak, id](const Rect& frame) {
                        if (auto p = weak.lock()) p->setFrame(id, frame);
                    });
            }
            break;
    }
    if (!view) return nullptr;
    view->setGeometry(host->rect());
    view->show();
    if (translucent)
        host->clearMask();
    else
        host->setMask(outlineOf(panel, view));
    return view;
}

QWidget* ChromeViews::present(ChromePanel& panel, QWidget* host, std::function<double()> primaryHeight,
                              std::shared_ptr<platform::Panels> panels, EscapeWatch watchEscape) {
    // The panel's window follows the compositing manager; a view drawn for the other form
    // would show black where it means see-through, or a dark fill where it means a tint.
    return present(panel, host, host->testAttribute(Qt::WA_TranslucentBackground), std::move(primaryHeight),
                   std::move(panels), std::move(watchEscape));
}

ChromeHost ChromeViews::host(std::shared_ptr<platform::Panels> panels,
                             std::function<QWidget*(platform::PanelID)> hostOf, std::function<double()> primaryHeight,
                             EscapeWatch watchEscape) {
    ChromeHost host;
    host.present = [panels, hostOf, primaryHeight, watchEscape](ChromePanel& panel) {
        if (!panels || !hostOf) return;
        if (QWidget* window = hostOf(panel.id)) present(panel, window, primaryHeight, panels, watchEscape);
    };
    host.redraw = [hostOf](ChromePanel& panel) {
        if (!hostOf || !panel.miniature) return;
        QWidget* window = hostOf(panel.id);
        if (!window) return;
        for (auto* tile : window->findChildren<ProxyTileView*>(Qt::FindDirectChildrenOnly))
            tile->setContent(*panel.miniature);
    };
    host.zoomButtonWidth = [] { return ZoomBarView::fittingWidth(); };
    return host;
}

}  // namespace arvelo::views
