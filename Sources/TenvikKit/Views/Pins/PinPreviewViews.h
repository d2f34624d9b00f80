// SPDX-License-Identifier: MIT
// PinPreviewViews.h: the view layer's side of a pin's preview panel for the real program. The
// host it answers fills each panel the pin's panel controller makes (a Qt window) with a
// PreviewStreamView: it shows the capture's latest frame stretched over the panel, fades the
// picture to the pin's opacity where a compositing manager runs, draws the border, and reports
// the pointer resting on, pressing or scrolling over the picture to the controller. Hand the
// host to every PinPanelController of the program: PinPanelController(services, pinPreviewHost(panels)).
#pragma once

#include "Platform/Qt/PanelWindows.h"
#include "TenvikKit/Pins/PinPreviewHost.h"

#include <memory>

namespace tenvik::views {

// A host whose present() fills the panel's Qt window in `panels`; a panel without a window
// (closed meanwhile) gets no surface, and the controller then keeps its own model surface.
PinPreviewHost pinPreviewHost(std::shared_ptr<platform::PanelWindows> panels);

}  // namespace tenvik::views
