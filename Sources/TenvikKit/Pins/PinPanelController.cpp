// PinPanelController.cpp: placeholder state keeping until the panel itself is built: prepare,
// visibility and stop follow the controller's states without putting anything on screen.
#include "TenvikKit/Pins/PinPanelController.h"

namespace tenvik {

PinPanelController::PinPanelController(const platform::Services& services, PinPreviewHost host)
    : services_(services), host_(std::move(host)) {}

PinPanelController::~PinPanelController() = default;

void PinPanelController::prepare(const PinnedWindow& window, double, bool) {
    ownerPID_ = window.ownerPID;
    windowID_ = window.windowID;
    if (!panel_) panel_ = platform::PanelID{0};
}

void PinPanelController::updateFrame(const arvelo::Rect&) {}

void PinPanelController::setVisible(bool visible) {
    if (visible == isVisible_ || !panel_) return;
    isVisible_ = visible;
}

void PinPanelController::applyAppearance(double, bool) {}

std::weak_ptr<platform::PinFrameTarget> PinPanelController::displayLayer() const { return previewView_; }

void PinPanelController::checkInteractionExit() {}

void PinPanelController::stop() {
    const bool was = isInteracting_;
    isInteracting_ = false;
    if (was && onInteractionEnded) onInteractionEnded();
    isVisible_ = false;
    panel_.reset();
    previewView_.reset();
    ownerPID_.reset();
    windowID_ = 0;
}

}  // namespace tenvik
