// SPDX-License-Identifier: MIT
// RenderFormats: the XRender picture formats of one connection, read once: the format that
// draws into or reads from a window of a given visual, and the 32-bit ARGB format of the
// pictures this program fills itself.
#pragma once

#include "Platform/X11/Connection.h"

#include <xcb/render.h>

#include <map>
#include <optional>

namespace platform::x11 {

class RenderFormats {
public:
    // None when the server has no XRender or did not answer in time.
    static std::optional<RenderFormats> read(Connection& connection, Deadline deadline);

    // The format of windows and pixmaps of that visual; 0 when the server has none.
    xcb_render_pictformat_t forVisual(xcb_visualid_t visual) const;
    // 8 bits of alpha, red, green and blue from the most significant byte down; 0 when absent.
    xcb_render_pictformat_t argb32() const { return argb32_; }

private:
    std::map<xcb_visualid_t, xcb_render_pictformat_t> visuals_;
    xcb_render_pictformat_t argb32_ = 0;
};

}  // namespace platform::x11
