// SPDX-License-Identifier: MIT
// StatusIcon.cpp: paints the three-rectangle symbol.

#include "Arvelo/Shell/StatusIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace arvelo {

namespace {
const QColor kTrayColor(0x3d, 0x7d, 0xd8);
}

QPixmap statusSymbol(int size, const QColor& color) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 16.0;
    const double radius = 1.2 * unit;
    const QRectF tiles[] = {
        {1 * unit, 2 * unit, 6.5 * unit, 12 * unit},
        {8.5 * unit, 2 * unit, 6.5 * unit, 5.5 * unit},
        {8.5 * unit, 8.5 * unit, 6.5 * unit, 5.5 * unit},
    };
    painter.setPen(QPen(color.darker(160), std::max(1.0, 0.6 * unit)));
    painter.setBrush(color);
    for (const QRectF& tile : tiles) painter.drawRoundedRect(tile, radius, radius);
    return pixmap;
}

QColor trayColor() { return kTrayColor; }

QIcon statusIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(statusSymbol(size, kTrayColor));
    return icon;
}

}  // namespace arvelo
