// SPDX-License-Identifier: MIT
// StatusItem.h: the status item on the desktop's panel: a tray icon with a tool tip, whose menu
// is rebuilt from the menu model every time it is about to open (or the icon is clicked).
#pragma once

#include "Arvelo/Shell/StatusMenu.h"

#include <QIcon>
#include <QString>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace arvelo {

class StatusItem {
public:
    // menuNeedsUpdate gives the menu's items for each opening.
    explicit StatusItem(std::function<Menu()> menuNeedsUpdate);
    ~StatusItem();
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;

    void setIcon(const QIcon& icon);
    void setToolTip(const QString& toolTip);
    QString toolTip() const;

    // False when the desktop offers no tray to show the item in.
    static bool trayAvailable();

    QMenu* menu() const { return menu_.get(); }
    // Rebuilds the menu from the model now.
    void update();

    // Puts the model's items into a Qt menu, replacing what it held.
    static void render(const Menu& model, QMenu& menu);

private:
    std::function<Menu()> menuNeedsUpdate_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};

}  // namespace arvelo
