// SPDX-License-Identifier: MIT
// ScreenCapture.h: capturing other windows: whether this program may capture the screen
// (asked without and with a request to the user), the windows that can be captured, and one
// still picture of a window. Window pictures and live previews are both made from it.
#pragma once

#include "ArveloCore/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A window that can be captured: its number and its outer frame in points (top-left-origin
// screen space).
struct ShareableWindow {
    std::uint32_t windowID = 0;
    arvelo::Rect frame;

    friend bool operator==(const ShareableWindow&, const ShareableWindow&) = default;
};

// A captured picture: width × height pixels as 32-bit ARGB (0xAARRGGBB), row by row from the
// top. The pixels are shared between copies and never change once made.
struct CapturedImage {
    int width = 0;
    int height = 0;
    std::shared_ptr<const std::vector<std::uint32_t>> pixels;

    bool empty() const { return width <= 0 || height <= 0 || !pixels; }
    std::uint32_t pixel(int x, int y) const { return (*pixels)[static_cast<std::size_t>(y) * width + x]; }
};

// One capture's outcome: the picture, or why there is none.
struct CaptureOutcome {
    std::optional<CapturedImage> image;
    std::string error;  // a sentence for the user when there is no picture
};

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    virtual bool preflightAccess() = 0;
    virtual bool requestAccess() = 0;

    // The windows that can be captured, front to back (desktop elements left out). Absent,
    // with `error` set, when the list cannot be read.
    virtual std::optional<std::vector<ShareableWindow>> shareableWindows(bool onScreenOnly, std::string* error) = 0;
    // Pixels per point of the screen that shows the window.
    virtual double pointPixelScale(const ShareableWindow& window) = 0;
    // One picture of the window at (up to) width × height pixels: asked smaller than the window,
    // the whole window scaled down to fit that size. A window that is gone or
    // not shown gives no picture and an error. Safe from any thread.
    virtual CaptureOutcome captureWindow(const ShareableWindow& window, int width, int height) = 0;
    // A count that moves whenever a window's picture taken now could differ from the one taken
    // before it (something was drawn into a window, one came, went, moved or changed size).
    // Absent where the platform cannot tell: then only a capture says whether it changed.
    virtual std::optional<std::uint64_t> drawStamp() { return std::nullopt; }
    // One picture of the whole screen as it is shown now (every display, panels included), a
    // pixel per point. Safe from any thread.
    virtual CaptureOutcome captureScreen() = 0;
};

}  // namespace platform
