// SPDX-License-Identifier: MIT
// Desktop.cpp: building the simulated desktop's services and the scripting handles.
#include "Platform/Sim/Desktop.h"

#include <utility>

#include "Platform/Sim/SimAccessibility.h"
#include "Platform/Sim/SimPointer.h"
#include "Platform/Sim/SimScreenCapture.h"
#include "Platform/Sim/SimScreens.h"
#include "Platform/Sim/SimSpaces.h"
#include "Platform/Sim/SimWindowList.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace platform::sim {

namespace {
std::filesystem::path makeTemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vomira-sim-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) throw std::runtime_error("cannot create a temporary folder");
    return name.data();
}
}  // namespace

// --- WindowHandle

Window& WindowHandle::state() const {
    Window* window = world_->window(number_);
    if (!window) throw std::logic_error("no window " + std::to_string(number_));
    return *window;
}

std::int32_t WindowHandle::pid() const { return state().pid; }
AccessElement WindowHandle::element() const { return AccessElement::windowOf(pid(), number_); }
bool WindowHandle::alive() const { return world_->liveWindow(number_) != nullptr; }

arvelo::Rect WindowHandle::frame() const {
    world_->settle();
    return state().frame;
}

WindowHandle& WindowHandle::minimumSize(arvelo::Size size) {
    state().behaviour.minimumSize = size;
    return *this;
}

WindowHandle& WindowHandle::maximumSize(arvelo::Size size) {
    state().behaviour.maximumSize = size;
    return *this;
}

WindowHandle& WindowHandle::sizeRules(SizeRules rules) {
    state().behaviour.sizeRules = rules;
    return *this;
}

WindowHandle& WindowHandle::lag(Seconds seconds) {
    state().behaviour.lag = seconds;
    return *this;
}

WindowHandle& WindowHandle::snapsBack(Seconds after, std::optional<arvelo::Rect> to) {
    state().behaviour.snapBackAfter = after;
    state().behaviour.snapBackTo = to.value_or(frame());
    return *this;
}

WindowHandle& WindowHandle::refusesWrites(AccessError error) {
    state().behaviour.refuseWrites = error;
    return *this;
}

WindowHandle& WindowHandle::acceptsWrites() {
    state().behaviour.refuseWrites.reset();
    return *this;
}

WindowHandle& WindowHandle::heldByManager(bool held) {
    state().behaviour.heldByManager = held;
    return *this;
}

WindowHandle& WindowHandle::settable(bool position, bool size) {
    state().positionSettable = position;
    state().sizeSettable = size;
    return *this;
}

WindowHandle& WindowHandle::refusesClose(bool refuses) {
    state().behaviour.refusesClose = refuses;
    return *this;
}

WindowHandle& WindowHandle::moveTo(const arvelo::Rect& frame) {
    world_->setFrame(number_, frame);
    return *this;
}

WindowHandle& WindowHandle::setTitle(std::string title) {
    state().title = std::move(title);
    world_->windowChanged(number_);
    return *this;
}

WindowHandle& WindowHandle::minimize(bool minimized) {
    world_->setMinimized(number_, minimized);
    return *this;
}

WindowHandle& WindowHandle::unmanaged(bool unmanaged) {
    if (unmanaged) {
        world_->unmanagedWindows.insert(number_);
    } else if (world_->unmanagedWindows.erase(number_) > 0 && world_->onWindowShown) {
        world_->onWindowShown();
    }
    return *this;
}

WindowHandle& WindowHandle::setFullScreen(bool fullScreen) {
    state().fullScreen = fullScreen;
    return *this;
}

WindowHandle& WindowHandle::maximize(const arvelo::Rect& frame, int axes) {
    if (state().maximizedAxes == 0) state().unmaximizedFrame = state().frame;
    moveTo(frame);
    state().maximizedAxes = axes;
    return *this;
}

WindowHandle& WindowHandle::unmaximize() {
    state().maximizedAxes = 0;
    if (const auto before = std::exchange(state().unmaximizedFrame, std::nullopt)) moveTo(*before);
    return *this;
}

WindowHandle& WindowHandle::setSpaces(std::set<SpaceID> spaces) {
    state().spaces = std::move(spaces);
    return *this;
}

WindowHandle& WindowHandle::raise() {
    world_->raise(number_);
    return *this;
}

void WindowHandle::vanish() { world_->vanish(number_); }

WindowHandle WindowHandle::openSheet(std::string title, const arvelo::Rect& frame) {
    WindowSpec spec;
    spec.title = std::move(title);
    spec.frame = frame;
    spec.role = std::string(ax::kSheetRole);
    spec.subrole.reset();
    spec.parent = number_;
    spec.spaces = state().spaces;
    const Window& sheet = world_->open(pid(), spec);
    return WindowHandle(world_, sheet.number);
}

WindowHandle WindowHandle::openDialog(std::string title, const arvelo::Rect& frame) {
    WindowSpec spec;
    spec.title = std::move(title);
    spec.frame = frame;
    spec.subrole = std::string(ax::kDialogSubrole);
    spec.parent = number_;
    spec.spaces = state().spaces;
    const Window& dialog = world_->open(pid(), spec);
    return WindowHandle(world_, dialog.number);
}

// --- AppHandle

