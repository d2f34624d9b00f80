// KitWindow.cpp: presenting and closing a kit window.
#include "TenvikKit/Views/KitWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tenvik {

void KitWindow::present() {
    if (!isVisible()) {
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
    event->accept();
    if (onClose) onClose();
}

}  // namespace tenvik
