// SPDX-License-Identifier: MIT
// WindowFacts: small questions about facts already read.
#include "Platform/X11/WindowFacts.h"

#include <algorithm>

namespace platform::x11 {

FrameExtents FrameExtents::fromProperty(const std::vector<std::uint32_t>& values) {
    if (values.size() < 4) return {};
    const auto side = [](std::uint32_t value) { return std::min(value, kMaxFrameExtent); };
    return {side(values[0]), side(values[1]), side(values[2]), side(values[3])};
}

bool WindowFacts::hasState(xcb_atom_t state) const {
    return std::find(states.begin(), states.end(), state) != states.end();
}

bool WindowFacts::hasType(xcb_atom_t type) const { return std::find(types.begin(), types.end(), type) != types.end(); }

std::optional<arvelo::Rect> WindowFacts::frame() const {
    if (!client) return std::nullopt;
    const double left = double(extents.left) - shadow.left, right = double(extents.right) - shadow.right;
    const double top = double(extents.top) - shadow.top, bottom = double(extents.bottom) - shadow.bottom;
    return arvelo::Rect(client->x - left, client->y - top, client->width + left + right, client->height + top + bottom);
}

bool RootFacts::isClient(xcb_window_t window) const {
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

}  // namespace platform::x11
