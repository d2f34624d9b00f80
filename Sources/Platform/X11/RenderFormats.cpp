// SPDX-License-Identifier: MIT
// RenderFormats.cpp: reading the picture formats and the visuals they belong to.
#include "Platform/X11/RenderFormats.h"

namespace platform::x11 {

std::optional<RenderFormats> RenderFormats::read(Connection& connection, Deadline deadline) {
    auto reply = connection.await<xcb_render_query_pict_formats_reply_t>(
        xcb_render_query_pict_formats(connection.xcb()), deadline);
    if (!reply) return std::nullopt;
    RenderFormats formats;
    for (auto f = xcb_render_query_pict_formats_formats_iterator(reply.value.get()); f.rem;
         xcb_render_pictforminfo_next(&f)) {
        const xcb_render_pictforminfo_t& info = *f.data;
        const xcb_render_directformat_t& d = info.direct;
        if (info.type == XCB_RENDER_PICT_TYPE_DIRECT && info.depth == 32 && d.alpha_mask == 0xFF &&
            d.alpha_shift == 24 && d.red_mask == 0xFF && d.red_shift == 16 && d.green_mask == 0xFF &&
            d.green_shift == 8 && d.blue_mask == 0xFF && d.blue_shift == 0)
            formats.argb32_ = info.id;
    }
    for (auto s = xcb_render_query_pict_formats_screens_iterator(reply.value.get()); s.rem;
         xcb_render_pictscreen_next(&s))
        for (auto d = xcb_render_pictscreen_depths_iterator(s.data); d.rem; xcb_render_pictdepth_next(&d))
            for (auto v = xcb_render_pictdepth_visuals_iterator(d.data); v.rem; xcb_render_pictvisual_next(&v))
                formats.visuals_[v.data->visual] = v.data->format;
    return formats;
}

xcb_render_pictformat_t RenderFormats::forVisual(xcb_visualid_t visual) const {
    const auto found = visuals_.find(visual);
    return found == visuals_.end() ? 0 : found->second;
}

}  // namespace platform::x11
