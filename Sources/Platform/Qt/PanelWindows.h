// SPDX-License-Identifier: MIT
// PanelWindows.h: the panel service of a backend whose panels are Qt windows: the view layer
// fills a panel's window with its content. Main thread only.
#pragma once

#include "Platform/Panels.h"

class QWidget;

namespace platform {

class PanelWindows : public Panels {
public:
    // The panel's window, for the view layer to fill; null for an unknown or closed panel.
    virtual QWidget* host(PanelID panel) const = 0;
};

}  // namespace platform
