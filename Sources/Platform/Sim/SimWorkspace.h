// SPDX-License-Identifier: MIT
// SimWorkspace.h: the running applications of the simulated desktop, their activation and
// hiding, and the workspace notifications, delivered on the main queue. While the window
// server does not answer in full, reads give what the last full one found.
#pragma once

#include "Platform/Sim/World.h"
#include "Platform/Workspace.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform::sim {

class SimWorkspace : public Workspace {
public:
    explicit SimWorkspace(std::shared_ptr<World> world);
    ~SimWorkspace() override;
    SimWorkspace(const SimWorkspace&) = delete;
    SimWorkspace& operator=(const SimWorkspace&) = delete;

    std::vector<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> application(std::int32_t pid) override;
    std::optional<RunningApplication> frontmostApplication() override;
    std::int32_t ownPid() override { return world_->ownPid(); }
    bool processEnded(std::int32_t pid) override;
    bool activate(std::int32_t pid, ActivationOptions options) override;
    bool unhide(std::int32_t pid) override;
    bool hide(std::int32_t pid) override;
    void yieldActivation(std::int32_t pid) override;

    // Requests made through this service, for tests: "activate <pid>", "unhide <pid>", ...
    const std::vector<std::string>& requests() const { return requests_; }

private:
    RunningApplication describe(const App& app) const;
    std::vector<RunningApplication> running() const;
    // While the window server does not answer in full: the applications it last answered.
    const std::vector<RunningApplication>* keptAnswer();

    std::shared_ptr<World> world_;
    std::vector<std::string> requests_;
    std::optional<std::vector<RunningApplication>> kept_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform::sim
