// SPDX-License-Identifier: MIT
// ApplicationChooser.h: the "Add Allowed App" dialog of the Focus tab: the applications
// installed on this desktop (names and icons from their desktop entries) in a list that a
// search field narrows, and "Add App". Opened over the settings window without blocking the
// program; its answer comes through onFinished (nothing when cancelled).
#pragma once

#include "TenvikKit/Applications/DesktopEntry.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tenvik {

class ApplicationChooser : public QDialog {
public:
    static constexpr int kMaximumShownNameLength = 120;

    ApplicationChooser(std::vector<DesktopEntry> applications, QWidget* parent = nullptr);

    std::function<void(std::optional<DesktopEntry>)> onFinished;

    // Shows only the applications whose name or identifier holds the text (letter case ignored).
    void setFilter(const QString& text);
    QLineEdit* searchField() const { return search_; }
    QListWidget* list() const { return list_; }
    QPushButton* addButton() const { return add_; }
    std::optional<DesktopEntry> selected() const;

private:
    std::vector<DesktopEntry> applications_;
    QLineEdit* search_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* add_ = nullptr;
};

}  // namespace tenvik
