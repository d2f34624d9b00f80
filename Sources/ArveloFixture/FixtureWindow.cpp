// SPDX-License-Identifier: MIT
// FixtureWindow: paints the window's title and size on its colour in the point size it is
// given; the minimum size it is given becomes the minimum in its WM_NORMAL_HINTS, which the
// window manager enforces.
#include "FixtureWindow.h"

#include <QFont>
#include <QPainter>

namespace fixture {

FixtureWindow::FixtureWindow(const FixtureWindowSpec& spec) : colour_(spec.colour), fontPointSize_(spec.fontPointSize) {
    setWindowTitle(spec.title);
    if (spec.minimumSize.isValid()) setMinimumSize(spec.minimumSize);
    resize(spec.initialSize);
}

void FixtureWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), colour_);
    QFont font = painter.font();
    font.setPointSize(fontPointSize_);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QString text = QStringLiteral("%1\n%2 × %3").arg(windowTitle()).arg(width()).arg(height());
    painter.drawText(rect(), Qt::AlignCenter, text);
}

}  // namespace fixture
