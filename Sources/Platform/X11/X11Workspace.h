// SPDX-License-Identifier: MIT
// X11Workspace: the running applications on X11 are the processes that own client windows,
// grouped by process id (a stand-in id for clients that name none). It activates, hides and
// unhides them through the window manager, and reports launches, quits, activations and
// desktop switches from the window manager's root properties, on the main thread. A read
// that does not answer in full gives the applications of the last one that did.
#pragma once

#include "Platform/Workspace.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace platform::x11 {

class X11Workspace final : public Workspace {
public:
    X11Workspace(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events);

    std::vector<RunningApplication> runningApplications() override;
    std::shared_ptr<const std::vector<RunningApplication>> sharedApplications() override;
    std::optional<RunningApplication> application(std::int32_t pid) override;
    std::optional<RunningApplication> frontmostApplication() override;
    std::int32_t ownPid() override;
    // Only a real process id (not a stand-in) whose /proc entry is gone.
    bool processEnded(std::int32_t pid) override;

    bool activate(std::int32_t pid, ActivationOptions options) override;
    bool unhide(std::int32_t pid) override;
    bool hide(std::int32_t pid) override;
    void yieldActivation(std::int32_t pid) override;

private:
    struct Picture {
        // Never null; shared by every look answered from the same facts.
        std::shared_ptr<const std::vector<RunningApplication>> applications;
        std::optional<std::uint32_t> desktop;
        bool answered = false;
    };
    Picture look();
    void handle(const std::vector<EventRecord>& batch);
    // Sets every top-level window of the application minimised or not.
    bool setMinimised(std::int32_t pid, bool minimised);

    std::shared_ptr<Connection> connection_;
    Subscription subscription_;
    Picture last_;
    // The last picture read and the fact cache's generation then: while no event has changed
    // a fact it was built from, it answers again without a read. Any thread.
    std::mutex pictureMutex_;
    std::optional<Picture> picture_;
    std::uint64_t pictureGeneration_ = 0;
};

}  // namespace platform::x11
