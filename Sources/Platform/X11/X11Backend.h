// X11Backend: the platform services of a real X11 desktop run by an EWMH window manager, over
// one connection to the X server: Accessibility, the window list, Spaces, screens, running
// applications, the pointer and screen-capture access. Chosen once at start-up.
#pragma once

#include "Platform/Services.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"

#include <functional>
#include <memory>

namespace platform::x11 {

class X11Backend : public std::enable_shared_from_this<X11Backend> {
public:
    // Connects to `display` (nullptr: $DISPLAY); null when there is no X server to talk to.
    // `dispatch` is the main-thread scheduler notifications are delivered through.
    static std::shared_ptr<X11Backend> connect(std::shared_ptr<Dispatcher> dispatch, const char* display = nullptr);

    // Puts this backend's services into the bundle; the rest of it is the caller's.
    void fill(Services& services) const;

    Connection& connection() { return *connection_; }

    // Called once, on the main thread, when the connection to the X server is lost. Requests
    // fail from then on (cannot complete); the program is expected to end.
    std::function<void()> onConnectionLost;

private:
    explicit X11Backend(std::shared_ptr<Connection> connection, std::shared_ptr<Dispatcher> dispatch);

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<Dispatcher> dispatch_;
    std::shared_ptr<EventHub> events_;
    std::shared_ptr<Accessibility> accessibility_;
    std::shared_ptr<WindowList> windowList_;
    std::shared_ptr<Spaces> spaces_;
    std::shared_ptr<Screens> screens_;
    std::shared_ptr<Workspace> workspace_;
    std::shared_ptr<Pointer> pointer_;
    std::shared_ptr<ScreenCapture> screenCapture_;
};

}  // namespace platform::x11
