// SPDX-License-Identifier: MIT
// Application.cpp: the launch sequence in its fixed order, the workspace observers, and the
// fixture runs chosen by launch flags.

#include "Arvelo/Shell/Application.h"

#include "Arvelo/Map/WindowMap.h"

#include "Arvelo/Commands/ArrangerHotKeys.h"
#include "Arvelo/Commands/URLCommandHandler.h"
#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Verification/DockScenario.h"
#include "Arvelo/Verification/IntegrationVerification.h"
#include "TenvikKit/Controller/TenvikController.h"
#include "TenvikKit/Log/LogChannel.h"

namespace arvelo {

namespace {

constexpr const char* kFixtureOnly = "--fixture-only";
constexpr const char* kIntegrationFixture = "--integration-fixture";
constexpr const char* kDockScenario = "--dock-scenario";

}  // namespace

Application::Application(platform::Services services, LoginItem loginItem)
    : services_(std::move(services)),
      loginItem_(std::move(loginItem)),
      logger_(services_.logger("shell")),
      windowMap_(WindowMap::make(services_)) {}

Application::~Application() {
    for (platform::TimerHandle& timer : timers_) timer.invalidate();
}

ShellHost* Application::arranger() const { return coordinator_.get(); }

std::shared_ptr<CommandHost> Application::commandHost() const { return coordinator_; }

std::shared_ptr<WindowMapHost> Application::mapHost() const { return coordinator_; }

bool Application::fixtureFlag() const {
    const platform::Environment& environment = services_.environment;
    return environment.hasArgument(kFixtureOnly) || environment.hasArgument(kIntegrationFixture) ||
           environment.hasArgument(kDockScenario);
}

void Application::didFinishLaunching() {
    // Activation policy "accessory": on this desktop the program has no main window and
    //    no taskbar entry to begin with, so there is nothing to switch.
    // The arranger, with automatic updates: it refreshes once and starts its beat.
    coordinator_ = Coordinator::make(services_, fixtureFlag(), true);
    if (onCoordinatorMade) onCoordinatorMade(*coordinator_);
    // SIGTERM and SIGINT ask for the normal quit, which restores the windows first.
    if (onInstallTerminationSignals) onInstallTerminationSignals();
    // The status item and its menu.
    if (onInstallStatusItem) onInstallStatusItem();
    updateStatusIcon();
    // The arranger's global hot keys.
    installShortcuts();
    // The kit: import the standalone settings once, create the controller, have its state
    //    changes update the status icon and hand the pinned windows to the coordinator, start it.
    startKit();
    // One window at a time on a start. At the first one the welcome guide shows what this
    // desktop offers and counts as the permissions window having been seen; later, the
    // permissions window shows until it was closed once, whichever way.
    const bool guideShows = tenvik_ && !tenvik_->shared().settings->hasCompletedOnboarding();
    if (guideShows) {
        services_.defaults->setBoolean(kShownPermissionsKey, true);
    } else if (services_.defaults->boolean(kShownPermissionsKey) != true) {
        if (onShowPermissions) onShowPermissions();
    }
    // Workspace observers.
    installWorkspaceObservers();
    // Fixture runs chosen by launch flags.
    runFixtureModes();
    // URLs given on the command line run once the program stands, as handed-over ones do.
    const std::vector<std::string> urls = urlsAmong(services_.environment.arguments);
    if (!urls.empty()) open(urls);
}

void Application::startKit() {
    tenvik::Log::configure(services_.log, std::make_shared<tenvik::FileLogSink>(services_.folders.logs));
    tenvik::TenvikController::importStandaloneSettings(*services_.defaults);
    tenvik::KitShared shared = tenvik::KitShared::make(services_, std::string(kApplicationID));
    shared.pinPreviewHost = pinPreviewHost;
    kitLogSetting_ = tenvik::Log::followDebugLoggingSetting(services_.defaults, *shared.center);
    tenvik_ = std::make_unique<tenvik::TenvikController>(services_, std::move(shared), std::string(kApplicationID));
    tenvik_->onStateChange = [this] {
        updateStatusIcon();
        if (arranger() && tenvik_) arranger()->setPinned(tenvik_->pinnedWindowIDs());
    };
    // A kit shortcut that cannot be had is told on the status line, as the arranger's are.
    auto activity = tenvik_->shared().activity;
    const auto reportShortcutError = [this, weakActivity = std::weak_ptr<tenvik::ActivityMonitor>(activity)] {
        const auto monitor = weakActivity.lock();
        if (!monitor || !arranger() || !monitor->hotKeyRegistrationError.get()) return;
        arranger()->setStatus(std::string(kKitShortcutInUseStatus) + *monitor->hotKeyRegistrationError.get());
    };
    activity->hotKeyRegistrationError.changes.subscribe(reportShortcutError);
    if (onKitCreated) onKitCreated(*tenvik_);
    tenvik_->start();
}

void Application::installWorkspaceObservers() {
    const std::weak_ptr<ShellHost> weakArranger = std::shared_ptr<ShellHost>(coordinator_);
    platform::Workspace& workspace = *services_.workspace;
    workspaceObservers_.push_back(workspace.didActivateApplication.connect(
        [weakArranger, dispatch = services_.dispatch](const platform::RunningApplication&) {
            auto arranger = weakArranger.lock();
            if (!arranger) return;
            arranger->restackTabBars();
            dispatch->after(kRestackAgainDelay, [weakArranger] {
                if (auto later = weakArranger.lock()) later->restackTabBars();
            });
        }));
    workspaceObservers_.push_back(workspace.activeSpaceDidChange.connect([weakArranger] {
        auto arranger = weakArranger.lock();
        if (!arranger || !arranger->model().managing.get()) return;
        arranger->refresh([weakArranger] {
            if (auto later = weakArranger.lock()) later->desktopChanged();
        });
    }));
}

void Application::runFixtureModes() {
    const platform::Environment& environment = services_.environment;
    // The dock scenario quits when it is done, with status 1 when it could not start (the
    // arranger may have arranged the windows meanwhile: the normal quit puts them back).
    if (environment.hasArgument(kDockScenario)) {
        fixture::DockScenario::run(coordinator_, writePng, [this](bool completed) {
            if (!completed) exitStatus_ = 1;
            requestTerminate();
        });
    }
    // The verification writes its report and leaves the program running, its verdict on the
    // status line.
    if (environment.hasArgument(kIntegrationFixture)) {
        fixture::IntegrationVerification::run(coordinator_, [this](const fixture::IntegrationVerification::Outcome& o) {
            if (o.blocked)
                logger_.error("Fixture verification blocked: " + arranger()->model().status.get());
            else
                logger_.info(arranger()->model().status.get());
        });
    }
    if (environment.hasArgument(kFixtureOnly)) {
        timers_.push_back(services_.dispatch->scheduleTimer(kFixtureOnlyLifetime, false, platform::RunLoopMode::common,
                                                            [this] { requestTerminate(); }));
    }
}

std::vector<std::string> Application::urlsAmong(const std::vector<std::string>& arguments) {
    std::vector<std::string> urls;
    for (const std::string& argument : arguments) {
        if (!argument.empty() && argument[0] != '-') urls.push_back(argument);
    }
    return urls;
}

void Application::handOver(const std::vector<std::string>& arguments) {
    const std::vector<std::string> urls = urlsAmong(arguments);
    logger_.info("A later launch handed over " + std::to_string(urls.size()) + " URL(s)");
    // Starting the program again with nothing to say (its menu entry clicked a second time)
    // brings its main window forward.
    if (arguments.empty()) {
        if (ShellHost* host = arranger()) host->showDashboard();
        return;
    }
    if (tenvik_) tenvik_->handleLaunchArguments(arguments);
    if (!urls.empty()) open(urls);
}

}  // namespace arvelo
