// SPDX-License-Identifier: MIT
// ApplicationIcon.cpp: icon lookup with its fallbacks.
#include "TenvikKit/Views/ApplicationIcon.h"

#include <QFileInfo>
#include <QPainter>

namespace tenvik {

QIcon applicationIcon(const QString& iconName) {
    if (!iconName.isEmpty()) {
        if (iconName.startsWith('/')) {
            if (QFileInfo(iconName).isFile()) {
                QIcon icon(iconName);
                if (!icon.isNull() && !icon.availableSizes().isEmpty()) return icon;
            }
        } else {
            QIcon icon = QIcon::fromTheme(iconName);
            if (!icon.isNull()) return icon;
        }
    }
    return QIcon::fromTheme("application-x-executable");
}

QPixmap missingApplicationPixmap(int size, const QColor& color) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, 1.5, Qt::DashLine);
    painter.setPen(pen);
    painter.drawRoundedRect(QRectF(2, 2, size - 4, size - 4), size / 5.0, size / 5.0);
    return pixmap;
}

}  // namespace tenvik
