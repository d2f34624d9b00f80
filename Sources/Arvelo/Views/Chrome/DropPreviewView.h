// SPDX-License-Identifier: MIT
// DropPreviewView.h: where a dragged window or group would land: a tinted rounded rectangle
// with its label ("Split left", "Make tabs", ...) centred on a dark box of its own. Under a
// compositing manager the tint is light and see-through; without one the panel is cut to an
// outline frame and the label box (Shape, through the widget's mask) and painted opaque, so
// the tile under it shows untouched.
#pragma once

#include "Arvelo/Views/Chrome/ChromeStyle.h"

#include <QRegion>
#include <QWidget>

namespace arvelo::views {

// The box behind a label in a preview of that size.
QRect labelBox(QSize size, const QString& label);

class DropPreviewView final : public QWidget {
public:
    DropPreviewView(QWidget* parent, std::string label, ChromeStyle style);

    const std::string& label() const { return label_; }
    // The part of the panel that is drawn without a compositing manager: the frame and the
    // label box.
    static QRegion outline(QSize size, const QString& label);
    // The box behind the label (view coordinates); empty without a label.
    QRect labelBox() const;
    static QColor labelBoxColour() { return QColor(16, 58, 110); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string label_;
    ChromeStyle style_;
};

}  // namespace arvelo::views
