// SPDX-License-Identifier: MIT
// ZoomBarView.h: the bar that hangs below the top of a zoomed display: a rounded heads-up
// strip holding one button, "Show All Windows" with a drawn three-windows symbol, that goes
// back to every window.
#pragma once

#include "Arvelo/Views/Chrome/ChromeStyle.h"

#include <QWidget>

namespace arvelo::views {

class ZoomBarView final : public QWidget {
public:
    ZoomBarView(QWidget* parent, ZoomBarContent content, ChromeStyle style);

    // The button's fitting width: symbol, two spaces and the title in its font.
    static double fittingWidth();
    static QString title();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ZoomBarContent content_;
    ChromeStyle style_;
    bool hovered_ = false;
};

}  // namespace arvelo::views
