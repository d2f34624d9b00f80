// SPDX-License-Identifier: MIT
// TabBarView.h: the tab bar over a tile with several windows: a rounded heads-up strip at the
// top of its panel (4 points left free above the window) holding the header, a row of tabs
// that scrolls sideways when wider than the bar. A press on a tab selects its window or drags
// that one window; a press on the header's empty space selects the tile or drags the whole
// group; hovering a tab shows its minimise and close glyphs; Escape cancels a press.
#pragma once

#include "Arvelo/Views/Chrome/ChromeStyle.h"

#include <QWidget>

#include <vector>

namespace arvelo::views {

class TabButton;

// One of a tab's two hover glyphs ("minus" to minimise, "xmark" to close), drawn as vectors.
// It takes a press only once the user could see it: after the pointer moved over its tab
// with the glyphs shown. A press that comes with the pointer's arrival (the glyphs appear
// under it at that moment) belongs to the tab.
class TabGlyph final : public QWidget {
public:
    enum class Symbol { minus, xmark };
    TabGlyph(TabButton* tab, Symbol symbol, const QString& label, std::function<void()> action);
    bool hovered() const { return hovered_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TabButton* tab_;
    Symbol symbol_;
    std::function<void()> action_;
    bool hovered_ = false;
    bool pressed_ = false;  // this glyph took the press in progress
};

class TabButton final : public QWidget {
public:
    TabButton(QWidget* parent, TabItem item, const chrome::TabBarMetrics& metrics, ChromeStyle style);

    const TabItem& item() const { return item_; }
    bool hovered() const { return hovered_; }
    bool highlighted() const { return press_.pressed(); }
    bool glyphsShown() const { return glyphsShown_; }
    TabGlyph* minimizeGlyph() const { return minimizeGlyph_; }
    TabGlyph* closeGlyph() const { return closeGlyph_; }
    // The title's room: the width less the glyphs while they show.
    double titleWidth() const;
    // The glyphs show and the pointer has moved over the tab since they appeared: a press on
    // one is meant for it.
    bool glyphsArmed() const { return glyphsShown_ && armed_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showControls(bool shown);

    TabItem item_;
    chrome::TabBarMetrics metrics_;
    ChromeStyle style_;
    ChromePress press_;
    EscapeDuringPress escape_;
    TabGlyph* minimizeGlyph_ = nullptr;
    TabGlyph* closeGlyph_ = nullptr;
    bool hovered_ = false;
    bool glyphsShown_ = false;
    bool armed_ = false;
    QPointF enteredAt_;  // global position of the pointer's arrival
};

// The header: the scrolling row of tabs; every point of it that is no tab or glyph is its own.
class HeaderView final : public QWidget {
public:
    HeaderView(QWidget* parent, const TabBarContent& content, ChromeStyle style);

    const std::vector<TabButton*>& tabs() const { return tabs_; }
    double scrollOffset() const { return offset_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutTabs();

    PressCallbacks press_callbacks_;
    chrome::TabBarMetrics metrics_;
    ChromeStyle style_;
    ChromePress press_;
    EscapeDuringPress escape_;
    std::vector<TabButton*> tabs_;
    double offset_ = 0;
};

class TabBarView final : public QWidget {
public:
    TabBarView(QWidget* parent, const TabBarContent& content, ChromeStyle style);

    HeaderView* header() const { return header_; }
    // The strip, top-left view coordinates.
    QRectF strip() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    chrome::TabBarMetrics metrics_;
    ChromeStyle style_;
    HeaderView* header_ = nullptr;
};

}  // namespace arvelo::views
