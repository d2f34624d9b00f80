// SPDX-License-Identifier: MIT
// X11LiveCapture.cpp: the capturable windows from the window list and new captures over the
// shared capture connection.
#include "Platform/X11/X11LiveCapture.h"

#include "Platform/X11/X11PinCaptureBackend.h"

namespace platform::x11 {

namespace {
constexpr double kListTimeout = 1.0;
}  // namespace

X11LiveCapture::X11LiveCapture(std::shared_ptr<Connection> connection, std::shared_ptr<X11WindowList> windowList,
                               std::shared_ptr<Dispatcher> dispatch, std::optional<std::string> display)
    : connection_(std::move(connection)),
      windowList_(std::move(windowList)),
      dispatch_(std::move(dispatch)),
      display_(std::move(display)) {}

std::optional<xcb_window_t> X11LiveCapture::activeWindow() {
    Connection& c = *connection_;
    auto reply = c.await<xcb_get_property_reply_t>(xcb_ewmh_get_active_window(c.ewmh(), c.screenNumber()),
                                                   Deadline::in(kListTimeout));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.value.get()) != sizeof(xcb_window_t))
        return std::nullopt;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.value.get()));
}

std::optional<std::vector<ShareableContentWindow>> X11LiveCapture::shareableContent(bool excludeDesktopWindows,
                                                                                    bool onScreenOnly,
                                                                                    std::string* error) {
    auto list = windowList_->read({onScreenOnly, excludeDesktopWindows});
    if (!list) {
        if (error) *error = "The list of windows could not be read from the X server.";
        return std::nullopt;
    }
    const auto active = activeWindow();
    std::vector<ShareableContentWindow> windows;
    for (const WindowInfo& info : *list) {
        if (!info.bounds) continue;
        ShareableContentWindow window;
        window.windowID = info.number;
        window.ownerPid = info.ownerPid;
        if (!info.ownerName.empty()) window.applicationName = info.ownerName;
        if (!info.name.empty()) window.title = info.name;
        window.frame = *info.bounds;
        window.layer = info.layer;
        window.isOnScreen = info.onScreen;
        window.isActive = active == info.number;
        windows.push_back(std::move(window));
    }
    return windows;
}

std::shared_ptr<X11CaptureLink> X11LiveCapture::link() {
    if (!linkTried_) {
        linkTried_ = true;
        link_ = X11CaptureLink::open(dispatch_, display_ ? display_->c_str() : nullptr);
        if (link_) link_->setLogger(logger_);
    }
    return link_;
}

void X11LiveCapture::setLogger(Logger logger) {
    logger_ = std::move(logger);
    if (link_) link_->setLogger(logger_);
}

std::shared_ptr<PinCaptureBackend> X11LiveCapture::makeBackend(const ShareableContentWindow& window,
                                                               std::weak_ptr<PinFrameTarget> target,
                                                               const PinCaptureProfile& initialProfile) {
    return std::make_shared<X11PinCaptureBackend>(dispatch_, link(), window.windowID, std::move(target),
                                                  initialProfile);
}

}  // namespace platform::x11
