// X11Spaces: Spaces are the window manager's desktops: Space n is desktop n - 1. Every
// display shows the current desktop; a window on every desktop (sticky) is in every Space.
#pragma once

#include "Platform/Spaces.h"
#include "Platform/X11/Connection.h"

#include <memory>

namespace platform::x11 {

class X11Spaces final : public Spaces {
public:
    explicit X11Spaces(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}
    SpaceID currentSpace(std::uint32_t screenNumber) override;
    std::set<SpaceID> spacesOfWindow(std::uint32_t windowNumber) override;

private:
    std::shared_ptr<Connection> connection_;
};

}  // namespace platform::x11
