// SPDX-License-Identifier: MIT
// StatusItemTests.cpp: the Qt menu the status item shows, rendered from the menu model:
// titles as written, check marks, tool tips, shortcut texts, submenus, and actions.
#include "Arvelo/Shell/StatusItem.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using namespace arvelo;

namespace {

QStringList texts(const QMenu& menu) {
    QStringList result;
    for (const QAction* action : menu.actions()) result << (action->isSeparator() ? "-" : action->text());
    return result;
}

}  // namespace

TEST(StatusItem, RendersTheMenuModelIntoAQtMenu) {
    std::vector<std::string> calls;
    StatusMenuActions actions;
    actions.quit = [&] { calls.push_back("quit"); };
    actions.recallLayout = [&](int slot) { calls.push_back("recall " + std::to_string(slot)); };
    actions.populateKit = [](Menu& menu) {
        MenuItem header;
        header.title = "Rev & Uzidu";
        header.enabled = false;
        menu.push_back(header);
    };
    StatusMenuState state;
    state.windowMapEnabled = true;
    state.saved = {{2, "Layout 2", false, std::nullopt}};

    QMenu menu;
    StatusItem::render(buildStatusMenu(state, actions), menu);
    EXPECT_EQ(texts(menu),
              (QStringList{"Open Vomira…", "Permissions…", "-", "Set Windows", "Free All Windows", "Saved Layouts",
                           "Window Map\tCtrl+Alt+W", "-", "Rev && Uzidu", "-", "Open at Login", "Quit Vomira"}));
    const QList<QAction*> items = menu.actions();
    EXPECT_TRUE(items[6]->isChecked());
    EXPECT_EQ(items[6]->toolTip(), "Press Ctrl+Alt+W for a map of every window, including tabs and minimized ones.");
    // Both switches show a box, ticked or not; commands show none.
    EXPECT_FALSE(items[10]->isChecked());
    EXPECT_TRUE(items[10]->isCheckable());
    EXPECT_TRUE(items[6]->isCheckable());
    EXPECT_FALSE(items[3]->isCheckable());
    EXPECT_FALSE(items[8]->isEnabled());

    QMenu* layouts = items[5]->menu();
    ASSERT_NE(layouts, nullptr);
    EXPECT_EQ(texts(*layouts), (QStringList{"Layout 2\tCtrl+Alt+2", "-", "Save Current Layout"}));
    // The shortcut column holds the desktop's words, never Qt's "Meta".
    EXPECT_EQ(layouts->actions()[0]->text(), "Layout 2\tCtrl+Alt+2");
    QMenu* save = layouts->actions()[2]->menu();
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->actions().size(), 9);
    EXPECT_EQ(save->actions()[1]->text(), "Layout 2 (replace)\tCtrl+Alt+Shift+2");
    EXPECT_EQ(save->actions()[8]->text().section('\t', 1), "Ctrl+Alt+Shift+9");

    layouts->actions()[0]->trigger();
    items[11]->trigger();
    EXPECT_EQ(calls, (std::vector<std::string>{"recall 2", "quit"}));
}

TEST(StatusItem, RebuildsItsMenuForEveryOpening) {
    int openings = 0;
    StatusItem item([&] {
        ++openings;
        MenuItem only;
        only.title = "Opening " + std::to_string(openings);
        return Menu{only};
    });
    ASSERT_NE(item.menu(), nullptr);
    emit item.menu()->aboutToShow();
    emit item.menu()->aboutToShow();
    EXPECT_EQ(texts(*item.menu()), QStringList{"Opening 3"});
    item.setToolTip("Vomira");
    EXPECT_EQ(item.toolTip(), "Vomira");
}
