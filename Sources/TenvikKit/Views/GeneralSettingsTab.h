// SPDX-License-Identifier: MIT
// GeneralSettingsTab.h: the General tab: the "Launch at login" switch (with "Waiting for the
// autostart entry to be written." while the login item waits, and a red error after a failed change) and
// "Show Welcome Guide Again". The switch shows the login item's real status, read each time
// the tab is shown and each time the program becomes active.
#pragma once

#include "TenvikKit/Views/KitWindowContext.h"

#include <QWidget>

#include <optional>
#include <string>

class QCheckBox;
class QLabel;

namespace tenvik {

class GeneralSettingsTab : public QWidget {
public:
    static constexpr const char* kLaunchAtLoginError =
        "Could not update launch at login: the autostart entry in ~/.config/autostart could not be changed. "
        "Check that folder's permissions and try again.";

    GeneralSettingsTab(const KitWindowContext& context, QWidget* parent = nullptr);

    void refreshStatus();
    LaunchAtLoginManager::Status launchAtLoginStatus() const { return status_; }
    const std::optional<std::string>& launchAtLoginError() const { return error_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setLaunchAtLogin(bool enabled);
    void render();

    KitWindowContext context_;
    LaunchAtLoginManager::Status status_ = LaunchAtLoginManager::Status::disabled;
    std::optional<std::string> error_;
    QCheckBox* launchAtLogin_ = nullptr;
    QLabel* pending_ = nullptr;
    QLabel* errorLabel_ = nullptr;
};

}  // namespace tenvik
