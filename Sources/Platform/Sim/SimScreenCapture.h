// SimScreenCapture.h: the simulated screen capture: the permission as a switch (and whether
// a request grants it), the capturable windows from the world's stacking order, and made-up
// pictures: each window filled with a colour of its own under a darker title strip. Tests can
// make one window's capture fail, or the window list.
#pragma once

#include "Platform/ScreenCapture.h"
#include "Platform/Sim/World.h"

#include <memory>

namespace platform::sim {

class SimScreenCapture : public ScreenCapture {
public:
    // The height in pixels of the darker strip at the top of every made-up picture.
    static constexpr int kTitleStripHeight = 28;

    explicit SimScreenCapture(std::shared_ptr<World> world) : world_(std::move(world)) {}

    bool preflightAccess() override { return world_->screenCaptureAccess; }
    bool requestAccess() override {
        if (world_->grantScreenCaptureOnRequest) world_->screenCaptureAccess = true;
        return world_->screenCaptureAccess;
    }
    std::optional<std::vector<ShareableWindow>> shareableWindows(bool onScreenOnly, std::string* error) override;
    double pointPixelScale(const ShareableWindow&) override { return world_->pointPixelScale; }
    CaptureOutcome captureWindow(const ShareableWindow& window, int width, int height) override;
    // The displays' union on a dark background with every shown window's made-up picture,
    // back to front.
    CaptureOutcome captureScreen() override;
    static constexpr std::uint32_t kBackground = 0xFF202830u;

    // The colour a window's picture is filled with (opaque ARGB), and its title strip's.
    static std::uint32_t fillColour(std::uint32_t windowNumber);
    static std::uint32_t titleColour(std::uint32_t windowNumber);

private:
    std::shared_ptr<World> world_;
};

}  // namespace platform::sim
