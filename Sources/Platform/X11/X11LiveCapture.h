// SPDX-License-Identifier: MIT
// X11LiveCapture: live window captures on X11. The capturable windows are the window list's
// (the same enumeration as everywhere else), each with its owner, title, layer and whether it
// is _NET_ACTIVE_WINDOW. Captures share one connection of their own (X11CaptureLink), opened on
// the first capture, which says once in the log how pins are drawn. Main thread.
#pragma once

#include "Platform/PinCapture.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/X11CaptureLink.h"
#include "Platform/X11/X11WindowList.h"

#include <memory>
#include <optional>
#include <string>

namespace platform::x11 {

class X11LiveCapture final : public LiveCapture {
public:
    X11LiveCapture(std::shared_ptr<Connection> connection, std::shared_ptr<X11WindowList> windowList,
                   std::shared_ptr<Dispatcher> dispatch, std::optional<std::string> display);

    std::optional<std::vector<ShareableContentWindow>> shareableContent(bool excludeDesktopWindows, bool onScreenOnly,
                                                                        std::string* error) override;
    std::shared_ptr<PinCaptureBackend> makeBackend(const ShareableContentWindow& window,
                                                   std::weak_ptr<PinFrameTarget> target,
                                                   const PinCaptureProfile& initialProfile) override;
    // Where the captures' news for people goes.
    void setLogger(Logger logger);

private:
    std::optional<xcb_window_t> activeWindow();
    std::shared_ptr<X11CaptureLink> link();

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<X11WindowList> windowList_;
    std::shared_ptr<Dispatcher> dispatch_;
    std::optional<std::string> display_;
    std::shared_ptr<X11CaptureLink> link_;
    bool linkTried_ = false;
    Logger logger_;
};

}  // namespace platform::x11
