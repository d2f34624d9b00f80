// SPDX-License-Identifier: MIT
// PinPanelController.cpp: the preview panel of one pin over the platform's panels, and the
// click-through interaction with its exit rule, its monitors and their fallback timer.
#include "TenvikKit/Pins/PinPanelController.h"

#include "TenvikKit/Log/LogChannel.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tenvik {

namespace {

// Where a new panel waits until the first frame update puts it over its window.
constexpr arvelo::Rect kPlaceholderFrame(160, 140, 900, 700);
// How far the pointer may stray outside the panel before an interaction ends.
constexpr double kExitMargin = 8;
// How often the exit rule is checked when no mouse monitor can be installed.
constexpr platform::Seconds kFallbackInterval = 0.25;
constexpr float kMinimumOpacity = 0.1f;
constexpr float kMaximumOpacity = 1.0f;

// The mouse events after which an interaction may have to end: buttons going up, the pointer
// moving, drags of any button.
constexpr std::uint64_t kExitEventsMask =
    platform::eventMask(platform::MouseEventType::leftMouseUp) |
    platform::eventMask(platform::MouseEventType::rightMouseUp) |
    platform::eventMask(platform::MouseEventType::mouseMoved) |
    platform::eventMask(platform::MouseEventType::leftMouseDragged) |
    platform::eventMask(platform::MouseEventType::rightMouseDragged) |
    platform::eventMask(platform::MouseEventType::otherMouseUp) |
    platform::eventMask(platform::MouseEventType::otherMouseDragged);

// The surface of a controller without a view layer: it keeps nothing and draws nothing.
class ModelSurface final : public PreviewSurface {
public:
    void enqueue(const platform::CapturedImage&) override {}
    void flush() override {}
    void setPictureOpacity(double) override {}
    void setBorderVisible(bool) override {}
};

bool isFinite(double value) { return std::isfinite(value); }

// Calls a copy of an owner's callback: the owner may replace it, or drop the controller, from
// inside.
void notify(const std::function<void()>& callback) {
    if (const auto copy = callback) copy();
}

}  // namespace

PinPanelController::PinPanelController(const platform::Services& services, PinPreviewHost host)
    : services_(services), host_(std::move(host)), self_(std::make_shared<PinPanelController*>(this)) {}

PinPanelController::~PinPanelController() {
    stopExitMonitors();
    if (panel_ && services_.panels) services_.panels->close(*panel_);
}

void PinPanelController::prepare(const PinnedWindow& window, double opacity, bool showsBorder) {
    ownerPID_ = window.ownerPID;
    windowID_ = window.windowID;
    ensurePanel();
    updateFrame(window.bounds);
    // Nothing of a window pinned before may show over this one.
    previewView_->flush();
    applyAppearance(opacity, showsBorder);
}

void PinPanelController::ensurePanel() {
    if (panel_) return;
    const auto& panels = services_.panels;
    panel_ = panels ? panels->create(kPlaceholderFrame) : platform::PanelID{0};
    frame_ = kPlaceholderFrame;
    if (panels) {
        panels->setLevel(*panel_, platform::PanelLevel::floating);
        panels->setIgnoresMouse(*panel_, false);
        if (host_.present) previewView_ = host_.present(*panel_);
    }
    if (!previewView_) previewView_ = std::make_shared<ModelSurface>();
    const auto begin = [weak = std::weak_ptr(self_)] {
        if (auto self = weak.lock()) (*self)->beginInteraction();
    };
    previewView_->onHoverInside = begin;
    previewView_->onMouseEvent = begin;
    previewView_->onScrollEvent = begin;
}

bool PinPanelController::hasScreen() const {
    return services_.screens && !services_.screens->screens().empty();
}

void PinPanelController::updateFrame(const arvelo::Rect& bounds) {
    if (!hasScreen()) return;
    const bool usable = isFinite(bounds.x) && isFinite(bounds.y) && isFinite(bounds.width) &&
                        isFinite(bounds.height) && bounds.width > 1 && bounds.height > 1;
    if (!usable) return;
    // The bounds are already in the top-left-origin space the panels use.
    frame_ = bounds;
    if (panel_ && services_.panels) services_.panels->setFrame(*panel_, bounds);
}

void PinPanelController::setVisible(bool visible) {
    if (visible == isVisible_ || !panel_) return;
    isVisible_ = visible;
    const auto& panels = services_.panels;
    if (visible) {
        if (panels) panels->show(*panel_);
        return;
    }
    if (isInteracting_) {
        const std::weak_ptr alive(self_);
        endInteraction();
        if (alive.expired() || !panel_) return;
    }
    if (panels) panels->hide(*panel_);
}

void PinPanelController::applyAppearance(double opacity, bool showsBorder) {
    if (!previewView_) return;
    // Only the picture fades; the border keeps its full strength. A value that is not a
    // number shows the picture as it is.
    const float wanted = std::isnan(opacity) ? kMaximumOpacity : static_cast<float>(opacity);
    previewView_->setPictureOpacity(std::clamp(wanted, kMinimumOpacity, kMaximumOpacity));
    previewView_->setBorderVisible(showsBorder);
}

