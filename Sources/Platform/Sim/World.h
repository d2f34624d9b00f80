// SPDX-License-Identifier: MIT
// World.h: the state of the simulated desktop: displays with their current Spaces, running
// applications, windows with their own behaviour (minimum sizes, late frames, snapping back,
// refusals, slowness), the stacking order, the pointer, permissions and the log of every
// Accessibility request. The services of the simulated backend read and change it; tests
// script it through sim::Desktop. Single-threaded.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Accessibility.h"
#include "Platform/Sim/CallLog.h"
#include "Platform/Sim/VirtualClock.h"
#include "Platform/Spaces.h"
#include "Platform/Workspace.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform::sim {

// One display. Frames are in the top-left-origin space of window frames.
struct Display {
    std::optional<std::uint32_t> number;
    std::string name;
    arvelo::Rect frame;
    arvelo::Rect visibleFrame;
    SpaceID currentSpace = 1;
};

// How an application answers Accessibility requests.
struct AppBehaviour {
    // Seconds the application takes to answer; a request with a shorter messaging time-out
    // fails with cannotComplete and changes nothing.
    Seconds responseTime = 0;
    // "AXWindows" fails with this code.
    std::optional<AccessError> windowsReadError;
    // "AXWindows" answers an empty list although the application has windows.
    bool windowsListEmpty = false;
};

struct App {
    std::int32_t pid = 0;
    std::optional<std::string> applicationID;
    std::optional<std::string> name;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool hidden = false;
    std::string iconName;
    bool running = true;
    AppBehaviour behaviour;
};

// Rules a window states for its own size, as an X11 client's WM_NORMAL_HINTS do, and the
// window manager applies to every resize: between minimum and maximum, and whole increments
// above the base size (a terminal's character cells), rounded down.
struct SizeRules {
    arvelo::Size minimum{0, 0};
    std::optional<arvelo::Size> maximum;
    arvelo::Size base{0, 0};
    arvelo::Size increment{1, 1};

    arvelo::Size fit(arvelo::Size size) const;
};

// How a window takes frame writes.
struct WindowBehaviour {
    arvelo::Size minimumSize{0, 0};           // sizes below are raised to it; the write succeeds
    std::optional<arvelo::Size> maximumSize;  // sizes above are lowered to it
    Seconds lag = 0;                          // a written frame takes effect this much later
    std::optional<Seconds> snapBackAfter;     // after a write took effect, the window returns...
    arvelo::Rect snapBackTo;                  // ...to this frame, this much later
    std::optional<AccessError> refuseWrites;      // position and size writes fail with this code
    bool heldByManager = false;               // writes succeed and change nothing (a tiling manager)
    bool refusesClose = false;                // pressing the close button does nothing
    bool userMovable = true;                  // the window manager moves and resizes it when dragged
    std::optional<SizeRules> sizeRules;       // stated size rules, applied to every size written
};

struct Window {
    std::uint32_t number = 0;
    std::int32_t pid = 0;
    std::string title;
    arvelo::Rect frame;  // top-left-origin space, what reads see now
    std::string role = "AXWindow";
    std::optional<std::string> subrole = std::string("AXStandardWindow");
    bool minimized = false;
    bool fullScreen = false;
    int maximizedAxes = 0;                         // 2: maximised, 1: tiled to an edge by the manager
    std::optional<arvelo::Rect> unmaximizedFrame;  // where an un-maximise puts it back
    std::optional<std::uint32_t> parent;           // the window a sheet or dialog belongs to
    std::int32_t layer = 0;
    bool desktopElement = false;
    std::set<SpaceID> spaces;       // empty: the Space of its display when it opened
    bool sticky = false;            // on every Space
    bool hiddenFromScreen = false;  // kept off the on-screen list whatever its state
    bool positionSettable = true;
    bool sizeSettable = true;
    bool hasCloseButton = true;
    bool alive = true;
    WindowBehaviour behaviour;
    // The height of its title bar as the window list tells it; unknown unless set.
    std::optional<double> titleBarHeight;
};

// Scripted descriptions used to create displays, applications and windows.
struct WindowSpec {
    std::string title;
    arvelo::Rect frame;
    std::string role = "AXWindow";
    std::optional<std::string> subrole = std::string("AXStandardWindow");
    bool minimized = false;
    bool fullScreen = false;
    std::optional<std::uint32_t> parent;
    std::int32_t layer = 0;
    std::optional<std::set<SpaceID>> spaces;  // default: the current Space of its display
    bool sticky = false;
    bool positionSettable = true;
    bool sizeSettable = true;
    std::optional<std::uint32_t> number;  // default: the next free number
};

class World {
public:
    explicit World(std::shared_ptr<VirtualClock> clock);

    VirtualClock& clock() { return *clock_; }
    CallLog& calls() { return calls_; }

    // Displays.
    std::size_t addDisplay(Display display);
    std::vector<Display>& displays() { return displays_; }
    // The display that holds most of the rectangle (ties: the earlier one); none without displays.
    std::optional<std::size_t> displayOf(const arvelo::Rect& frame) const;
    void switchSpace(std::size_t display, SpaceID space);

    // Applications.
    App& launch(App app);  // pid 0: the next free pid
    App* app(std::int32_t pid);
    const std::vector<std::int32_t>& launchOrder() const { return launchOrder_; }
    void quit(std::int32_t pid);
    std::int32_t ownPid() const { return ownPid_; }
    std::optional<std::int32_t> frontmost() const { return frontmost_; }
    void activate(std::int32_t pid);
    void setHidden(std::int32_t pid, bool hidden);

