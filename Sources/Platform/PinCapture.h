// SPDX-License-Identifier: MIT
// PinCapture.h: live capture of one window for a pin: the size and frame rate asked of it, the
// errors it reports, where its frames go (handed over, or drawn by the display server straight
// into the target's window), the backend that runs one capture (started, told a new profile, its
// output switched off, stopped), and the service that makes backends and lists the windows that
// can be captured live. Main thread only: every callback arrives there.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/ScreenCapture.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// What a pin asks of its capture: frames of at most width × height pixels, at most
// framesPerSecond of them a second.
struct PinCaptureProfile {
    int width = 0;
    int height = 0;
    int framesPerSecond = 0;

    friend bool operator==(const PinCaptureProfile&, const PinCaptureProfile&) = default;

    // The shortest time between two frames. A rate below 1 would give no interval at all, so it
    // counts as 1 frame a second.
    double frameInterval() const { return 1.0 / std::max(1, framesPerSecond); }
};

// Why a capture failed or ended: a domain and code for the record, and a sentence for people.
// `cancelled` is the error of a start that was superseded or stopped.
struct CaptureError {
    std::string domain;
    int code = 0;
    std::string message;

    friend bool operator==(const CaptureError&, const CaptureError&) = default;

    static constexpr const char* kCancelledDomain = "Cancellation";
    static CaptureError cancelled() { return {kCancelledDomain, 0, "The capture was cancelled."}; }
    bool isCancelled() const { return domain == kCancelledDomain; }
};

// How a capture may draw into its target's own window on the display server, so that no picture
// is handed over: the window to fill, whether it shows translucency (an alpha channel under a
// compositing manager) with the picture's opacity, and what is drawn over the picture (the
// border): premultiplied 0xAARRGGBB at the window's size, of which only the outer band of
// `overlayMargin` pixels is looked at. An empty overlay draws nothing over the picture.
struct PinDrawing {
    std::uint32_t window = 0;
    bool translucent = false;
    double opacity = 1.0;
    CapturedImage overlay;
    int overlayMargin = 0;
};

// Where a capture's frames go (a pin's preview). Held weakly by the capture: once the target is
// gone, frames are dropped.
class PinFrameTarget {
public:
    virtual ~PinFrameTarget() = default;
    virtual void enqueue(const CapturedImage& frame) = 0;
    // The window a capture may draw into itself; none: frames come through enqueue().
    virtual std::optional<PinDrawing> drawing() const { return std::nullopt; }
    // A capture that draws into the target's window drew a frame there.
    virtual void drawn() {}

    // Set by a capture that draws into the target's window: the target calls it when its
    // drawing changed (opacity, overlay), so that the picture is drawn again.
    std::function<void()> onDrawingChanged;
};

// One live capture of one window. Asynchronous operations answer through their completion on
// the main thread, never from inside the call itself.
class PinCaptureBackend {
public:
    using Completion = std::function<void(std::optional<CaptureError>)>;

    virtual ~PinCaptureBackend() = default;
    // Begins the capture with the profile it was made with.
    virtual void start(Completion done) = 0;
    // Changes the size and frame rate of a running capture.
    virtual void applyProfile(const PinCaptureProfile& profile, Completion done) = 0;
    // From this call on, no frame reaches the target.
    virtual void disableOutput() = 0;
    // Ends the capture; never fails. A second call does nothing but answer.
    virtual void stop(std::function<void()> done) = 0;

    // Called on the main thread when the capture ends by itself (the window closed).
    std::function<void(const CaptureError&)> onStop;
};

// A window as live capture sees it: its number, owner and application name, title, frame
// (top-left-origin points), layer, whether it is on screen and whether it is the active window.
struct ShareableContentWindow {
    std::uint32_t windowID = 0;
    std::optional<std::int32_t> ownerPid;  // absent when no application owns it
    std::optional<std::string> applicationName;
    std::optional<std::string> title;
    arvelo::Rect frame;
    std::int32_t layer = 0;
    bool isOnScreen = true;
    bool isActive = false;

    friend bool operator==(const ShareableContentWindow&, const ShareableContentWindow&) = default;
};

// The service: the capturable windows and new captures of them.
class LiveCapture {
public:
    virtual ~LiveCapture() = default;

    // The windows that can be captured, front to back. Absent, with `error` set, when the list
    // cannot be read.
    virtual std::optional<std::vector<ShareableContentWindow>> shareableContent(bool excludeDesktopWindows,
                                                                                bool onScreenOnly,
                                                                                std::string* error) = 0;
    // A new, not yet started capture of the window.
    virtual std::shared_ptr<PinCaptureBackend> makeBackend(const ShareableContentWindow& window,
                                                           std::weak_ptr<PinFrameTarget> target,
                                                           const PinCaptureProfile& initialProfile) = 0;
};

}  // namespace platform
