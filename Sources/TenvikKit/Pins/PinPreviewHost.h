// SPDX-License-Identifier: MIT
// PinPreviewHost.h: the view layer's side of a pin's preview panel. The panel controller asks
// the host once per panel to fill it with its preview view; the view takes the capture's frames
// (it is the capture's frame target), fades the picture, shows or hides the border, and tells the
// controller when the pointer rests on it, presses or scrolls over it. Without a host (logic
// tests, no display) the controller keeps a model surface that draws nothing.
#pragma once

#include "Platform/Panels.h"
#include "Platform/PinCapture.h"

#include <functional>
#include <memory>

namespace tenvik {

class PreviewSurface : public platform::PinFrameTarget {
public:
    // Drops the picture shown, so that nothing of an earlier window stays.
    virtual void flush() = 0;
    // The picture's opacity, already clamped by the controller; the border keeps full strength.
    virtual void setPictureOpacity(double opacity) = 0;
    virtual void setBorderVisible(bool visible) = 0;

    // Set by the controller. Hover: the pointer entered or moved over the view (also called
    // before a press or scroll is reported). Mouse event: a press, release or drag of any
    // button. Scroll: a wheel or touchpad scroll.
    std::function<void()> onHoverInside;
    std::function<void()> onMouseEvent;
    std::function<void()> onScrollEvent;
};

struct PinPreviewHost {
    // Fills a freshly made platform panel with its preview view and answers it; called once per
    // panel, before the panel is first shown.
    std::function<std::shared_ptr<PreviewSurface>(platform::PanelID)> present;
};

}  // namespace tenvik
