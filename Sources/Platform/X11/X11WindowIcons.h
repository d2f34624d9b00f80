// SPDX-License-Identifier: MIT
// X11WindowIcons: a window's own icon, the pictures its client puts in _NET_WM_ICON. Read once
// per window and kept until the client changes the property (PropertyNotify) or the window is
// destroyed; then `changed` tells the views, which draw it again. A read that gets no answer in
// time keeps nothing, so the next one asks again. Main thread.
#pragma once

#include "Platform/Signal.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"
#include "Platform/X11/IconPictures.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace platform::x11 {

class X11WindowIcons {
public:
    X11WindowIcons(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events);

    // The picture of the window's icon for a view `side` pixels square (the smallest at least
    // that large, else the largest); none when the window has no icon of its own.
    std::optional<IconPicture> icon(std::uint32_t window, int side);

    // The icon of this window changed or went away with it.
    Signal<std::uint32_t> changed;
    // How many times the X server was asked (for tests).
    int reads = 0;

private:
    std::shared_ptr<Connection> connection_;
    Subscription subscription_;
    std::map<std::uint32_t, std::vector<IconPicture>> kept_;
};

}  // namespace platform::x11
