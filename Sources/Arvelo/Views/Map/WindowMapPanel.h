// SPDX-License-Identifier: MIT
// WindowMapPanel.h: the window map's panel on screen: a frameless window at the pop-up level
// with the title, the hint, one pane per tile with its rows, and the minimised strip, laid out
// by WindowMapLayout. It takes the keyboard while open (Escape, arrows, Return) and reports
// clicks on rows to the WindowMap; it never acts on windows itself.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Map/WindowMap.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace arvelo::views {

class WindowMapPanel final : public QWidget {
public:
    WindowMapPanel(const MapContent& content, std::weak_ptr<WindowMap> map);

    // The view layer's side of WindowMap::makePanel: makes, shows and activates a panel.
    // `beforeShow` gets the panel's window first (the shell keeps the chrome below it).
    static std::shared_ptr<WindowMap::Panel> present(const MapContent& content, std::weak_ptr<WindowMap> map,
                                                     const std::function<void(QWidget*)>& beforeShow = {});

    // Redraws the row the keyboard is on.
    void highlightChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::weak_ptr<WindowMap> map_;
};

}  // namespace arvelo::views
