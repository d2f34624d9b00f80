// SPDX-License-Identifier: MIT
// ContractDesktop: the simulated desktop scripted to look like the Xvfb desktop the real cases
// run on (one 1920x1080 display with a 24-pixel tray at the bottom, the fixture application's
// three windows, xlogo), and the real desktop driven through the X11 backend.
#include "ContractDesktop.h"

#include "ChildProcess.h"
#include "Wait.h"

#include "Platform/Qt/QtDispatcher.h"
#include "Platform/Sim/Desktop.h"
#include "Platform/X11/X11Backend.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace contract {

namespace {
constexpr double kWaitSeconds = 5.0;
constexpr double kSimulatedStep = 0.05;
constexpr double kPauseSeconds = 0.5;
constexpr double kReadTimeout = 0.25;

std::size_t windowCount(platform::Accessibility& ax, std::int32_t pid) {
    const auto windows =
        ax.copyAttributeValue(platform::AccessElement::application(pid), platform::ax::kWindows, kReadTimeout);
    return windows.ok() && windows.value.elements() ? windows.value.elements()->size() : 0;
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }
}  // namespace

ContractDesktop makeSimulatedDesktop() {
    auto desktop = std::make_shared<platform::sim::Desktop>();
    platform::sim::Display display;
    display.name = "M1";
    display.frame = arvelo::Rect(0, 0, 1920, 1080);
    display.visibleFrame = arvelo::Rect(0, 0, 1920, 1056);
    desktop->addDisplay(display);

    ContractDesktop d;
    d.name = "Sim";
    d.services = desktop->services();
    d.state = desktop;
    platform::sim::Desktop& sim = *desktop;
    d.openFixture = [&sim] {
        auto app = sim.launch(kFixtureIdentifier, "ArveloFixture");
        // Outer frames as the window manager decorates the fixture's windows.
        app.openWindow(kFixtureTitles[0], arvelo::Rect(60, 50, 642, 505));
        app.openWindow(kFixtureTitles[1], arvelo::Rect(120, 100, 642, 505));
        app.openWindow(kFixtureTitles[2], arvelo::Rect(180, 150, 1102, 785)).minimumSize({1102, 785});
        return OpenedApp{app.pid()};
    };
    d.openTerminal = [&sim]() -> std::optional<OpenedApp> {
        auto app = sim.launch("XTerm", "xterm");
        // xterm's cells in the fixed font, inside openbox's decorations.
        app.openWindow("xterm", arvelo::Rect(0, 0, 486, 341)).sizeRules({{12, 42}, std::nullopt, {6, 29}, {6, 13}});
        return OpenedApp{app.pid()};
    };
    d.openXlogo = [&sim]() -> std::optional<OpenedApp> {
        auto app = sim.launch("XLogo", "xlogo");
        app.openWindow("xlogo", arvelo::Rect(0, 0, 102, 125));
        return OpenedApp{app.pid()};
    };
    d.waitUntil = [&sim](const std::function<bool()>& condition) {
        for (double waited = 0; waited <= kWaitSeconds; waited += kSimulatedStep) {
            if (condition()) return true;
            sim.advance(kSimulatedStep);
        }
        return false;
    };
    d.pause = [&sim] { sim.advance(kPauseSeconds); };
    d.switchToSpace = [&sim](platform::SpaceID space) { sim.switchSpace(0, space); };
    d.sendWindowToSpace = [&sim](std::uint32_t window, platform::SpaceID space) {
        sim.window(window).setSpaces({space});
    };
    d.movePointer = [&sim](arvelo::Point point) { sim.movePointer(point); };
    return d;
}

namespace {
struct X11State {
    std::shared_ptr<platform::qt::QtDispatcher> dispatch;
    std::shared_ptr<platform::x11::X11Backend> backend;
    std::vector<std::unique_ptr<e2e::ChildProcess>> children;
};

bool installed(const char* program) { return run(std::string("command -v ") + program + " >/dev/null 2>&1"); }
}  // namespace

std::unique_ptr<ContractDesktop> makeX11Desktop() {
    auto state = std::make_shared<X11State>();
    state->dispatch = std::make_shared<platform::qt::QtDispatcher>();
    state->backend = platform::x11::X11Backend::connect(state->dispatch);
    if (!state->backend) return nullptr;

    auto d = std::make_unique<ContractDesktop>();
    d->name = "X11";
    d->services.dispatch = state->dispatch;
    d->services.clock = state->dispatch;
    state->backend->fill(d->services);
    d->state = state;
    X11State& s = *state;
    platform::Accessibility& ax = *d->services.accessibility;
    platform::Workspace& workspace = *d->services.workspace;

    d->openFixture = [&s, &ax] {
        auto& child = s.children.emplace_back(std::make_unique<e2e::ChildProcess>(ARVELO_FIXTURE_PATH));
        const std::int32_t pid = child->pid();
        return OpenedApp{e2e::waitWithEvents(kWaitSeconds, [&] { return windowCount(ax, pid) == 3; }) ? pid : 0};
    };
    d->openXlogo = [&s, &workspace]() -> std::optional<OpenedApp> {
        if (!installed("xlogo")) return std::nullopt;
        s.children.emplace_back(std::make_unique<e2e::ChildProcess>("xlogo"));
        OpenedApp opened;
        e2e::waitWithEvents(kWaitSeconds, [&] {
            for (const auto& app : workspace.runningApplications())
                if (app.applicationID == "XLogo") opened.pid = app.pid;
            return opened.pid != 0;
        });
        return opened;
    };
    d->openTerminal = [&s, &workspace]() -> std::optional<OpenedApp> {
        if (!installed("xterm")) return std::nullopt;
        s.children.emplace_back(std::make_unique<e2e::ChildProcess>("xterm"));
        OpenedApp opened;
        e2e::waitWithEvents(kWaitSeconds, [&] {
            for (const auto& app : workspace.runningApplications())
                if (app.applicationID == "XTerm") opened.pid = app.pid;
            return opened.pid != 0;
        });
        return opened;
    };
    d->waitUntil = [](const std::function<bool()>& condition) { return e2e::waitWithEvents(kWaitSeconds, condition); };
    d->pause = [] { e2e::waitWithEvents(kPauseSeconds, [] { return false; }); };
    d->switchToSpace = [](platform::SpaceID space) { run("wmctrl -s " + std::to_string(space - 1)); };
    d->sendWindowToSpace = [](std::uint32_t window, platform::SpaceID space) {
        run("wmctrl -i -r " + std::to_string(window) + " -t " + std::to_string(space - 1));
    };
    d->movePointer = [](arvelo::Point p) {
        run("xdotool mousemove " + std::to_string(int(p.x)) + " " + std::to_string(int(p.y)));
    };
    return d;
}

}  // namespace contract
