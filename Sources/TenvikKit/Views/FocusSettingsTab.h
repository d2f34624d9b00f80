// SPDX-License-Identifier: MIT
// FocusSettingsTab.h: the Focus tab: the applications the user may switch to while the focus
// is locked. One row per allowed identifier (keyed by its normalised form, so entries stored
// in older forms show as their application), named and drawn from the installed
// applications, with "Remove"; "Add App…" opens the chooser, and the identifier the chosen
// application's windows report is added. Rows are rebuilt when the tab is shown, when the
// list changes, when the program becomes active and after a pick. A long list is built
// lazily: the first kRowBatch rows, and the next ones as the list is scrolled to its end.
#pragma once

#include "TenvikKit/FocusLock/FocusExceptionApp.h"
#include "TenvikKit/Views/ApplicationChooser.h"
#include "TenvikKit/Views/KitWindowContext.h"

#include <QPointer>
#include <QWidget>

#include <map>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace tenvik {

class FocusSettingsTab : public QWidget {
public:
    static constexpr const char* kSelectionError = "This app could not be added. Choose another application.";
    // Rows made at once; more follow as the list is scrolled down.
    static constexpr std::size_t kRowBatch = 100;

    explicit FocusSettingsTab(const KitWindowContext& context, QWidget* parent = nullptr);

    void refreshApps();
    void chooseApp();
    // The chooser's answer: nothing when cancelled.
    void finishChoosing(const std::optional<DesktopEntry>& picked);
    void remove(const std::string& id);

    const std::vector<FocusExceptionApp>& apps() const { return apps_; }
    const std::optional<std::string>& selectionError() const { return selectionError_; }
    bool isChoosingApp() const { return isChoosingApp_; }
    ApplicationChooser* chooser() const { return chooser_; }
    QPushButton* addButton() const { return add_; }
    // How many rows are built now.
    std::size_t builtRows() const { return built_; }
    // Builds the next batch of rows, if any are left (what scrolling to the end does).
    void buildMoreRows();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void renderRows();
    QWidget* makeRow(const FocusExceptionApp& app);
    // Read when the tab is shown, the chooser opens or the program becomes active.
    void readInstalledApplications();

    KitWindowContext context_;
    std::vector<DesktopEntry> installed_;
    std::vector<FocusExceptionApp> apps_;
    std::map<std::string, DesktopEntry> chosen_;
    std::optional<std::string> selectionError_;
    bool isChoosingApp_ = false;
    std::vector<std::string> shownList_;
    QPointer<ApplicationChooser> chooser_;

    QLabel* empty_ = nullptr;
    QWidget* rows_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    QPushButton* add_ = nullptr;
    QLabel* error_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    std::size_t built_ = 0;
    ChangeLink settingsLink_;
};

}  // namespace tenvik
