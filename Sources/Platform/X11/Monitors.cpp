// SPDX-License-Identifier: MIT
// Monitors: RandR monitor reading, strut arithmetic, and the coordinate flip.
#include "Platform/X11/Monitors.h"

#include <xcb/randr.h>

#include <algorithm>

namespace platform::x11 {

std::vector<Monitor> readMonitors(Connection& connection, Deadline deadline) {
    const xcb_screen_t& screen = connection.screen();
    const Monitor whole{XCB_ATOM_NONE, "screen", true,
                        arvelo::Rect(0, 0, screen.width_in_pixels, screen.height_in_pixels)};
    if (!connection.hasRandrMonitors()) return {whole};
    auto reply = connection.await<xcb_randr_get_monitors_reply_t>(
        xcb_randr_get_monitors(connection.xcb(), connection.root(), 1), deadline);
    if (!reply) return {};
    std::vector<Monitor> monitors;
    std::vector<xcb_get_atom_name_cookie_t> names;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.value.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& m = *it.data;
        monitors.push_back({m.name, {}, m.primary != 0, arvelo::Rect(m.x, m.y, m.width, m.height)});
        names.push_back(xcb_get_atom_name(connection.xcb(), m.name));
    }
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        auto name = connection.await<xcb_get_atom_name_reply_t>(names[i], deadline);
        if (name)
            monitors[i].name.assign(xcb_get_atom_name_name(name.value.get()),
                                    static_cast<std::size_t>(xcb_get_atom_name_name_length(name.value.get())));
    }
    if (monitors.empty()) return {whole};
    std::stable_partition(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
    return monitors;
}

arvelo::Rect visibleFrame(const arvelo::Rect& monitor, const std::vector<Strut>& struts, const arvelo::Rect& screen) {
    double left = monitor.minX(), right = monitor.maxX(), top = monitor.minY(), bottom = monitor.maxY();
    for (const Strut& s : struts) {
        if (s.size() < 4) continue;
        const bool partial = s.size() >= 12;
        // The start and end (inclusive) of edge `i`'s span, whole edges for plain struts.
        const auto span = [&](std::size_t i, double from, double to) {
            return partial ? std::pair<double, double>(s[4 + 2 * i], s[5 + 2 * i] + 1.0)
                           : std::pair<double, double>(from, to);
        };
        const auto [ly0, ly1] = span(0, screen.minY(), screen.maxY());
        const auto [ry0, ry1] = span(1, screen.minY(), screen.maxY());
        const auto [tx0, tx1] = span(2, screen.minX(), screen.maxX());
        const auto [bx0, bx1] = span(3, screen.minX(), screen.maxX());
        const arvelo::Rect reserved[] = {
            arvelo::Rect(screen.minX(), ly0, s[0], ly1 - ly0),
            arvelo::Rect(screen.maxX() - s[1], ry0, s[1], ry1 - ry0),
            arvelo::Rect(tx0, screen.minY(), tx1 - tx0, s[2]),
            arvelo::Rect(bx0, screen.maxY() - s[3], bx1 - bx0, s[3]),
        };
        if (s[0] && reserved[0].intersects(monitor)) left = std::max(left, reserved[0].maxX());
        if (s[1] && reserved[1].intersects(monitor)) right = std::min(right, reserved[1].minX());
        if (s[2] && reserved[2].intersects(monitor)) top = std::max(top, reserved[2].maxY());
        if (s[3] && reserved[3].intersects(monitor)) bottom = std::min(bottom, reserved[3].minY());
    }
    if (right <= left || bottom <= top) return monitor;
    return arvelo::Rect(left, top, right - left, bottom - top);
}

arvelo::Rect withinWorkArea(const arvelo::Rect& visible, const std::optional<arvelo::Rect>& workArea) {
    if (!workArea || workArea->isEmpty()) return visible;
    const arvelo::Rect inside = visible.intersection(*workArea);
    if (inside.isNull() || inside.width <= 0 || inside.height <= 0) return visible;
    return inside;
}

arvelo::Rect flipRect(const arvelo::Rect& rect, double primaryMaxY) {
    return arvelo::Rect(rect.x, primaryMaxY - rect.maxY(), rect.width, rect.height);
}

arvelo::Point flipPoint(arvelo::Point point, double primaryMaxY) { return {point.x, primaryMaxY - point.y}; }

}  // namespace platform::x11
