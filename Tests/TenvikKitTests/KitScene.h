// SPDX-License-Identifier: MIT
// KitScene.h: a simulated desktop for the kit's tests: the settings over its defaults, a
// captured kit log, a few applications (the fixture, xlogo, a password manager), and a
// workspace that can refuse or ignore activation requests the way a window manager might.
#pragma once

#include "Platform/Sim/Desktop.h"
#include "TenvikKit/Log/LogChannel.h"
#include "TenvikKit/Settings/AppSettings.h"

#include <algorithm>
#include <memory>
#include <string>

namespace tenvik::test {

// Forwards to the simulated workspace; activation requests can be refused (answered false) or
// ignored (answered true, nothing happens).
class ManagedWorkspace : public platform::Workspace {
public:
    enum class Activation { forward, refuse, ignore };

    explicit ManagedWorkspace(platform::Workspace& inner) : inner_(inner) {
        subscriptions_[0] = inner.didLaunchApplication.connect([this](const auto& a) { didLaunchApplication.notify(a); });
        subscriptions_[1] =
            inner.didTerminateApplication.connect([this](const auto& a) { didTerminateApplication.notify(a); });
        subscriptions_[2] =
            inner.didActivateApplication.connect([this](const auto& a) { didActivateApplication.notify(a); });
    }

    std::vector<platform::RunningApplication> runningApplications() override { return inner_.runningApplications(); }
    std::optional<platform::RunningApplication> application(std::int32_t pid) override {
        return inner_.application(pid);
    }
    std::optional<platform::RunningApplication> frontmostApplication() override {
        return inner_.frontmostApplication();
    }
    std::int32_t ownPid() override { return inner_.ownPid(); }
    bool processEnded(std::int32_t pid) override { return inner_.processEnded(pid); }
    bool activate(std::int32_t pid, platform::ActivationOptions options) override {
        ++activationRequests;
        if (activation == Activation::refuse) return false;
        if (activation == Activation::ignore) return true;
        return inner_.activate(pid, options);
    }
    bool unhide(std::int32_t pid) override { return inner_.unhide(pid); }
    bool hide(std::int32_t pid) override { return inner_.hide(pid); }
    void yieldActivation(std::int32_t pid) override { inner_.yieldActivation(pid); }

    Activation activation = Activation::forward;
    int activationRequests = 0;

private:
    platform::Workspace& inner_;
    platform::Subscription subscriptions_[3];
};

struct KitScene {
    KitScene() {
        Log::configure(desktop.services().log, nullptr);
        settings = std::make_unique<AppSettings>(desktop.services().defaults, center);
    }
    ~KitScene() { Log::configure(nullptr, nullptr); }

    // The kit's log lines of one channel, as "<level>: <text>".
    std::vector<std::string> logLines(const std::string& category) {
        std::vector<std::string> lines;
        for (const auto& entry : desktop.log().entries())
            if (entry.subsystem == Log::kSubsystem && entry.category == category)
                lines.push_back(std::string(platform::toString(entry.level)) + ": " + entry.message);
        return lines;
    }

    platform::sim::Desktop desktop;
    NotificationCenter center;
    std::unique_ptr<AppSettings> settings;
    std::shared_ptr<ManagedWorkspace> workspace = std::make_shared<ManagedWorkspace>(desktop.workspace());
};

}  // namespace tenvik::test
