// SPDX-License-Identifier: MIT
// KitWindowsHost.h: the kit's settings and onboarding windows in the running program: made
// when the kit controller is created, plugged into its window seam, and torn down before Qt
// goes. Installed applications come from the XDG applications folders of this session.
#pragma once

#include "Platform/Services.h"
#include "TenvikKit/Views/OnboardingWindowController.h"
#include "TenvikKit/Views/SettingsWindowController.h"

#include <filesystem>
#include <memory>

namespace arvelo {

class KitWindowsHost {
public:
    // `autostartFolder` and `executable` name the login item the General tab switches.
    KitWindowsHost(platform::Services services, std::filesystem::path autostartFolder,
                   std::filesystem::path executable);

    void attach(tenvik::TenvikController& kit);

    tenvik::SettingsWindowController* settings() const { return settings_.get(); }
    tenvik::OnboardingWindowController* onboarding() const { return onboarding_.get(); }

private:
    platform::Services services_;
    std::filesystem::path autostartFolder_;
    std::filesystem::path executable_;
    std::unique_ptr<tenvik::SettingsWindowController> settings_;
    std::unique_ptr<tenvik::OnboardingWindowController> onboarding_;
};

}  // namespace arvelo
