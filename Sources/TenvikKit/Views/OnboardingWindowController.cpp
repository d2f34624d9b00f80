// SPDX-License-Identifier: MIT
// OnboardingWindowController.cpp: building, showing and closing the welcome guide.
#include "TenvikKit/Views/OnboardingWindowController.h"

#include "TenvikKit/Views/KitWindow.h"
#include "TenvikKit/Views/OnboardingView.h"

#include <QVBoxLayout>

namespace tenvik {

OnboardingWindowController::OnboardingWindowController(KitWindowContext context) : context_(std::move(context)) {}

OnboardingWindowController::~OnboardingWindowController() {
    if (window_) window_->onClose = nullptr;
}

void OnboardingWindowController::show() {
    if (!window_) build();
    window_->present();
    context_.shared.permissions->startPolling(PermissionsManager::PollingOwner::onboarding);
}

void OnboardingWindowController::build() {
    window_ = std::make_unique<KitWindow>();
    window_->setObjectName("kitOnboarding");
    window_->setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    KitWindow* window = window_.get();
    view_ = new OnboardingView(
        context_, [window] { window->close(); }, window);
    layout->addWidget(view_);
    window_->setFixedSize(OnboardingView::kWidth, OnboardingView::kHeight);
    std::weak_ptr<AppSettings> settings = context_.shared.settings;
    std::weak_ptr<PermissionsManager> permissions = context_.shared.permissions;
    window_->onClose = [settings, permissions] {
        if (auto model = settings.lock()) model->setHasCompletedOnboarding(true);
        if (auto model = permissions.lock()) model->stopPolling(PermissionsManager::PollingOwner::onboarding);
    };
}

}  // namespace tenvik
