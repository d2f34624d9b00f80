// AppWindows.cpp: the makers of the dashboard and overview windows.
#include "Arvelo/Views/AppWindows.h"

#include "Arvelo/Views/Dashboard/DashboardWindow.h"
#include "Arvelo/Views/Overview/OverviewWindow.h"

namespace arvelo::views {

void bindAppWindows(Coordinator& coordinator) {
    const std::weak_ptr<Coordinator> weak = coordinator.weak_from_this();
    coordinator.makeDashboardWindow = [weak]() -> std::shared_ptr<HostedWindow> {
        auto self = weak.lock();
        return self ? DashboardWindow::make(self) : nullptr;
    };
    coordinator.makeOverviewWindow = [weak]() -> std::shared_ptr<HostedWindow> {
        auto self = weak.lock();
        return self ? OverviewWindow::make(self) : nullptr;
    };
}

}  // namespace arvelo::views
