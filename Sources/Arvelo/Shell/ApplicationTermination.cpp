// SPDX-License-Identifier: MIT
// ApplicationTermination.cpp: the quit path. The first quit while windows are arranged (or
// still remember their original frames) is refused: the windows go back, and the quit is
// issued again 1.5 s later, when it goes through. A session that ends is never held up.

#include "Arvelo/Shell/Application.h"

#include "Arvelo/Commands/ArrangerHotKeys.h"
#include "Arvelo/Commands/ShellHost.h"
#include "TenvikKit/Controller/TenvikController.h"

namespace arvelo {

bool Application::hasWindowsToRestore() const { return arranger() && arranger()->hasWindowsToRestore(); }

void Application::requestTerminate() {
    if (terminated_) return;
    if (shouldTerminate() == TerminateReply::cancel) return;
    willTerminate();
    terminated_ = true;
    if (onTerminate) onTerminate();
}

Application::TerminateReply Application::shouldTerminate() {
    if (waitingForRestoration_) return TerminateReply::now;
    if (!arranger()) return TerminateReply::now;
    if (!hasWindowsToRestore()) return TerminateReply::now;

    waitingForRestoration_ = true;
    arranger()->restoreForQuit();
    timers_.push_back(services_.dispatch->scheduleTimer(kTerminateRetryDelay, false, platform::RunLoopMode::common,
                                                        [this] { requestTerminate(); }));
    return TerminateReply::cancel;
}

void Application::willTerminate() {
    if (willTerminateRan_) return;
    willTerminateRan_ = true;
    // The kit first: its gesture monitor, hot keys, focus lock and pins.
    if (tenvik_) tenvik_->stop();
    // The arranger's input controllers stop; windows still out of place go back.
    if (arranger()) arranger()->shutDown();
    // Last the arranger's hot keys: every key, then the window-map key, then the handler.
    if (shortcuts_) shortcuts_->uninstall();
}

void Application::sessionWillEnd() {
    // No deferral: the session would end before a retry. Restoring now is all the time we get.
    waitingForRestoration_ = true;
    if (hasWindowsToRestore()) arranger()->restoreForQuit();
}

}  // namespace arvelo
