// SPDX-License-Identifier: MIT
// ProxyTileView.h: the miniature tile that stands in for a window that does not fit its tile:
// the window's picture (or a placeholder tinted from its title, with the application's icon
// and the title), a highlight under the pointer, and the shared press: a click opens the real
// window, a drag moves the panel and docks the window where it is dropped, Escape puts the
// panel back and cancels, a pinch opens the window or steps out.
#pragma once

#include "Arvelo/Views/Chrome/ChromeStyle.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace arvelo::views {

class ProxyTileView final : public QWidget {
public:
    // `panelFrame` and `movePanel` reach the hosting panel (top-left screen space).
    ProxyTileView(QWidget* parent, MiniatureContent content, ChromeStyle style, std::function<Rect()> panelFrame,
                  std::function<void(const Rect&)> movePanel);

    // A new picture for the window (the panel's content was updated in place).
    void setContent(const MiniatureContent& content);
    const MiniatureContent& content() const { return content_; }
    bool hovered() const { return hovered_; }
    const ChromePress& press() const { return press_; }
    // The accessibility press: traced, then the click action; whether an action ran.
    bool accessibilityPress();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void trace(const char* phase, QMouseEvent* event);
    PressCallbacks clickGuarded() const;

    MiniatureContent content_;
    ChromeStyle style_;
    std::function<Rect()> panelFrame_;
    std::function<void(const Rect&)> movePanel_;
    QImage picture_;
    ChromePress press_;
    EscapeDuringPress escape_;
    std::optional<Rect> originalFrame_;
    bool hovered_ = false;
};

}  // namespace arvelo::views
