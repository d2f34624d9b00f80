// ChromeViews.h: the view layer's side of the chrome (ChromeHost): fills each panel the
// controller makes with its Qt view (tab bar, seam handle, miniature tile, zoom bar, drop
// preview), cuts the panel to its outline and paints it opaque when no compositing manager
// runs, and swaps new pictures into miniature tiles.
#pragma once

#include "Arvelo/Chrome/ChromeHost.h"
#include "Platform/Panels.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace arvelo::views {

class ChromeViews {
public:
    // `hostOf` names the Qt window of a platform panel (null when it has none);
    // `primaryHeight` is the first screen's height now.
    static ChromeHost host(std::shared_ptr<platform::Panels> panels, std::function<QWidget*(platform::PanelID)> hostOf,
                           std::function<double()> primaryHeight);

    // Builds the view of a panel inside `host` (replacing what was there) and returns it.
    static QWidget* present(ChromePanel& panel, QWidget* host, bool translucent, std::function<double()> primaryHeight,
                            std::shared_ptr<platform::Panels> panels);
};

}  // namespace arvelo::views
