// SPDX-License-Identifier: MIT
// X11Backend: the platform services of a real X11 desktop run by an EWMH window manager, over
// one connection to the X server: Accessibility, the window list, Spaces, screens, running
// applications, the pointer, global mouse monitors (when the server has XInput2) and
// screen-capture access. Chosen once at start-up.
#pragma once

#include "Platform/Services.h"
#include "Platform/X11/CompositorWatch.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"
#include "Platform/X11/RawInput.h"
#include "Platform/X11/X11WindowIcons.h"
#include "Platform/X11/X11WindowList.h"

#include <functional>
#include <memory>

namespace platform::x11 {

class X11EventTap;
class X11LiveCapture;
class X11ScreenCapture;

class X11Backend : public std::enable_shared_from_this<X11Backend> {
public:
    // Connects to `display` (nullptr: $DISPLAY); null when there is no X server to talk to.
    // `dispatch` is the main-thread scheduler notifications are delivered through.
    static std::shared_ptr<X11Backend> connect(std::shared_ptr<Dispatcher> dispatch, const char* display = nullptr);

    // Puts this backend's services into the bundle; the rest of it is the caller's.
    void fill(Services& services) const;
    // Where live captures say how they draw pins.
    void setCaptureLogger(Logger logger);

    Connection& connection() { return *connection_; }
    // The XInput2 raw observation of the pointer on the root, shared by every global observer
    // of the mouse; null when the server has no XInput 2.1 (then there is no mouse monitor).
    const std::shared_ptr<RawInput>& rawInput() const { return rawInput_; }
    // The event tap; null without XInput2, like the mouse monitor.
    const std::shared_ptr<X11EventTap>& eventTap() const { return eventTap_; }
    // Whether a compositing manager runs, followed as it starts and stops; null without XFixes.
    const std::shared_ptr<CompositorWatch>& compositorWatch() const { return compositorWatch_; }
    // Windows' own icons (_NET_WM_ICON), kept per window; main thread.
    const std::shared_ptr<X11WindowIcons>& windowIcons() const { return windowIcons_; }

    // Called once, on the main thread, when the connection to the X server is lost. Requests
    // fail from then on (cannot complete); the program is expected to end.
    std::function<void()> onConnectionLost;

private:
    explicit X11Backend(std::shared_ptr<Connection> connection, std::shared_ptr<Dispatcher> dispatch);

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<Dispatcher> dispatch_;
    std::shared_ptr<EventHub> events_;
    std::shared_ptr<Accessibility> accessibility_;
    std::shared_ptr<X11WindowList> windowList_;
    std::shared_ptr<Spaces> spaces_;
    std::shared_ptr<Screens> screens_;
    std::shared_ptr<Workspace> workspace_;
    std::shared_ptr<Pointer> pointer_;
    std::shared_ptr<X11ScreenCapture> screenCapture_;
    std::shared_ptr<X11LiveCapture> liveCapture_;
    std::shared_ptr<RawInput> rawInput_;
    std::shared_ptr<MouseMonitor> mouseMonitor_;
    std::shared_ptr<X11EventTap> eventTap_;
    std::shared_ptr<CompositorWatch> compositorWatch_;
    std::shared_ptr<X11WindowIcons> windowIcons_;
};

}  // namespace platform::x11
