// SPDX-License-Identifier: MIT
// ChromeHost.h: the view layer's side of the chrome: it fills a freshly made panel with its
// view (tab bar, seam handle, miniature tile, zoom bar or drop preview) from the panel's
// content, redraws a miniature tile whose picture changed, and measures the zoom bar's button.
// Every hook may be absent (logic tests, a program without a display).
#pragma once

#include <functional>

#include "Arvelo/Chrome/ChromePanel.h"

namespace arvelo {

struct ChromeHost {
    // Called once per panel, after its platform panel exists and before it is shown.
    std::function<void(ChromePanel&)> present;
    // The panel's content changed in place (a new picture for a miniature tile).
    std::function<void(ChromePanel&)> redraw;
    // The zoom bar button's fitting width in points (icon, two spaces and the title).
    std::function<double()> zoomButtonWidth;
};

}  // namespace arvelo