    // Windows.
    // `announce` false: no news of a shown window (this program's own panels).
    Window& open(std::int32_t pid, const WindowSpec& spec, bool announce = true);
    Window* window(std::uint32_t number);                                     // alive or not
    Window* liveWindow(std::uint32_t number);                                 // alive, its application running, managed
    void vanish(std::uint32_t number);                                        // it and its sheets are gone
    const std::vector<std::uint32_t>& stacking() const { return stacking_; }  // front to back
    void raise(std::uint32_t number);
    // Puts a window directly in front of another one (nothing when either is gone).
    void placeAbove(std::uint32_t number, std::uint32_t below);
    // Puts a window directly behind another one (nothing when either is gone).
    void placeBelow(std::uint32_t number, std::uint32_t above);
    void setMinimized(std::uint32_t number, bool minimized);
    // Windows of a process, front to back; sheets and dialogs with a parent left out unless asked.
    std::vector<std::uint32_t> windowsOf(std::int32_t pid, bool withChildren) const;
    bool onScreen(const Window& window) const;
    std::set<SpaceID> spacesOf(const Window& window) const;

    // Frame writes as an application takes them: clamped, late, snapping back, refused.
    AccessError writePosition(Window& window, arvelo::Point origin);
    AccessError writeSize(Window& window, arvelo::Size size);
    // Moves the window at once, as the user or the application itself would.
    void setFrame(std::uint32_t number, const arvelo::Rect& frame);
    // Applies every pending frame change that is due by now.
    void settle();

    // The pointer, in the top-left-origin space, and the pressed buttons (bit 0 the left).
    arvelo::Point pointer{0, 0};
    std::uint32_t buttons = 0;

    // Permissions and optional calls.
    bool trusted = true;
    // Moves when another window manager takes over.
    std::uint64_t windowManagerGeneration = 0;
    bool grantTrustOnPrompt = false;
    bool screenCaptureAccess = true;
    bool grantScreenCaptureOnRequest = false;

    // Window pictures: pixels per point, windows whose capture fails, a failing window list,
    // and every capture made (window numbers, in order).
    double pointPixelScale = 1;
    std::set<std::uint32_t> captureFailures;
    std::optional<std::string> shareableWindowsError;
    std::vector<std::uint32_t> captures;
    // The count of drawing the capture reports (absent: it cannot tell); a test moves it to
    // say that windows drew.
    std::optional<std::uint64_t> drawStamp;
    // Pictures of the whole screen: how many were asked for, and whether they fail.
    int screenCaptures = 0;
    bool screenCaptureFails = false;
    bool windowNumberCallAvailable = true;
    bool spacesAvailable = true;

    // The window server not answering in time: while it is stalled (a stopped X server) no read
    // of the window list, the running applications or Accessibility gets an answer; windows
    // listed here get none (a read answers partly). Readers are told their read was not
    // answered in full.
    bool windowServerStalled = false;
    std::set<std::uint32_t> unansweredWindows;
    // Windows no window manager manages right now: alive, but out of every list and read.
    std::set<std::uint32_t> unmanagedWindows;
    bool answersInFull() const { return !windowServerStalled && unansweredWindows.empty(); }

    // Accessibility observers (set by the Accessibility service).
    struct ObserverEntry {
        std::int32_t pid = 0;
        std::vector<std::pair<AccessElement, std::string>> registrations;
        std::function<void(const AccessElement&, const std::string&)> deliver;
    };
    void addObserver(std::weak_ptr<ObserverEntry> observer) { observers_.push_back(std::move(observer)); }
    void notify(const AccessElement& element, const std::string& notification);

    // Workspace notifications are delivered through these (set by the Workspace service).
    std::function<void(const App&)> onLaunch;
    std::function<void(const App&)> onTerminate;
    std::function<void(const App&)> onActivate;
    // The application's hidden flag changed.
    std::function<void(const App&)> onHiddenChange;
    std::function<void()> onSpaceChange;
    // A window was opened or brought back from the Dock (set by the window list service).
    std::function<void()> onWindowShown;
    // A window was destroyed (vanished, or its application quit).
    std::function<void(std::uint32_t)> onWindowClosed;
    // A window moved, was resized, retitled, minimised or brought back, or vanished.
    std::function<void(std::uint32_t)> onWindowChanged;
    void windowChanged(std::uint32_t number) {
        if (onWindowChanged) onWindowChanged(number);
    }

private:
    struct Change {
        std::int64_t due = 0;
        std::uint64_t order = 0;
        std::uint32_t window = 0;
        std::optional<arvelo::Point> origin;
        std::optional<arvelo::Size> size;
        bool isWrite = false;  // a write taking effect (may snap back), not a snap-back
    };
    void schedule(Change change);
    void apply(const Change& change);
    arvelo::Size clamp(const Window& window, arvelo::Size size) const;

    std::shared_ptr<VirtualClock> clock_;
    CallLog calls_;
    std::vector<Display> displays_;
    std::map<std::int32_t, App> apps_;
    std::vector<std::int32_t> launchOrder_;
    std::map<std::uint32_t, Window> windows_;
    std::vector<std::uint32_t> stacking_;
    std::vector<Change> pending_;
    std::vector<std::weak_ptr<ObserverEntry>> observers_;
    std::int32_t ownPid_ = 0;
    std::optional<std::int32_t> frontmost_;
    std::int32_t nextPid_ = 400;
    std::uint32_t nextWindow_ = 0x1000;
    std::uint64_t nextChange_ = 0;
};

}  // namespace platform::sim
