// DropPreviewView.h: where a dragged window or group would land: a tinted rounded rectangle
// with its label ("Split left", "Make tabs", ...) centred. Under a compositing manager it is
// see-through; without one the panel is cut to an outline frame and a label box (Shape, through
// the widget's mask) and painted opaque.
#pragma once

#include "Arvelo/Views/Chrome/ChromeStyle.h"

#include <QRegion>
#include <QWidget>

namespace arvelo::views {

class DropPreviewView final : public QWidget {
public:
    DropPreviewView(QWidget* parent, std::string label, ChromeStyle style);

    const std::string& label() const { return label_; }
    // The part of the panel that is drawn without a compositing manager: the frame and the
    // label box.
    static QRegion outline(QSize size, const QString& label);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string label_;
    ChromeStyle style_;
};

}  // namespace arvelo::views
