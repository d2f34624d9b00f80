// SPDX-License-Identifier: MIT
// X11Workspace: applications from the client table, requests through window manager
// transactions, notifications from differences between two looks at the desktop.
#include "Platform/X11/X11Workspace.h"

#include "Platform/X11/ApplicationIdentity.h"
#include "Platform/X11/AttributeAnswers.h"
#include "Platform/X11/ClientTable.h"
#include "Platform/X11/WindowManagerRequests.h"
#include "Platform/X11/WindowRoles.h"

#include <algorithm>
#include <cctype>
#include <unistd.h>
#include <utility>

namespace platform::x11 {

namespace {
constexpr double kReadTimeout = 0.5;
constexpr double kRequestTimeout = 1.0;
constexpr unsigned kApplicationFacts = fact::kClass | fact::kKind | fact::kState;

std::vector<RunningApplication> applicationsOf(const ClientTable& table, const xcb_ewmh_connection_t& e,
                                               xcb_window_t root) {
    std::vector<RunningApplication> apps;
    const std::int32_t activePid = table.root.active ? table.pidOf(table.root.active) : 0;
    for (std::size_t i = 0; i < table.clients.size(); ++i) {
        const std::int32_t pid = table.pids[i];
        if (std::any_of(apps.begin(), apps.end(), [pid](const RunningApplication& a) { return a.pid == pid; }))
            continue;
        RunningApplication app;
        app.pid = pid;
        app.activationPolicy = ActivationPolicy::accessory;
        bool anyTopLevel = false, allMinimised = true;
        for (std::size_t j = i; j < table.clients.size(); ++j) {
            if (table.pids[j] != pid) continue;
            const WindowFacts& f = table.clients[j];
            if (!app.applicationID) app.applicationID = applicationIdentifier(f);
            if (!app.localizedName && !f.instance.empty()) app.localizedName = f.instance;
            if (countsAsRegular(f, e, root)) app.activationPolicy = ActivationPolicy::regular;
            if (parentOf(f, root) == XCB_WINDOW_NONE) {
                anyTopLevel = true;
                allMinimised = allMinimised && f.hasState(e._NET_WM_STATE_HIDDEN);
            }
        }
        if (!app.localizedName) app.localizedName = processName(pid);
        app.hidden = anyTopLevel && allMinimised;
        app.active = pid == activePid;
        for (char c : app.localizedName.value_or(""))
            app.iconName.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        apps.push_back(std::move(app));
    }
    return apps;
}

const RunningApplication* findApp(const std::vector<RunningApplication>& apps, std::int32_t pid) {
    const auto it = std::find_if(apps.begin(), apps.end(), [pid](const RunningApplication& a) { return a.pid == pid; });
    return it == apps.end() ? nullptr : &*it;
}
}  // namespace

X11Workspace::X11Workspace(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events)
    : connection_(std::move(connection)) {
    last_ = look();
    subscription_ = events->didReceive.connect([this](const std::vector<EventRecord>& batch) { handle(batch); });
}

X11Workspace::Picture X11Workspace::look() {
    const std::uint64_t generation = connection_->cache().generation();
    {
        std::lock_guard lock(pictureMutex_);
        if (picture_ && pictureGeneration_ == generation) return *picture_;
    }
    const ClientTable table = ClientTable::read(*connection_, rootfact::kActive | rootfact::kDesktops,
                                                kApplicationFacts, Deadline::in(kReadTimeout));
    Picture picture{std::make_shared<const std::vector<RunningApplication>>(
                        applicationsOf(table, *connection_->ewmh(), connection_->root())),
                    table.root.currentDesktop, table.answered};
    std::lock_guard lock(pictureMutex_);
    if (picture.answered) {
        picture_ = picture;
        pictureGeneration_ = generation;
    } else if (picture_) {
        // A read that timed out or answered partly says nothing of applications that quit:
        // the last full answer stands, marked as not answered now.
        return Picture{picture_->applications, picture_->desktop, false};
    }
    return picture;
}

void X11Workspace::handle(const std::vector<EventRecord>& batch) {
    const xcb_ewmh_connection_t& e = *connection_->ewmh();
    const xcb_window_t root = connection_->root();
    const bool changed = std::any_of(batch.begin(), batch.end(), [&](const EventRecord& r) {
        return r.kind == EventRecord::Kind::property && r.window == root &&
               (r.atom == e._NET_CLIENT_LIST || r.atom == e._NET_ACTIVE_WINDOW || r.atom == e._NET_CURRENT_DESKTOP);
    });
    if (!changed) return;
    Picture now = look();
    if (!now.answered) return;
    const Picture before = std::exchange(last_, now);
    for (const RunningApplication& app : *now.applications)
        if (!findApp(*before.applications, app.pid)) didLaunchApplication.notify(app);
    for (const RunningApplication& app : *before.applications)
        if (!findApp(*now.applications, app.pid)) didTerminateApplication.notify(app);
    const auto active = [](const Picture& p) -> const RunningApplication* {
        const auto it = std::find_if(p.applications->begin(), p.applications->end(),
                                     [](const RunningApplication& a) { return a.active; });
        return it == p.applications->end() ? nullptr : &*it;
    };
    const RunningApplication* activeNow = active(now);
    const RunningApplication* activeBefore = active(before);
    if (activeNow && (!activeBefore || activeBefore->pid != activeNow->pid)) didActivateApplication.notify(*activeNow);
    for (const RunningApplication& app : *now.applications) {
        const RunningApplication* earlier = findApp(*before.applications, app.pid);
        if (earlier && earlier->hidden != app.hidden) (app.hidden ? didHideApplication : didUnhideApplication).notify(app);
    }
    if (now.desktop != before.desktop) activeSpaceDidChange.notify();
}

std::vector<RunningApplication> X11Workspace::runningApplications() { return *look().applications; }

std::shared_ptr<const std::vector<RunningApplication>> X11Workspace::sharedApplications() {
    return look().applications;
}

std::optional<RunningApplication> X11Workspace::application(std::int32_t pid) {
    const auto apps = look().applications;
    const RunningApplication* app = findApp(*apps, pid);
    return app ? std::optional(*app) : std::nullopt;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() {
    const auto apps = look().applications;
    for (const RunningApplication& app : *apps)
        if (app.active) return app;
    return std::nullopt;
}

std::int32_t X11Workspace::ownPid() { return static_cast<std::int32_t>(getpid()); }

bool X11Workspace::processEnded(std::int32_t pid) {
    // A stand-in id names no process that could be asked about.
    return pid > 0 && !processAlive(pid);
}

bool X11Workspace::activate(std::int32_t pid, ActivationOptions options) {
    const Deadline deadline = Deadline::in(kRequestTimeout);
    const ClientTable table =
        ClientTable::read(*connection_, rootfact::kStacking | rootfact::kActive, fact::kKind | fact::kState, deadline);
    const DesktopContext context{*connection_->ewmh(), connection_->root()};
    auto target = mainWindowOf(table, pid, context);
    const auto& mine = table.clientsOf(pid);
    if (!target && !mine.empty()) target = table.clients[mine.front()].window;
    if (!target) return false;
    if (options == ActivationOptions::allWindows) {
        // Back to front, so the application's own order stays.
        for (auto it = mine.rbegin(); it != mine.rend(); ++it) {
            WindowManagerTransaction raise(*connection_, table.clients[*it]);
            raise.raise();
            raise.commit(deadline);
        }
    }
    WindowManagerTransaction transaction(*connection_, *table.find(*target));
    transaction.activate(table.root.active == *target);
    transaction.commit(deadline);
    return !connection_->broken();
}

bool X11Workspace::setMinimised(std::int32_t pid, bool minimised) {
    const Deadline deadline = Deadline::in(kRequestTimeout);
    const ClientTable table =
        ClientTable::read(*connection_, rootfact::kStacking, fact::kKind | fact::kState, deadline);
    const auto& mine = table.clientsOf(pid);
    if (mine.empty()) return false;
    for (std::size_t i : mine) {
        if (parentOf(table.clients[i], connection_->root()) != XCB_WINDOW_NONE) continue;
        WindowManagerTransaction transaction(*connection_, table.clients[i]);
        transaction.setMinimised(minimised);
        transaction.commit(deadline);
    }
    return !connection_->broken();
}

bool X11Workspace::unhide(std::int32_t pid) {
    const auto app = application(pid);
    if (!app) return false;
    // Only a hidden application (every window minimised) has anything to unhide.
    return !app->hidden || setMinimised(pid, false);
}

bool X11Workspace::hide(std::int32_t pid) { return setMinimised(pid, true); }

void X11Workspace::yieldActivation(std::int32_t) {
    // X11 has no cooperative hand-over: the activation request itself decides.
}

}  // namespace platform::x11
