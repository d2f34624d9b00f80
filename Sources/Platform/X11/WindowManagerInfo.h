// SPDX-License-Identifier: MIT
// WindowManagerInfo: who manages the windows and what it supports: the name on its
// _NET_SUPPORTING_WM_CHECK window and the root's _NET_SUPPORTED list. Kept between writes and
// read again after the root says either changed (another manager took over). Thread-safe.
#pragma once

#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::x11 {

struct WindowManagerFacts {
    bool answered = false;
    std::string name;  // empty when it gives none
    std::vector<xcb_atom_t> supported;

    bool supports(xcb_atom_t atom) const;
};

WindowManagerFacts readWindowManagerFacts(Connection& connection, Deadline deadline);

class WindowManagerInfo {
public:
    WindowManagerInfo(std::shared_ptr<Connection> connection, EventHub& events);

    // The facts, read now when none are kept (or they are stale).
    WindowManagerFacts facts(Deadline deadline);
    // How many times the root said another manager may have taken over.
    std::uint64_t generation();

private:
    std::shared_ptr<Connection> connection_;
    Subscription subscription_;
    std::mutex mutex_;
    WindowManagerFacts kept_;
    std::uint64_t changes_ = 0;  // root changes seen; facts read across one are not kept
};

}  // namespace platform::x11
