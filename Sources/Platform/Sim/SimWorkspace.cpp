// SPDX-License-Identifier: MIT
// SimWorkspace.cpp: running applications and workspace notifications of the simulated desktop.
#include "Platform/Sim/SimWorkspace.h"

namespace platform::sim {

SimWorkspace::SimWorkspace(std::shared_ptr<World> world) : world_(std::move(world)) {
    // Notifications arrive on the main queue, after the change that caused them.
    // The token keeps queued notifications from reaching a workspace that is gone.
    const std::weak_ptr<int> alive = alive_;
    const auto post = [this, alive](Signal<const RunningApplication&>& signal) {
        return [this, alive, &signal](const App& app) {
            world_->clock().async([alive, &signal, info = describe(app)] {
                if (!alive.expired()) signal.notify(info);
            });
        };
    };
    world_->onLaunch = post(didLaunchApplication);
    world_->onTerminate = post(didTerminateApplication);
    world_->onActivate = post(didActivateApplication);
    world_->onHiddenChange = [this, alive](const App& app) {
        world_->clock().async([this, alive, info = describe(app)] {
            if (alive.expired()) return;
            (info.hidden ? didHideApplication : didUnhideApplication).notify(info);
        });
    };
    world_->onSpaceChange = [this, alive] {
        world_->clock().async([this, alive] {
            if (!alive.expired()) activeSpaceDidChange.notify();
        });
    };
}

SimWorkspace::~SimWorkspace() {
    world_->onLaunch = nullptr;
    world_->onTerminate = nullptr;
    world_->onActivate = nullptr;
    world_->onHiddenChange = nullptr;
    world_->onSpaceChange = nullptr;
}

RunningApplication SimWorkspace::describe(const App& app) const {
    return {app.pid,    app.applicationID,           app.name,    app.activationPolicy,
            app.hidden, world_->frontmost() == app.pid, app.iconName};
}

std::vector<RunningApplication> SimWorkspace::running() const {
    std::vector<RunningApplication> out;
    for (auto pid : world_->launchOrder())
        if (const App* app = world_->app(pid); app && app->running) out.push_back(describe(*app));
    return out;
}

const std::vector<RunningApplication>* SimWorkspace::keptAnswer() {
    if (world_->answersInFull()) {
        kept_.reset();
        return nullptr;
    }
    // What a full read just before the window server stopped answering found.
    if (!kept_) kept_ = running();
    return &*kept_;
}

std::vector<RunningApplication> SimWorkspace::runningApplications() {
    if (const auto* kept = keptAnswer()) return *kept;
    return running();
}

std::optional<RunningApplication> SimWorkspace::application(std::int32_t pid) {
    if (const auto* kept = keptAnswer()) {
        for (const RunningApplication& app : *kept)
            if (app.pid == pid) return app;
        return std::nullopt;
    }
    const App* app = world_->app(pid);
    if (!app || !app->running) return std::nullopt;
    return describe(*app);
}

bool SimWorkspace::processEnded(std::int32_t pid) {
    const App* app = world_->app(pid);
    return !app || !app->running;
}

std::optional<RunningApplication> SimWorkspace::frontmostApplication() {
    const auto pid = world_->frontmost();
    return pid ? application(*pid) : std::nullopt;
}

bool SimWorkspace::activate(std::int32_t pid, ActivationOptions options) {
    requests_.push_back("activate " + std::to_string(pid) +
                        (options == ActivationOptions::allWindows ? " allWindows" : ""));
    const App* app = world_->app(pid);
    if (!app || !app->running) return false;
    world_->activate(pid);
    // The application's front window comes forward; with allWindows, every one of them.
    auto windows = world_->windowsOf(pid, false);
    if (options != ActivationOptions::allWindows && !windows.empty()) windows.resize(1);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) world_->raise(*it);
    return true;
}

bool SimWorkspace::unhide(std::int32_t pid) {
    requests_.push_back("unhide " + std::to_string(pid));
    const App* app = world_->app(pid);
    if (!app || !app->running) return false;
    world_->setHidden(pid, false);
    return true;
}

bool SimWorkspace::hide(std::int32_t pid) {
    requests_.push_back("hide " + std::to_string(pid));
    const App* app = world_->app(pid);
    if (!app || !app->running) return false;
    world_->setHidden(pid, true);
    return true;
}

void SimWorkspace::yieldActivation(std::int32_t pid) { requests_.push_back("yieldActivation " + std::to_string(pid)); }

}  // namespace platform::sim
