// SPDX-License-Identifier: MIT
// Desktop.h: the simulated desktop as tests script it: displays, applications and windows in
// a few lines, their behaviour, the pointer, permissions, time, and the platform services over
// it all (platform::Services) for the logic under test. Folders are a temporary folder that
// goes away with the desktop; user defaults live in memory; the log is captured.
#pragma once

#include "Platform/Services.h"
#include "Platform/Sim/CallLog.h"
#include "Platform/Sim/SimEventTap.h"
#include "Platform/Sim/SimHotKeys.h"
#include "Platform/Sim/SimLiveCapture.h"
#include "Platform/Sim/SimMouseMonitor.h"
#include "Platform/Sim/SimPanels.h"
#include "Platform/Sim/SimWorkspace.h"
#include "Platform/Sim/VirtualClock.h"
#include "Platform/Sim/World.h"

#include <filesystem>
#include <memory>
#include <string>

namespace platform::sim {

// A scripted window. Handles are cheap copies naming one window of the world.
class WindowHandle {
public:
    WindowHandle(std::shared_ptr<World> world, std::uint32_t number) : world_(std::move(world)), number_(number) {}

    std::uint32_t number() const { return number_; }
    std::int32_t pid() const;
    AccessElement element() const;
    Window& state() const;       // the model, for anything not offered below
    arvelo::Rect frame() const;  // as reads see it now
    bool alive() const;

    // Behaviour.
    WindowHandle& minimumSize(arvelo::Size size);
    WindowHandle& maximumSize(arvelo::Size size);
    // Size rules the window states (as a terminal states its character cells): every size
    // written is fitted to them, and the platform tells the fitted size.
    WindowHandle& sizeRules(SizeRules rules);
    WindowHandle& lag(Seconds seconds);
    // After each write takes effect the window returns, `after` seconds later, to `to`
    // (by default the frame it has now).
    WindowHandle& snapsBack(Seconds after, std::optional<arvelo::Rect> to = std::nullopt);
    WindowHandle& refusesWrites(AccessError error);
    WindowHandle& acceptsWrites();
    // The window manager keeps the window where it is: writes succeed and change nothing.
    WindowHandle& heldByManager(bool held = true);
    WindowHandle& settable(bool position, bool size);
    WindowHandle& refusesClose(bool refuses = true);

    // What the user or the application does to it.
    WindowHandle& moveTo(const arvelo::Rect& frame);
    WindowHandle& setTitle(std::string title);
    WindowHandle& minimize(bool minimized = true);
    WindowHandle& setFullScreen(bool fullScreen = true);
    // The window manager maximises the window to `frame` (both axes; one axis: its edge
    // tiling); un-maximising puts it back where it was.
    WindowHandle& maximize(const arvelo::Rect& frame, int axes = 2);
    WindowHandle& unmaximize();
    WindowHandle& setSpaces(std::set<SpaceID> spaces);
    WindowHandle& raise();
    // No window manager manages it (one being replaced or restarted, or its client withdrew
    // it): it exists, but no list names it and no read or write reaches it, until managed again.
    WindowHandle& unmanaged(bool unmanaged = true);
    void vanish();

    // A sheet or a dialog that belongs to this window.
    WindowHandle openSheet(std::string title, const arvelo::Rect& frame);
    WindowHandle openDialog(std::string title, const arvelo::Rect& frame);

private:
    std::shared_ptr<World> world_;
    std::uint32_t number_;
};

// A scripted application.
class AppHandle {
public:
    AppHandle(std::shared_ptr<World> world, std::int32_t pid) : world_(std::move(world)), pid_(pid) {}

    std::int32_t pid() const { return pid_; }
    AccessElement element() const { return AccessElement::application(pid_); }
    App& state() const;

    WindowHandle openWindow(std::string title, const arvelo::Rect& frame);
    WindowHandle openWindow(const WindowSpec& spec);

    // Behaviour.
    AppHandle& respondsAfter(Seconds seconds);
    AppHandle& failsWindowsRead(AccessError error);
    AppHandle& answersEmptyWindowList(bool empty = true);

    void activate();
    void hide();
    void unhide();
    void quit();

private:
    std::shared_ptr<World> world_;
    std::int32_t pid_;
};

class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // The services over this desktop, for the logic under test (the same objects every call).
    Services services();

