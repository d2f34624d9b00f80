// SPDX-License-Identifier: MIT
// ShortcutsSettingsTab.h: the Shortcuts tab: what a three-finger tap and hold do (with a
// caption while gestures are unavailable), and a recorder for each of the three shortcuts
// (with the red text of the last failed registration). Writes go straight to the settings;
// the tab redraws on every change of the settings or of the kit's activity record.
#pragma once

#include "TenvikKit/Views/HotKeyRecorderView.h"
#include "TenvikKit/Views/KitWindowContext.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLabel;

namespace tenvik {

class ShortcutsSettingsTab : public QWidget {
public:
    explicit ShortcutsSettingsTab(const KitWindowContext& context, QWidget* parent = nullptr);

    void refresh();

    QComboBox* tapPicker() const { return tapPicker_; }
    QComboBox* holdPicker() const { return holdPicker_; }
    // Toggle Pin, Toggle Focus, Release All.
    HotKeyRecorderView* recorder(int row) const { return recorders_.at(static_cast<std::size_t>(row)); }

private:
    QComboBox* makePicker(const char* name);

    KitWindowContext context_;
    QComboBox* tapPicker_ = nullptr;
    QComboBox* holdPicker_ = nullptr;
    QLabel* gesturesUnavailable_ = nullptr;
    QLabel* gesturesReason_ = nullptr;
    std::array<HotKeyRecorderView*, 3> recorders_{};
    QLabel* registrationError_ = nullptr;
    QWidget* unavailableRow_ = nullptr;
    QWidget* errorRow_ = nullptr;
    ChangeLink settingsLink_, availableLink_, reasonLink_, errorLink_;
};

}  // namespace tenvik
