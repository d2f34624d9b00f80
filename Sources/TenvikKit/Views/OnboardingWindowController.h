// SPDX-License-Identifier: MIT
// OnboardingWindowController.h: the kit's one welcome-guide window ("Welcome to Rev & Uzidu"),
// built on the first show(), kept when closed and brought back as the same window. Every show
// activates it and claims the permissions model's polling for onboarding; closing it, by
// "Done" or by its close button, marks onboarding completed and releases the claim.
#pragma once

#include "TenvikKit/Views/KitWindowContext.h"

#include <memory>

namespace tenvik {

class KitWindow;
class OnboardingView;

class OnboardingWindowController {
public:
    static constexpr const char* kTitle = "Welcome to Rev & Uzidu";

    explicit OnboardingWindowController(KitWindowContext context);
    ~OnboardingWindowController();
    OnboardingWindowController(const OnboardingWindowController&) = delete;
    OnboardingWindowController& operator=(const OnboardingWindowController&) = delete;

    void show();

    KitWindow* window() const { return window_.get(); }
    OnboardingView* view() const { return view_; }

private:
    void build();

    KitWindowContext context_;
    std::unique_ptr<KitWindow> window_;
    OnboardingView* view_ = nullptr;
};

}  // namespace tenvik
