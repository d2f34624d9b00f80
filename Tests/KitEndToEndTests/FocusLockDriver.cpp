// SPDX-License-Identifier: MIT
// FocusLockDriver.cpp: a small program that holds the kit's focus lock on a real X11 desktop,
// for the end-to-end tests: it locks the application in front once it starts (arguments: the
// identifiers the user allows) and prints "locked <pid>" when it holds the lock, and
// "state locked=<pid|none> paused=<0|1>" after every change.
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/UserDefaults.h"
#include "Platform/X11/X11Backend.h"
#include "TenvikKit/FocusLock/FocusLockManager.h"
#include "TenvikKit/Log/LogChannel.h"
#include "TenvikKit/Settings/AppSettings.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    auto dispatcher = std::make_shared<platform::qt::QtDispatcher>();
    const auto backend = platform::x11::X11Backend::connect(dispatcher);
    if (!backend) {
        std::fprintf(stderr, "focus-lock-driver: no X server\n");
        return 1;
    }
    platform::Services services;
    services.dispatch = dispatcher;
    services.clock = dispatcher;
    backend->fill(services);
    tenvik::Log::configure(std::make_shared<platform::StderrLogSink>(), nullptr);

    tenvik::NotificationCenter center;
    tenvik::AppSettings settings(std::make_shared<platform::UserDefaults>(), center);
    std::vector<std::string> allowed;
    for (int i = 1; i < argc; ++i) allowed.emplace_back(argv[i]);
    settings.setFocusAllowedApplicationIDs(allowed);

    tenvik::FocusLockManager lock(services.workspace, dispatcher, settings, "org.vomira.Arvelo");
    lock.onStateChange = [&lock] {
        const auto& locked = lock.lockedApplication();
        std::printf("state locked=%s paused=%d\n", locked ? std::to_string(locked->pid).c_str() : "none",
                    lock.isPaused() ? 1 : 0);
        std::fflush(stdout);
    };
    QTimer::singleShot(0, &application, [&lock] {
        lock.lockCurrentFrontmostApp();
        if (const auto& locked = lock.lockedApplication()) {
            std::printf("locked %d\n", locked->pid);
            std::fflush(stdout);
        }
    });
    return QCoreApplication::exec();
}
