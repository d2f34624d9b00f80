// SPDX-License-Identifier: MIT
// AppWindows.h: the makers of this program's own windows for the arranger's hooks: the
// dashboard and the overview are made on first use and kept for its life.
#pragma once

#include <functional>
#include <memory>

#include "Arvelo/Chrome/HostedWindow.h"
#include "Arvelo/Dashboard/DashboardHost.h"

namespace arvelo::views {

struct AppWindowMakers {
    std::function<std::shared_ptr<HostedWindow>()> overview;
    std::function<std::shared_ptr<HostedWindow>()> dashboard;
};

// Makers that build each window over the arranger (held weakly: none once it is gone).
AppWindowMakers appWindowMakers(std::weak_ptr<DashboardHost> arranger);

}  // namespace arvelo::views
