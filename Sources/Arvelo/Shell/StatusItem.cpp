// StatusItem.cpp: the tray icon and the rendering of the menu model into Qt menus: titles,
// check marks for items that are on, tool tips, and key equivalents shown as shortcut text.

#include "Arvelo/Shell/StatusItem.h"

#include "Arvelo/Shell/StatusIcon.h"
#include "TenvikKit/Views/KitSymbols.h"

#include <QAction>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>

namespace arvelo {

namespace {

constexpr std::uint32_t kMenuCommandKey = 0x100000;

QString menuText(const std::string& title) {
    // '&' marks a mnemonic in Qt menus; a title shows its ampersands as written.
    return QString::fromStdString(title).replace('&', "&&");
}

QKeySequence keySequence(const MenuItem& item) {
    if (item.keyEquivalent.size() != 1) return {};
    const char key = item.keyEquivalent[0];
    Qt::Key qtKey;
    if (key >= '0' && key <= '9')
        qtKey = static_cast<Qt::Key>(Qt::Key_0 + (key - '0'));
    else if (key >= 'a' && key <= 'z')
        qtKey = static_cast<Qt::Key>(Qt::Key_A + (key - 'a'));
    else if (key >= 'A' && key <= 'Z')
        qtKey = static_cast<Qt::Key>(Qt::Key_A + (key - 'A'));
    else
        return {};
    Qt::KeyboardModifiers modifiers;
    if (item.keyEquivalentModifierMask & kMenuControlKey) modifiers |= Qt::ControlModifier;
    if (item.keyEquivalentModifierMask & kMenuOptionKey) modifiers |= Qt::AltModifier;
    if (item.keyEquivalentModifierMask & kMenuShiftKey) modifiers |= Qt::ShiftModifier;
    if (item.keyEquivalentModifierMask & kMenuCommandKey) modifiers |= Qt::MetaModifier;
    return QKeySequence(QKeyCombination(modifiers, qtKey));
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
        QAction* action = menu.addAction(menuText(item.title));
        action->setEnabled(item.enabled);
        action->setCheckable(item.checkable || item.on);
        action->setChecked(item.on);
        if (!item.toolTip.empty()) action->setToolTip(QString::fromStdString(item.toolTip));
        if (!item.symbol.empty()) action->setIcon(tenvik::symbolIcon(QString::fromStdString(item.symbol)));
        const QKeySequence shortcut = keySequence(item);
        if (!shortcut.isEmpty()) {
            // Shown only: the same keys work everywhere through the global hot keys.
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WidgetShortcut);
            action->setShortcutVisibleInContextMenu(true);
        }
        if (item.onTrigger) QObject::connect(action, &QAction::triggered, &menu, [run = item.onTrigger] { run(); });
    }
}

}  // namespace arvelo
