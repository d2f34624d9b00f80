// SPDX-License-Identifier: MIT
// PreviewStreamView.h: the content of a pin's preview panel. It keeps the capture's latest
// frame as one QImage over the frame's own shared pixels (no copy) and paints it stretched
// over the whole view, faded to the picture's opacity when the panel is translucent and opaque
// otherwise; above it a border of 1.5 points in the palette's highlight colour, rounded by 6
// and inset by 1. Where the display server draws the picture itself, the view gives it the
// border as an overlay image and says when its look changed. It reports the pointer entering or
// moving over it as hover, every press, release and drag of any button, and wheel events.
#pragma once

#include "Platform/ScreenCapture.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <functional>

namespace tenvik::views {

class PreviewStreamView final : public QWidget {
public:
    PreviewStreamView(QWidget* parent, bool translucent);

    // The frame to show from now on; an empty frame is ignored.
    void showFrame(const platform::CapturedImage& frame);
    // Drops the picture shown.
    void clearPicture();
    void setPictureOpacity(double opacity);
    void setBorderVisible(bool visible);

    bool hasPicture() const { return !picture_.isNull(); }
    double pictureOpacity() const { return opacity_; }
    bool borderVisible() const { return borderVisible_; }
    bool translucent() const { return translucent_; }
    // The border alone at the view's size, premultiplied ARGB over transparency; empty when the
    // border is off. The same image until the size, the palette or the border changes.
    platform::CapturedImage borderOverlay();

    // The opacity, the border or the size changed.
    std::function<void()> onAppearanceChanged;

    // Hover: entered or moved over the view, and before a press or a scroll is reported.
    std::function<void()> onHoverInside;
    // A press, release or drag of any button.
    std::function<void()> onMouseEvent;
    // A wheel or touchpad scroll.
    std::function<void()> onScrollEvent;

    static constexpr double kBorderWidth = 1.5;
    static constexpr double kCornerRadius = 6;
    static constexpr double kBorderInset = 1;
    // The band along the edges that holds the whole border, its rounded corners included.
    static constexpr int kBorderBand = 10;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void hover();
    void mouse();
    void paintBorder(QPainter& painter) const;
    void appearanceChanged();

    bool translucent_;
    QImage picture_;
    double opacity_ = 1.0;
    bool borderVisible_ = true;
    platform::CapturedImage overlay_;
    bool overlayCurrent_ = false;
};

}  // namespace tenvik::views
