// SPDX-License-Identifier: MIT
// PinPanelController.h: the preview panel of one pin, laid exactly over the pinned window on
// every desktop, at the floating level, never taking the keyboard focus. It runs the
// click-through interaction: when the pointer rests on, presses or scrolls over the picture, it
// asks its owner to bring the real window forward; when that worked the panel drops to the
// normal level behind the real window and lets every mouse event through, until no button is
// held and either the pinned application is no longer in front or the pointer has left the panel
// with an 8-point margin. Main thread only.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Services.h"
#include "TenvikKit/Pins/PinPreviewHost.h"
#include "TenvikKit/Pins/PinnedWindow.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tenvik {

class PinPanelController {
public:
    // `services.panels` null: the controller keeps its state without any panel on screen.
    PinPanelController(const platform::Services& services, PinPreviewHost host);
    ~PinPanelController();
    PinPanelController(const PinPanelController&) = delete;
    PinPanelController& operator=(const PinPanelController&) = delete;

    // Asked when an interaction would begin: true when the real window was brought forward.
    std::function<bool()> onInteractionRequest;
    // An interaction ended (also through stop()).
    std::function<void()> onInteractionEnded;
    // isInteracting() changed through the start or end of an interaction (not through stop()).
    std::function<void()> onInteractionChanged;

    bool isVisible() const { return isVisible_; }
    bool isInteracting() const { return isInteracting_; }

    // Binds the controller to a window and readies the panel over it, without showing it.
    void prepare(const PinnedWindow& window, double opacity, bool showsBorder);
    // Lays the panel over `bounds` (top-left-origin window frame space). Bounds that are not
    // finite or not larger than 1 × 1 leave the panel where it is.
    void updateFrame(const arvelo::Rect& bounds);
    void setVisible(bool visible);
    // Opacity of the picture, clamped to 0.1...1.0, and the border; nothing before prepare().
    void applyAppearance(double opacity, bool showsBorder);
    // Where the capture's frames go; empty while there is no panel.
    std::weak_ptr<platform::PinFrameTarget> displayLayer() const;
    // Ends the interaction when its exit rule holds.
    void checkInteractionExit();
    // Ends everything and releases the panel; the callbacks stay set.
    void stop();

private:
    void ensurePanel();
    bool hasScreen() const;
    void beginInteraction();
    void endInteraction();
    void startExitMonitors();
    void stopExitMonitors();
    // The panel's frame (top-left space) and the pointer converted to that space.
    arvelo::Rect panelArea() const;
    arvelo::Point pointerLocation() const;

    platform::Services services_;
    PinPreviewHost host_;
    bool isVisible_ = false;
    bool isInteracting_ = false;
    std::optional<platform::PanelID> panel_;
    std::shared_ptr<PreviewSurface> previewView_;
    std::optional<std::int32_t> ownerPID_;
    std::uint32_t windowID_ = 0;
    // The last frame given to the panel (what a model panel without a platform keeps).
    arvelo::Rect frame_;
    std::vector<std::shared_ptr<void>> mouseMonitors_;
    std::optional<platform::TimerHandle> fallbackTimer_;
    // Held weakly by the view's callbacks, the monitors and the timer: once the controller is
    // gone they do nothing.
    std::shared_ptr<PinPanelController*> self_;
};

}  // namespace tenvik
