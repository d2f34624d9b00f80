// ChromeStyle.h: what the chrome's Qt views share: the materials (a dark heads-up strip,
// translucent under a compositing manager and opaque otherwise), the label and accent colours,
// the pointer in the bottom-left screen space, and the application icon of a window.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Chrome/ChromePanel.h"

#include <QColor>
#include <QIcon>
#include <QPointF>

#include <functional>

namespace arvelo::views {

struct ChromeStyle {
    bool translucent = false;               // a compositing manager shows what lies under
    std::function<double()> primaryHeight;  // the first screen's height now

    // The strip behind tab bars and the zoom bar.
    QColor material() const { return translucent ? QColor(24, 24, 28, 205) : QColor(38, 38, 44); }
    static QColor label(double alpha = 1) {
        QColor c(Qt::white);
        c.setAlphaF(static_cast<float>(alpha));
        return c;
    }
    static QColor accent(double alpha = 1) {
        QColor c(10, 132, 255);
        c.setAlphaF(static_cast<float>(alpha));
        return c;
    }
    // A global (top-left, root) position as a bottom-left screen point.
    Point screenPoint(QPointF global) const { return {global.x(), (primaryHeight ? primaryHeight() : 0) - global.y()}; }
    static QIcon icon(const WindowIcon& icon) {
        return QIcon::fromTheme(QString::fromStdString(icon.name),
                                QIcon::fromTheme(QStringLiteral("application-x-executable")));
    }
};

}  // namespace arvelo::views
