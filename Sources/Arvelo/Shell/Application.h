// SPDX-License-Identifier: MIT
// Application.h: the application delegate, the one object that ties the arranger and the kit
// together. It owns the coordinator for the life of the process, runs the launch sequence in
// its fixed order, builds the status menu and runs its actions, and answers every quit
// request, deferring the first one while windows still have to go back to their frames.
// Plain C++ over the platform services: the Qt host (ApplicationHost) binds its outward
// callbacks to the tray, the permissions window, the signal sources and the event loop.
#pragma once

#include "Arvelo/Shell/LoginItem.h"
#include "Arvelo/Shell/StatusMenu.h"
#include "Arvelo/Verification/Screenshots.h"
#include "Platform/Services.h"
#include "TenvikKit/Pins/PinPreviewHost.h"
#include "TenvikKit/Status/StatusIconChoice.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tenvik {
class TenvikController;
}

namespace arvelo {

class ArrangerHotKeys;
class CommandHost;
class Coordinator;
class ShellHost;
class URLCommandHandler;
class WindowMap;
class WindowMapHost;

class Application {
public:
    enum class TerminateReply { now, cancel };

    static constexpr const char* kApplicationID = "org.vomira.Arvelo";
    static constexpr const char* kShownPermissionsKey = "shownPermissions";
    static constexpr const char* kWindowMapEnabledKey = "windowMapEnabled";
    static constexpr double kRestackAgainDelay = 0.15;
    static constexpr double kTerminateRetryDelay = 1.5;
    static constexpr double kFixtureOnlyLifetime = 180;
    // Followed by the kit's error text ("Super+Alt+F is held by another program. Record ...").
    static constexpr const char* kKitShortcutInUseStatus = "A Rev & Uzidu shortcut is not available: ";

    Application(platform::Services services, LoginItem loginItem);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // ---- Outward callbacks, set by the host before launching.
    // At launch: turn SIGTERM, then SIGINT, into main-loop sources that call requestTerminate().
    std::function<void()> onInstallTerminationSignals;
    // At launch: show the status item; its menu asks menuNeedsUpdate() at every opening.
    std::function<void()> onInstallStatusItem;
    // The status item's tool tip changed (updateStatusIcon).
    std::function<void(const std::string& toolTip)> onStatusIconChange;
    // The status item's image changed: the kit's state image while the kit is not idle,
    // absent for the program's own symbol (updateStatusIcon).
    std::function<void(const std::optional<tenvik::StatusIconChoice>& kitImage)> onStatusImageChange;
    // The kit controller exists and is about to start: its settings and onboarding windows
    // are plugged in here.
    std::function<void(tenvik::TenvikController&)> onKitCreated;
    // Shows (or fronts) the permissions window.
    std::function<void()> onShowPermissions;
    // The quit went through: the host ends its event loop.
    std::function<void()> onTerminate;
    // At launch, right after the coordinator is made: the host binds its views (the chrome).
    std::function<void(Coordinator&)> onCoordinatorMade;
    // Writes the fixture runs' screenshots as PNG files (set by the host; none: no pictures).
    fixture::PngWriter writePng;
    // Fills the pins' preview panels with their views (set by the host; none: the panels keep
    // model surfaces only).
    tenvik::PinPreviewHost pinPreviewHost;

    // ---- Launch (the platform reports that launching has finished).
    void didFinishLaunching();

    // ---- Termination.
    // Asks the application to quit: the answer of shouldTerminate() decides, and a quit that
    // goes through runs willTerminate() and then onTerminate.
    void requestTerminate();
    TerminateReply shouldTerminate();
    void willTerminate();
    // The desktop session is ending: it must not be held up. Puts the windows back at once
    // and lets every later quit request through.
    void sessionWillEnd();

    // ---- The arranger's global hot keys and URL commands (ApplicationShortcuts.cpp).
    // At launch: registers the arranger's hot keys.
    void installShortcuts();
    // Runs the command of each URL, in order (URLs given on the command line or handed over
    // by a later launch).
    void open(const std::vector<std::string>& urls);
    // A later launch handed over its arguments: the URLs among them are opened, and the kit
    // acts on its own ("--open-settings=<tab>", "--open-onboarding").
    void handOver(const std::vector<std::string>& arguments);
    // The arguments that are not flags: the URLs of a launch.
    static std::vector<std::string> urlsAmong(const std::vector<std::string>& arguments);

    // ---- Status item and menu.
    Menu menuNeedsUpdate();
    void updateStatusIcon();

    // ---- Menu actions.
    void openDashboard();
    void openPermissions();
    void arrange();
    void restore();
    void recallLayout(int slot);
    void saveLayout(int slot);
    void toggleWindowMap();
    void overview();
    void toggleLogin();
    void quit();

    // ---- State.
    const std::shared_ptr<Coordinator>& coordinator() const { return coordinator_; }
    tenvik::TenvikController* tenvik() const { return tenvik_.get(); }
    bool waitingForRestoration() const { return waitingForRestoration_; }
    // The window map, opened by Ctrl+Alt+W, "arvelo://map" and closed by the menu switch; the host
    // sets how it is shown.
    const std::shared_ptr<WindowMap>& windowMap() const { return windowMap_; }
    bool terminated() const { return terminated_; }
    // The status the process ends with: 1 after a fixture run that could not start.
    int exitStatus() const { return exitStatus_; }

private:
    // The coordinator as the delegate itself, the hot keys and URL commands, and the window
    // map see it (absent before launch).
    ShellHost* arranger() const;
    std::shared_ptr<CommandHost> commandHost() const;
    std::shared_ptr<WindowMapHost> mapHost() const;
    bool hasWindowsToRestore() const;
    void installWorkspaceObservers();
    void startKit();
    void runFixtureModes();
    bool fixtureFlag() const;

    platform::Services services_;
    LoginItem loginItem_;
    platform::Logger logger_;

    // The delegate's fields.
    std::shared_ptr<Coordinator> coordinator_;
    std::unique_ptr<ArrangerHotKeys> shortcuts_;      // from launch until termination
    std::unique_ptr<URLCommandHandler> urlCommands_;  // made at the first URL
    std::shared_ptr<WindowMap> windowMap_;
    std::unique_ptr<tenvik::TenvikController> tenvik_;  // from launch for the life of the process
    platform::Subscription kitLogSetting_;
    bool waitingForRestoration_ = false;
    // The last failed "Open at Login" change, kept in the tool tip until a change succeeds
    // (the status line moves on with the next arrangement).
    std::optional<std::string> loginProblem_;

    std::vector<platform::Subscription> workspaceObservers_;
    std::vector<platform::TimerHandle> timers_;  // invalidated with the delegate
    bool terminated_ = false;
    int exitStatus_ = 0;
    bool willTerminateRan_ = false;
};

}  // namespace arvelo
