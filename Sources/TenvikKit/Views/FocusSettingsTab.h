// FocusSettingsTab.h: the Focus tab: the applications the user may switch to while the focus
// is locked. One row per allowed identifier (keyed by its normalised form, so entries stored
// in older forms show as their application), named and drawn from the installed
// applications, with "Remove"; "Add App…" opens the chooser, and the identifier the chosen
// application's windows report is added. Rows are rebuilt when the tab is shown, when the
// list changes, when the program becomes active and after a pick.
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
class QVBoxLayout;

namespace tenvik {

class FocusSettingsTab : public QWidget {
public:
    static constexpr const char* kSelectionError = "This app could not be added. Choose another application.";

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

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void renderRows();
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
    ChangeLink settingsLink_;
};

}  // namespace tenvik
