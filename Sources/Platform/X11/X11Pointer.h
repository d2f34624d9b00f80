// SPDX-License-Identifier: MIT
// X11Pointer: the pointer's location (in the bottom-left-origin space) and the pressed mouse
// buttons, from one query of the X server each.
#pragma once

#include "Platform/Pointer.h"
#include "Platform/X11/Connection.h"

#include <memory>

namespace platform::x11 {

class X11Pointer final : public Pointer {
public:
    explicit X11Pointer(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}
    arvelo::Point location() override;
    std::uint32_t pressedMouseButtons() override;

private:
    std::shared_ptr<Connection> connection_;
};

}  // namespace platform::x11
