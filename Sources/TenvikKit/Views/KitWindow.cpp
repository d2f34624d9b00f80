// SPDX-License-Identifier: MIT
// KitWindow.cpp: presenting and closing a kit window.
#include "TenvikKit/Views/KitWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tenvik {

void KitWindow::present() {
    if (!placed_) {
        placed_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    show();
    raise();
    activateWindow();
}

void KitWindow::closeEvent(QCloseEvent* event) {
    // Only hidden: an accepted close would destroy the X window, and the one shown again
    // would be a new window with Qt's own title.
    event->ignore();
    hide();
    if (onClose) onClose();
}

}  // namespace tenvik
