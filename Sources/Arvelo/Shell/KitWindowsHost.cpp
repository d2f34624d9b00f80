// SPDX-License-Identifier: MIT
// KitWindowsHost.cpp: the kit windows' context and the controller's seam.
#include "Arvelo/Shell/KitWindowsHost.h"

#include "TenvikKit/Applications/InstalledApplications.h"

namespace arvelo {

KitWindowsHost::KitWindowsHost(platform::Services services, std::filesystem::path autostartFolder,
                               std::filesystem::path executable)
    : services_(std::move(services)),
      autostartFolder_(std::move(autostartFolder)),
      executable_(std::move(executable)) {}

void KitWindowsHost::attach(tenvik::TenvikController& kit) {
    tenvik::KitWindowContext context;
    context.shared = kit.shared();
    context.dispatch = services_.dispatch;
    context.launchAtLogin = std::make_shared<tenvik::LaunchAtLoginManager>(
        platform::LoginItem(autostartFolder_, executable_), *context.shared.settings);
    const auto folders = tenvik::InstalledApplications::folders(services_.environment);
    context.installedApplications = [folders] { return tenvik::InstalledApplications::read(folders); };
    context.runningApplications = [workspace = services_.workspace] { return workspace->runningApplications(); };
    context.showOnboarding = [this] {
        if (onboarding_) onboarding_->show();
    };
    settings_ = std::make_unique<tenvik::SettingsWindowController>(context);
    onboarding_ = std::make_unique<tenvik::OnboardingWindowController>(context);
    kit.windows.showSettings = [this](std::optional<tenvik::SettingsTab> tab) { settings_->show(tab); };
    kit.windows.showOnboarding = [this] { onboarding_->show(); };
}

}  // namespace arvelo