    VirtualClock& clock() { return *clock_; }
    World& world() { return *world_; }
    CallLog& calls() { return world_->calls(); }
    CapturedLog& log() { return *log_; }
    UserDefaults& defaults() { return *defaults_; }
    SimWorkspace& workspace() { return *workspace_; }
    SimHotKeys& hotKeys() { return *hotKeys_; }
    // This program's panels (tab bars, seam handles, ...) as the desktop shows them.
    SimPanels& panels() { return *panels_; }
    SimLiveCapture& liveCapture() { return *liveCapture_; }
    Environment& environment() { return environment_; }
    const Folders& folders() const { return folders_; }
    const std::filesystem::path& temporaryFolder() const { return temporaryFolder_; }

    // Displays: a named display of a size to the right of the last one (top edges aligned),
    // or one given in full. Frames are in the top-left-origin space.
    std::size_t addDisplay(std::string name, arvelo::Size size);
    std::size_t addDisplay(Display display);
    void switchSpace(std::size_t display, SpaceID space) { world_->switchSpace(display, space); }

    // Applications.
    AppHandle launch(std::string applicationID, std::string name);
    AppHandle launch(App app);
    AppHandle app(std::int32_t pid) { return AppHandle(world_, pid); }
    WindowHandle window(std::uint32_t number) { return WindowHandle(world_, number); }

    // The pointer (top-left-origin space) and its left button.
    void movePointer(arvelo::Point point) { world_->pointer = point; }
    void pressLeftButton() { world_->buttons |= kLeftMouseButton; }
    void releaseLeftButton() { world_->buttons &= ~kLeftMouseButton; }

    // The user's mouse, through the global monitors (top-left-origin points; `flags` are event
    // modifier flags such as kEventShiftFlag). Each event reaches the monitors on the main
    // queue, which these calls drain. A press on a title bar moves that window with the drags
    // that follow, one on its bottom-right corner resizes it.
    void mouseDown(arvelo::Point at, std::uint64_t flags = 0);
    void mouseDrag(arvelo::Point to, std::uint64_t flags = 0);
    void mouseUp(std::uint64_t flags = 0);
    // The pointer moves (a drag while a button is held), and the right or other button
    // (kRightMouseButton, kOtherMouseButton) goes down and up.
    void mouseMove(arvelo::Point to, std::uint64_t flags = 0);
    void buttonDown(std::uint32_t button);
    void buttonUp(std::uint32_t button, std::uint64_t flags = 0);
    // One step of a trackpad pinch at a point.
    void pinch(arvelo::Point at, double magnification, GesturePhase phase, std::uint64_t flags = 0);
    SimMouseMonitor& mouse() { return *mouse_; }
    // Takes the mouse monitor service away (a desktop that cannot observe the pointer).
    void removeMouseMonitor() { services_.mouseMonitor.reset(); }

    // The user's buttons through the event tap (SimEventTap.h); each call then drains the main
    // queue. These do not reach the global monitors.
    void tapDown(arvelo::Point at, std::uint64_t flags = 0, std::int64_t button = kLeftButtonNumber);
    void tapDrag(arvelo::Point to, std::uint64_t flags = 0);
    void tapUp(std::int64_t button = kLeftButtonNumber, std::uint64_t flags = 0);
    SimEventTap& eventTap() { return *eventTap_; }

    // Permissions and optional calls.
    void setTrusted(bool trusted) { world_->trusted = trusted; }
    void setScreenCaptureAccess(bool granted) { world_->screenCaptureAccess = granted; }
    void setWindowNumberCallAvailable(bool available) { world_->windowNumberCallAvailable = available; }
    void setSpacesAvailable(bool available) { world_->spacesAvailable = available; }

    // Time.
    void advance(Seconds seconds) { clock_->advance(seconds); }
    void drain() { clock_->drain(); }
    std::size_t runBackground() { return clock_->runBackground(); }

private:
    std::shared_ptr<VirtualClock> clock_;
    std::shared_ptr<World> world_;
    std::shared_ptr<CapturedLog> log_;
    std::shared_ptr<UserDefaults> defaults_;
    std::shared_ptr<SimWorkspace> workspace_;
    std::shared_ptr<SimHotKeys> hotKeys_ = std::make_shared<SimHotKeys>();
    std::shared_ptr<SimMouseMonitor> mouse_;
    std::shared_ptr<SimEventTap> eventTap_;
    std::shared_ptr<SimPanels> panels_;
    std::shared_ptr<SimLiveCapture> liveCapture_;
    std::filesystem::path temporaryFolder_;
    Folders folders_;
    Environment environment_;
    Services services_;
};

}  // namespace platform::sim
