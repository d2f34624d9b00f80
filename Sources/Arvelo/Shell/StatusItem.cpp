// SPDX-License-Identifier: MIT
// StatusItem.cpp: the tray icon and the rendering of the menu model into Qt menus: titles,
// check marks for items that are on, tool tips, and key equivalents in the shortcut column.

#include "Arvelo/Shell/StatusItem.h"

#include "Arvelo/Shell/StatusIcon.h"
#include "TenvikKit/Views/KitSymbols.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace arvelo {

namespace {

QString menuText(const std::string& title) {
    // '&' marks a mnemonic in Qt menus; a title shows its ampersands as written.
    return QString::fromStdString(title).replace('&', "&&");
}

}  // namespace

StatusItem::StatusItem(std::function<Menu()> menuNeedsUpdate)
    : menuNeedsUpdate_(std::move(menuNeedsUpdate)),
      menu_(std::make_unique<QMenu>()),
      tray_(std::make_unique<QSystemTrayIcon>()) {
    menu_->setToolTipsVisible(true);
    QObject::connect(menu_.get(), &QMenu::aboutToShow, menu_.get(), [this] { update(); });
    // A click on the icon opens the menu too, as a status item's does.
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, menu_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) menu_->popup(QCursor::pos());
                     });
    update();
    tray_->setIcon(statusIcon());
    tray_->setContextMenu(menu_.get());
    tray_->show();
}

StatusItem::~StatusItem() {
    tray_->hide();
    tray_.reset();
}

void StatusItem::setIcon(const QIcon& icon) { tray_->setIcon(icon); }

void StatusItem::setToolTip(const QString& toolTip) { tray_->setToolTip(toolTip); }

QString StatusItem::toolTip() const { return tray_->toolTip(); }

bool StatusItem::trayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void StatusItem::update() {
    if (menuNeedsUpdate_) render(menuNeedsUpdate_(), *menu_);
}

void StatusItem::render(const Menu& model, QMenu& menu) {
    menu.clear();
    // Submenus are children of the menu, not actions it owns: drop the previous opening's.
    for (QMenu* old : menu.findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) old->deleteLater();
    for (const MenuItem& item : model) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        if (!item.submenu.empty()) {
            QMenu* submenu = menu.addMenu(menuText(item.title));
            submenu->setToolTipsVisible(true);
            render(item.submenu, *submenu);
            continue;
        }
        // Qt's own shortcut text would write Super as "Meta": the column is filled with the
        // desktop's words instead, after the tab that starts it. The keys themselves are global.
        const std::string shortcut = item.shortcutText();
        QAction* action = menu.addAction(menuText(item.title) +
                                         (shortcut.empty() ? QString() : "\t" + QString::fromStdString(shortcut)));
        action->setEnabled(item.enabled);
        action->setCheckable(item.checkable || item.on);
        action->setChecked(item.on);
        if (!item.toolTip.empty()) action->setToolTip(QString::fromStdString(item.toolTip));
        if (!item.symbol.empty()) action->setIcon(tenvik::symbolIcon(QString::fromStdString(item.symbol)));
        if (item.onTrigger) QObject::connect(action, &QAction::triggered, &menu, [run = item.onTrigger] { run(); });
    }
}

}  // namespace arvelo
