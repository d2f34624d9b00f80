// SPDX-License-Identifier: MIT
// ChromeViews.h: the view layer's side of the chrome (ChromeHost): fills each panel the
// controller makes with its Qt view (tab bar, seam handle, miniature tile, zoom bar, drop
// preview), cuts the panel to its outline and paints it opaque when no compositing manager
// runs, and swaps new pictures into miniature tiles.
#pragma once

#include "Arvelo/Chrome/ChromeHost.h"
#include "Arvelo/Views/Chrome/ChromeStyle.h"
#include "Platform/Panels.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace arvelo::views {

class ChromeViews {
public:
    // `hostOf` names the Qt window of a platform panel (null when it has none);
    // `primaryHeight` is the first screen's height now; `watchEscape` tells a view held by a
    // press of Escape pressed anywhere (absent: only a view with the keyboard hears it).
    static ChromeHost host(std::shared_ptr<platform::Panels> panels, std::function<QWidget*(platform::PanelID)> hostOf,
                           std::function<double()> primaryHeight, EscapeWatch watchEscape = {});

    // Builds the view of a panel inside `host` (replacing what was there) and returns it.
    static QWidget* present(ChromePanel& panel, QWidget* host, bool translucent, std::function<double()> primaryHeight,
                            std::shared_ptr<platform::Panels> panels, EscapeWatch watchEscape = {});
    // The same, drawn for the form the host window has: translucent when it was made with an
    // alpha channel (a compositing manager runs), else opaque and cut to its outline.
    static QWidget* present(ChromePanel& panel, QWidget* host, std::function<double()> primaryHeight,
                            std::shared_ptr<platform::Panels> panels, EscapeWatch watchEscape = {});
};

}  // namespace arvelo::views