std::weak_ptr<platform::PinFrameTarget> PinPanelController::displayLayer() const { return previewView_; }

void PinPanelController::beginInteraction() {
    if (!isVisible_ || isInteracting_ || !panel_ || !ownerPID_ || !onInteractionRequest) return;
    const std::weak_ptr alive(self_);
    const auto request = onInteractionRequest;  // the owner may replace or drop it meanwhile
    const bool raised = request();
    // The owner may have stopped or dropped this controller meanwhile.
    if (!raised || alive.expired() || !panel_ || !isVisible_ || isInteracting_) return;
    isInteracting_ = true;
    notify(onInteractionChanged);
    if (alive.expired() || !isInteracting_ || !panel_) return;
    if (const auto& panels = services_.panels) {
        // Directly behind the raised window, and every mouse event goes through.
        panels->setLevel(*panel_, platform::PanelLevel::normal);
        panels->setIgnoresMouse(*panel_, true);
        panels->orderBelow(*panel_, windowID_);
    }
    Log::pin().debug("passthrough begin pid=" + std::to_string(*ownerPID_) + " windowID=" + std::to_string(windowID_));
    startExitMonitors();
}

void PinPanelController::startExitMonitors() {
    stopExitMonitors();
    if (!services_.dispatch) return;  // no main loop to check on: the owner's refreshes still do
    const auto check = [weak = std::weak_ptr(self_), dispatch = services_.dispatch] {
        // Checked on a later turn of the main loop, never inside the handler itself.
        dispatch->async([weak] {
            if (auto self = weak.lock()) (*self)->checkInteractionExit();
        });
    };
    if (services_.mouseMonitor) {
        if (auto monitor = services_.mouseMonitor->addGlobalMonitor(kExitEventsMask,
                                                                    [check](const platform::MouseEvent&) { check(); })) {
            mouseMonitors_.push_back(std::move(monitor));
            return;
        }
    }
    fallbackTimer_ = services_.dispatch->scheduleTimer(kFallbackInterval, true, platform::RunLoopMode::common, check);
}

void PinPanelController::stopExitMonitors() {
    mouseMonitors_.clear();
    if (fallbackTimer_) fallbackTimer_->invalidate();
    fallbackTimer_.reset();
}

void PinPanelController::checkInteractionExit() {
    if (!isInteracting_) return;
    // An interaction never ends in the middle of a press or a drag.
    if (services_.pointer && services_.pointer->pressedMouseButtons() != 0) return;
    if (!panel_) {
        endInteraction();
        return;
    }
    if (ownerPID_) {
        const auto front = services_.workspace ? services_.workspace->frontmostApplication() : std::nullopt;
        if (!front || front->pid != *ownerPID_) {
            endInteraction();
            return;
        }
    }
    if (!services_.pointer) return;
    if (!panelArea().insetBy(-kExitMargin, -kExitMargin).contains(pointerLocation())) endInteraction();
}

arvelo::Rect PinPanelController::panelArea() const {
    if (panel_ && services_.panels)
        if (const auto frame = services_.panels->frame(*panel_)) return *frame;
    return frame_;
}

arvelo::Point PinPanelController::pointerLocation() const {
    // The pointer comes in the bottom-left-origin space of screens; panels are top-left.
    const arvelo::Point p = services_.pointer->location();
    const auto screens = services_.screens ? services_.screens->screens() : std::vector<platform::Screen>{};
    const double primaryTop = screens.empty() ? 0 : screens.front().frame.maxY();
    return {p.x, primaryTop - p.y};
}

void PinPanelController::endInteraction() {
    stopExitMonitors();
    const bool was = isInteracting_;
    isInteracting_ = false;
    if (was) {
        const std::weak_ptr alive(self_);
        notify(onInteractionChanged);
        if (alive.expired()) return;
        notify(onInteractionEnded);
        if (alive.expired()) return;
    }
    if (panel_) {
        if (const auto& panels = services_.panels) {
            panels->setIgnoresMouse(*panel_, false);
            panels->setLevel(*panel_, platform::PanelLevel::floating);
            if (isVisible_) panels->show(*panel_);
        }
    }
    Log::pin().debug("passthrough end");
}

void PinPanelController::stop() {
    stopExitMonitors();
    const bool was = isInteracting_;
    isInteracting_ = false;
    if (was) {
        const std::weak_ptr alive(self_);
        notify(onInteractionEnded);
        if (alive.expired()) return;
    }
    isVisible_ = false;
    if (previewView_) previewView_->flush();
    if (panel_ && services_.panels) {
        services_.panels->setIgnoresMouse(*panel_, false);
        services_.panels->hide(*panel_);
        // Released for good: the panel's window leaves the desktop; a later prepare makes a new one.
        services_.panels->close(*panel_);
    }
    panel_.reset();
    previewView_.reset();
    ownerPID_.reset();
    windowID_ = 0;
}

}  // namespace tenvik
