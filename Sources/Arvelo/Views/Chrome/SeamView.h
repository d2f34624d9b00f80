// SPDX-License-Identifier: MIT
// SeamView.h: the handle over a seam between two tiles: nearly invisible until the pointer
// rests on it (then an accent bar), a resize cursor, and a drag that sends the split fractions
// under the pointer. Without a compositing manager the handle is painted as an opaque divider.
#pragma once

#include "Arvelo/Views/Chrome/ChromeStyle.h"

#include <QWidget>

namespace arvelo::views {

class SeamView final : public QWidget {
public:
    SeamView(QWidget* parent, SeamContent content, ChromeStyle style);

    bool hovered() const { return hovered_; }
    bool dragging() const { return dragging_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void step(QPointF global);

    SeamContent content_;
    ChromeStyle style_;
    bool dragging_ = false;
    bool hovered_ = false;
};

}  // namespace arvelo::views
