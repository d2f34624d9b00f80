// SPDX-License-Identifier: MIT
// ChromeStyle.h: what the chrome's Qt views share: the materials (a dark heads-up strip,
// translucent under a compositing manager and opaque otherwise), the label and accent colours,
// the pointer in the bottom-left screen space, and the application icon of a window.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Chrome/ChromePanel.h"
#include "Arvelo/Views/Overview/ApplicationIcons.h"

#include <QColor>
#include <QCoreApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace arvelo::views {

// Watches the Escape key pressed anywhere on the desktop: the handler is called at each press
// while the returned token lives. Absent where the panels can take the keyboard themselves.
using EscapeWatch = std::function<std::shared_ptr<void>(std::function<void()>)>;

struct ChromeStyle {
    bool translucent = false;               // a compositing manager shows what lies under
    std::function<double()> primaryHeight;  // the first screen's height now
    EscapeWatch watchEscape;                // Escape without the keyboard focus (X11)

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
    // The window's icon from the one source every view uses.
    static QIcon icon(std::uint32_t window, const std::string& identity, const WindowIcon& icon, int side) {
        return ApplicationIcons::icon(window, identity, icon, side);
    }
};

// While a press is held on a chrome view, Escape pressed anywhere reaches the view as its own
// key press (on X11 the panels never have the keyboard, so it would go elsewhere otherwise).
class EscapeDuringPress {
public:
    void begin(const ChromeStyle& style, QWidget* view) {
        if (!style.watchEscape) return;
        token_ = style.watchEscape([target = QPointer<QWidget>(view)] {
            if (!target) return;
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &escape);
        });
    }
    void end() { token_.reset(); }

private:
    std::shared_ptr<void> token_;
};

}  // namespace arvelo::views
