// SPDX-License-Identifier: MIT
// X11Pointer: xcb_query_pointer on the root window.
#include "Platform/X11/X11Pointer.h"

#include "Platform/X11/Monitors.h"

namespace platform::x11 {

namespace {
constexpr double kReadTimeout = 0.25;
}  // namespace

arvelo::Point X11Pointer::location() {
    const Deadline deadline = Deadline::in(kReadTimeout);
    auto pointer = connection_->await<xcb_query_pointer_reply_t>(
        xcb_query_pointer(connection_->xcb(), connection_->root()), deadline);
    const auto monitors = readMonitors(*connection_, deadline);
    if (!pointer || monitors.empty()) return {0, 0};
    return flipPoint({double(pointer->root_x), double(pointer->root_y)}, monitors.front().frame.maxY());
}

std::uint32_t X11Pointer::pressedMouseButtons() {
    auto pointer = connection_->await<xcb_query_pointer_reply_t>(
        xcb_query_pointer(connection_->xcb(), connection_->root()), Deadline::in(kReadTimeout));
    if (!pointer) return 0;
    std::uint32_t buttons = 0;
    if (pointer->mask & XCB_KEY_BUT_MASK_BUTTON_1) buttons |= kLeftMouseButton;
    if (pointer->mask & XCB_KEY_BUT_MASK_BUTTON_3) buttons |= kRightMouseButton;
    if (pointer->mask & XCB_KEY_BUT_MASK_BUTTON_2) buttons |= kOtherMouseButton;
    return buttons;
}

}  // namespace platform::x11
