// SPDX-License-Identifier: MIT
// AppWindows.cpp: the makers of the dashboard and overview windows.
#include "Arvelo/Views/AppWindows.h"

#include "Arvelo/Views/Dashboard/DashboardWindow.h"
#include "Arvelo/Views/Overview/OverviewWindow.h"

namespace arvelo::views {

AppWindowMakers appWindowMakers(std::weak_ptr<DashboardHost> arranger) {
    AppWindowMakers makers;
    makers.dashboard = [arranger]() -> std::shared_ptr<HostedWindow> {
        auto self = arranger.lock();
        return self ? DashboardWindow::make(self) : nullptr;
    };
    makers.overview = [arranger]() -> std::shared_ptr<HostedWindow> {
        auto self = arranger.lock();
        return self ? OverviewWindow::make(self) : nullptr;
    };
    return makers;
}

}  // namespace arvelo::views
