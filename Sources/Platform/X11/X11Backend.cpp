// SPDX-License-Identifier: MIT
// X11Backend: wires the services to one connection and its event thread.
#include "Platform/X11/X11Backend.h"

#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11EventTap.h"
#include "Platform/X11/X11LiveCapture.h"
#include "Platform/X11/X11MouseMonitor.h"
#include "Platform/X11/X11Pointer.h"
#include "Platform/X11/X11ScreenCapture.h"
#include "Platform/X11/X11Screens.h"
#include "Platform/X11/X11Spaces.h"
#include "Platform/X11/X11WindowList.h"
#include "Platform/X11/X11Workspace.h"

namespace platform::x11 {

std::shared_ptr<X11Backend> X11Backend::connect(std::shared_ptr<Dispatcher> dispatch, const char* display) {
    auto connection = Connection::open(display);
    if (!connection) return nullptr;
    std::shared_ptr<X11Backend> backend(new X11Backend(std::move(connection), std::move(dispatch)));
    backend->liveCapture_ =
        std::make_shared<X11LiveCapture>(backend->connection_, backend->windowList_, backend->dispatch_,
                                         display ? std::optional<std::string>(display) : std::nullopt);
    std::weak_ptr<X11Backend> weak = backend;
    backend->connection_->start(
        [events = backend->events_, raw = backend->rawInput_, tap = backend->eventTap_,
         capture = backend->screenCapture_, compositor = backend->compositorWatch_](const xcb_generic_event_t& event) {
            events->take(event);
            capture->take(event);
            if (raw) raw->take(event);
            if (tap) tap->take(event);
            if (compositor) compositor->take(event);
        },
        [weak, dispatch = backend->dispatch_] {
            dispatch->async([weak] {
                auto self = weak.lock();
                if (self && self->onConnectionLost) self->onConnectionLost();
            });
        });
    return backend;
}

X11Backend::X11Backend(std::shared_ptr<Connection> connection, std::shared_ptr<Dispatcher> dispatch)
    : connection_(std::move(connection)),
      dispatch_(std::move(dispatch)),
      events_(std::make_shared<EventHub>(dispatch_, connection_->randrEventBase(), connection_->root())),
      accessibility_(std::make_shared<X11Accessibility>(connection_, events_)),
      windowList_(std::make_shared<X11WindowList>(connection_, events_)),
      spaces_(std::make_shared<X11Spaces>(connection_, events_)),
      screens_(std::make_shared<X11Screens>(connection_, events_)),
      workspace_(std::make_shared<X11Workspace>(connection_, events_)),
      pointer_(std::make_shared<X11Pointer>(connection_)),
      screenCapture_(std::make_shared<X11ScreenCapture>(connection_, windowList_)),
      rawInput_(RawInput::open(connection_)) {
    if (rawInput_) mouseMonitor_ = X11MouseMonitor::make(connection_, rawInput_, dispatch_);
    eventTap_ = X11EventTap::make(connection_, rawInput_, dispatch_);
    compositorWatch_ = CompositorWatch::open(connection_, dispatch_);
    windowIcons_ = std::make_shared<X11WindowIcons>(connection_, events_);
}

void X11Backend::setCaptureLogger(Logger logger) { liveCapture_->setLogger(std::move(logger)); }

void X11Backend::fill(Services& services) const {
    services.accessibility = accessibility_;
    services.windowList = windowList_;
    services.spaces = spaces_;
    services.screens = screens_;
    services.workspace = workspace_;
    services.pointer = pointer_;
    services.screenCapture = screenCapture_;
    services.liveCapture = liveCapture_;
    services.mouseMonitor = mouseMonitor_;
    services.eventTap = eventTap_;
}

}  // namespace platform::x11
