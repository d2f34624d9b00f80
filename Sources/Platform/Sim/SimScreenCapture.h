// SPDX-License-Identifier: MIT
// SimScreenCapture.h: the simulated screen capture: the permission as a switch (and whether
// a request grants it), the capturable windows from the world's stacking order, and made-up
// pictures: each window filled with a colour of its own under a darker title strip. Tests can
// make one window's capture fail, or the window list. A window's picture taken again at the
// same size is the same picture (its pixels shared), as on a desktop where nothing was drawn.
#pragma once

#include "Platform/ScreenCapture.h"
#include "Platform/Sim/World.h"

#include <map>
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
    std::optional<std::uint64_t> drawStamp() override { return world_->drawStamp; }
    // The displays' union on a dark background with every shown window's made-up picture,
    // back to front.
    CaptureOutcome captureScreen() override;
    static constexpr std::uint32_t kBackground = 0xFF202830u;

    // The colour a window's picture is filled with (opaque ARGB), and its title strip's.
    static std::uint32_t fillColour(std::uint32_t windowNumber);
    static std::uint32_t titleColour(std::uint32_t windowNumber);

private:
    std::shared_ptr<World> world_;
    struct Taken {
        int strip = 0;  // the title strip's height in pixels it was made with
        CapturedImage image;
    };
    std::map<std::uint32_t, Taken> taken_;  // the last picture of each window
};

}  // namespace platform::sim