App& AppHandle::state() const {
    App* app = world_->app(pid_);
    if (!app) throw std::logic_error("no application " + std::to_string(pid_));
    return *app;
}

WindowHandle AppHandle::openWindow(std::string title, const arvelo::Rect& frame) {
    WindowSpec spec;
    spec.title = std::move(title);
    spec.frame = frame;
    return openWindow(spec);
}

WindowHandle AppHandle::openWindow(const WindowSpec& spec) {
    const Window& window = world_->open(pid_, spec);
    return WindowHandle(world_, window.number);
}

AppHandle& AppHandle::respondsAfter(Seconds seconds) {
    state().behaviour.responseTime = seconds;
    return *this;
}

AppHandle& AppHandle::failsWindowsRead(AccessError error) {
    state().behaviour.windowsReadError = error;
    return *this;
}

AppHandle& AppHandle::answersEmptyWindowList(bool empty) {
    state().behaviour.windowsListEmpty = empty;
    return *this;
}

void AppHandle::activate() { world_->activate(pid_); }
void AppHandle::hide() { world_->setHidden(pid_, true); }
void AppHandle::unhide() { world_->setHidden(pid_, false); }
void AppHandle::quit() { world_->quit(pid_); }

// --- Desktop

Desktop::Desktop()
    : clock_(std::make_shared<VirtualClock>()),
      world_(std::make_shared<World>(clock_)),
      log_(std::make_shared<CapturedLog>()),
      defaults_(std::make_shared<UserDefaults>()),
      workspace_(std::make_shared<SimWorkspace>(world_)),
      temporaryFolder_(makeTemporaryFolder()),
      folders_(Folders::under(temporaryFolder_)) {
    services_.dispatch = clock_;
    services_.clock = clock_;
    services_.accessibility = std::make_shared<SimAccessibility>(world_);
    services_.windowList = std::make_shared<SimWindowList>(world_);
    services_.spaces = std::make_shared<SimSpaces>(world_);
    services_.screens = std::make_shared<SimScreens>(world_);
    services_.workspace = workspace_;
    services_.pointer = std::make_shared<SimPointer>(world_);
    mouse_ = std::make_shared<SimMouseMonitor>(world_);
    services_.mouseMonitor = mouse_;
    eventTap_ = std::make_shared<SimEventTap>(clock_);
    services_.eventTap = eventTap_;
    services_.screenCapture = std::make_shared<SimScreenCapture>(world_);
    liveCapture_ = std::make_shared<SimLiveCapture>(world_);
    services_.liveCapture = liveCapture_;
    services_.hotKeys = hotKeys_;
    panels_ = std::make_shared<SimPanels>(world_);
    services_.panels = panels_;
    services_.defaults = defaults_;
    services_.log = log_;
}

Desktop::~Desktop() {
    std::error_code error;
    std::filesystem::remove_all(temporaryFolder_, error);
}

Services Desktop::services() {
    Services services = services_;
    services.folders = folders_;
    services.environment = environment_;
    return services;
}

std::size_t Desktop::addDisplay(std::string name, arvelo::Size size) {
    double x = 0;
    for (const auto& display : world_->displays()) x = std::max(x, display.frame.maxX());
    Display display;
    display.name = std::move(name);
    display.frame = {x, 0, size.width, size.height};
    return addDisplay(std::move(display));
}

std::size_t Desktop::addDisplay(Display display) { return world_->addDisplay(std::move(display)); }

AppHandle Desktop::launch(std::string applicationID, std::string name) {
    App app;
    if (!applicationID.empty()) app.applicationID = std::move(applicationID);
    app.name = std::move(name);
    return launch(std::move(app));
}

AppHandle Desktop::launch(App app) {
    const App& launched = world_->launch(std::move(app));
    return AppHandle(world_, launched.pid);
}

}  // namespace platform::sim

// --- The user's mouse

namespace platform::sim {

void Desktop::mouseDown(arvelo::Point at, std::uint64_t flags) {
    mouse_->press(at, flags);
    clock_->drain();
}

void Desktop::mouseDrag(arvelo::Point to, std::uint64_t flags) {
    mouse_->drag(to, flags);
    clock_->drain();
}

void Desktop::mouseUp(std::uint64_t flags) {
    mouse_->release(flags);
    clock_->drain();
}

void Desktop::mouseMove(arvelo::Point to, std::uint64_t flags) {
    mouse_->move(to, flags);
    clock_->drain();
}

void Desktop::buttonDown(std::uint32_t button) { mouse_->pressButton(button); }

void Desktop::buttonUp(std::uint32_t button, std::uint64_t flags) {
    mouse_->releaseButton(button, flags);
    clock_->drain();
}

void Desktop::tapDown(arvelo::Point at, std::uint64_t flags, std::int64_t button) {
    eventTap_->press(at, flags, button);
    clock_->drain();
}

void Desktop::tapDrag(arvelo::Point to, std::uint64_t flags) {
    eventTap_->drag(to, flags);
    clock_->drain();
}

void Desktop::tapUp(std::int64_t button, std::uint64_t flags) {
    eventTap_->release(button, flags);
    clock_->drain();
}

void Desktop::pinch(arvelo::Point at, double magnification, GesturePhase phase, std::uint64_t flags) {
    mouse_->pinch(at, magnification, phase, flags);
    clock_->drain();
}

}  // namespace platform::sim
