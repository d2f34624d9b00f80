// SPDX-License-Identifier: MIT
// SimScreenCapture.cpp: the simulated window list for capture and the made-up pictures.
#include "Platform/Sim/SimScreenCapture.h"

#include <algorithm>

namespace platform::sim {

std::optional<std::vector<ShareableWindow>> SimScreenCapture::shareableWindows(bool onScreenOnly, std::string* error) {
    if (world_->shareableWindowsError) {
        if (error) *error = *world_->shareableWindowsError;
        return std::nullopt;
    }
    std::vector<ShareableWindow> list;
    for (std::uint32_t number : world_->stacking()) {
        const Window* window = world_->liveWindow(number);
        if (!window || window->desktopElement) continue;
        if (onScreenOnly && !world_->onScreen(*window)) continue;
        list.push_back({number, window->frame});
    }
    return list;
}

CaptureOutcome SimScreenCapture::captureWindow(const ShareableWindow& target, int width, int height) {
    world_->captures.push_back(target.windowID);
    if (!world_->liveWindow(target.windowID)) return {std::nullopt, "The window is no longer there."};
    if (world_->captureFailures.contains(target.windowID)) return {std::nullopt, "The window could not be captured."};
    if (width <= 0 || height <= 0) return {std::nullopt, "The window has no size."};
    const int strip = static_cast<int>(kTitleStripHeight * world_->pointPixelScale);
    if (const auto taken = taken_.find(target.windowID); taken != taken_.end() && taken->second.strip == strip &&
                                                         taken->second.image.width == width &&
                                                         taken->second.image.height == height)
        return {taken->second.image, ""};
    auto pixels = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(width) * height,
                                                               fillColour(target.windowID));
    for (int y = 0; y < std::min(strip, height); ++y)
        std::fill_n(pixels->begin() + static_cast<std::ptrdiff_t>(y) * width, width, titleColour(target.windowID));
    CapturedImage image{width, height, std::move(pixels)};
    taken_[target.windowID] = {strip, image};
    return {std::move(image), ""};
}

CaptureOutcome SimScreenCapture::captureScreen() {
    ++world_->screenCaptures;
    if (world_->screenCaptureFails) return {std::nullopt, "The screen could not be captured."};
    arvelo::Rect screen = arvelo::Rect::null();
    for (const Display& display : world_->displays()) screen = screen.united(display.frame);
    const int width = static_cast<int>(screen.isNull() ? 0 : screen.maxX());
    const int height = static_cast<int>(screen.isNull() ? 0 : screen.maxY());
    if (width <= 0 || height <= 0) return {std::nullopt, "There is no screen."};
    auto pixels = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(width) * height, kBackground);
    const auto& stacking = world_->stacking();
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        const Window* window = world_->liveWindow(*it);
        if (!window || !world_->onScreen(*window)) continue;
        const arvelo::Rect frame = window->frame.standardized();
        const int x0 = std::clamp(static_cast<int>(frame.minX()), 0, width);
        const int x1 = std::clamp(static_cast<int>(frame.maxX()), 0, width);
        const int y0 = std::clamp(static_cast<int>(frame.minY()), 0, height);
        const int y1 = std::clamp(static_cast<int>(frame.maxY()), 0, height);
        for (int y = y0; y < y1; ++y) {
            const std::uint32_t colour = y - y0 < kTitleStripHeight ? titleColour(*it) : fillColour(*it);
            std::fill(pixels->begin() + static_cast<std::ptrdiff_t>(y) * width + x0,
                      pixels->begin() + static_cast<std::ptrdiff_t>(y) * width + x1, colour);
        }
    }
    return {CapturedImage{width, height, std::move(pixels)}, ""};
}

std::uint32_t SimScreenCapture::fillColour(std::uint32_t windowNumber) {
    // A spread of distinct, mid-bright colours over consecutive window numbers.
    const std::uint32_t mixed = windowNumber * 2654435761u;
    return 0xFF000000u | (0x404040u + (mixed >> 8 & 0x7F7F7Fu));
}

std::uint32_t SimScreenCapture::titleColour(std::uint32_t windowNumber) {
    return 0xFF000000u | (fillColour(windowNumber) >> 1 & 0x7F7F7Fu);
}

}  // namespace platform::sim
