// ApplicationTermination.cpp: the quit path. The first quit while windows are arranged (or
// still remember their original frames) is refused: the windows go back, and the quit is
// issued again 1.5 s later, when it goes through. A session that ends is never held up.

#include "Arvelo/Shell/Application.h"

#include "Arvelo/Commands/ArrangerHotKeys.h"
#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Input/SpatialInputController.h"
#include "Arvelo/Input/WindowDragController.h"
#include "TenvikKit/Controller/TenvikController.h"

#include <algorithm>

namespace arvelo {

bool Application::hasWindowsToRestore() const {
    if (!coordinator_) return false;
    if (coordinator_->managing.get()) return true;
    const auto& windows = coordinator_->windows.get();
    return std::any_of(windows.begin(), windows.end(),
                       [](const std::shared_ptr<WindowRecord>& record) { return record && record->originalFrame; });
}

void Application::requestTerminate() {
    if (terminated_) return;
    if (shouldTerminate() == TerminateReply::cancel) return;
    willTerminate();
    terminated_ = true;
    if (onTerminate) onTerminate();
}

Application::TerminateReply Application::shouldTerminate() {
    if (waitingForRestoration_) return TerminateReply::now;
    if (!coordinator_) return TerminateReply::now;
    if (!hasWindowsToRestore()) return TerminateReply::now;

    waitingForRestoration_ = true;
    coordinator_->stopping = true;
    coordinator_->restore();
    timers_.push_back(services_.dispatch->scheduleTimer(kTerminateRetryDelay, false, platform::RunLoopMode::common,
                                                        [this] { requestTerminate(); }));
    return TerminateReply::cancel;
}

void Application::willTerminate() {
    if (willTerminateRan_) return;
    willTerminateRan_ = true;
    // 1. The kit: its gesture monitor, hot keys, focus lock and pins.
    if (tenvik_) tenvik_->stop();
    // 2. The input controllers stop; windows still out of place go back.
    if (coordinator_) {
        if (coordinator_->windowDrag) coordinator_->windowDrag->stop();
        if (coordinator_->spatialInput) coordinator_->spatialInput->stop();
        if (hasWindowsToRestore()) coordinator_->restore();
    }
    // 3. The arranger's hot keys: every key, then the window-map key, then the handler.
    if (shortcuts_) shortcuts_->uninstall();
}

void Application::sessionWillEnd() {
    // No deferral: the session would end before a retry. Restoring now is all the time we get.
    waitingForRestoration_ = true;
    if (coordinator_ && hasWindowsToRestore()) {
        coordinator_->stopping = true;
        coordinator_->restore();
    }
}

}  // namespace arvelo
