// SPDX-License-Identifier: MIT
// X11PinCaptureBackend: one live capture of a window on X11. The window manager's frame of the
// window is redirected (automatically: the server still draws it as before) and its pixmap named
// again after every resize and map; Damage says when its contents changed, and only then, at
// most once per frame interval of the profile, is a frame made. Where the target offers its
// window and the server has XRender, the server draws the frame into it (PinPanelPainter): no
// pixel crosses the connection, and nothing is done while the target's window is hidden.
// Otherwise the frame is read (MIT-SHM, else GetImage), scaled to fit the profile's size and
// handed to the target on the main thread. An unmapped window keeps its last frame; a destroyed
// one ends the capture with an error, told once. Main thread.
#pragma once

#include "Platform/PinCapture.h"
#include "Platform/X11/PinPanelPainter.h"
#include "Platform/X11/PixelLayout.h"
#include "Platform/X11/X11CaptureLink.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <memory>
#include <optional>
#include <utility>

namespace platform::x11 {

class X11PinCaptureBackend final : public PinCaptureBackend, public std::enable_shared_from_this<X11PinCaptureBackend> {
public:
    static constexpr const char* kErrorDomain = "org.vomira.capture";
    enum ErrorCode {
        kNoConnection = 1,
        kNoComposite = 2,
        kWindowClosed = 3,
        kNotShown = 4,
        kTimedOut = 5,
        kReadFailed = 6,
        kNotRunning = 7,
    };

    X11PinCaptureBackend(std::shared_ptr<Dispatcher> dispatch, std::shared_ptr<X11CaptureLink> link,
                         std::uint32_t window, std::weak_ptr<PinFrameTarget> target, const PinCaptureProfile& profile);
    ~X11PinCaptureBackend() override;

    void start(Completion done) override;
    void applyProfile(const PinCaptureProfile& profile, Completion done) override;
    void disableOutput() override { outputEnabled_ = false; }
    void stop(std::function<void()> done) override;

    // Whether reads go through shared memory; switching it off forces GetImage.
    void setSharedMemoryAllowed(bool allowed) { sharedMemoryAllowed_ = allowed; }
    bool usesSharedMemory() const { return segment_.address != nullptr; }
    // Frames read so far (a read that found nothing changed is not made).
    std::uint64_t readCount() const { return reads_; }
    // The server draws the frames into the target's window.
    bool drawsOnServer() const { return painter_ != nullptr; }
    // Frames the server drew into the target's window so far.
    std::uint64_t drawCount() const { return draws_; }

private:
    struct Frame {
        xcb_window_t window = XCB_WINDOW_NONE;  // the window manager's frame (or the window itself)
        int width = 0, height = 0;              // border included
        std::uint8_t depth = 0;
        xcb_visualid_t visual = 0;
    };
    struct Segment {
        xcb_shm_seg_t id = 0;
        void* address = nullptr;
        std::size_t size = 0;
    };

    std::optional<CaptureError> attach();
    void handle(const CaptureEvent& event);
    void nameAgain();
    void releasePixmap();
    void scheduleRead();
    // Marks the time of the frame being made now, on the beat of the frame interval.
    void pace();
    void read();
    // Chooses between drawing on the server and copying frames, once the capture is attached.
    void choosePath();
    void drawingChanged();
    // One frame drawn into the target's window; false when it was not shown.
    bool drawOnServer();
    const std::uint8_t* readPixels(PixelLayout& layout, std::optional<CaptureError>& failure);
    bool ensureSegment(std::size_t bytes);
    void releaseSegment();
    // The part of the frame a read asks for: never more than the display's size.
    std::pair<int, int> readSize() const;
    PixelLayout layoutFor(int width) const;
    // The capture ends by itself: resources go, the owner is told once.
    void end(const CaptureError& error);
    void detach();
    void answer(Completion done, std::optional<CaptureError> error);
    std::weak_ptr<X11PinCaptureBackend> weak() { return weak_from_this(); }
    // Seconds on the steady clock: the pacer's time.
    static double uptime();

    std::shared_ptr<Dispatcher> dispatch_;
    std::shared_ptr<X11CaptureLink> link_;
    xcb_window_t client_;
    std::weak_ptr<PinFrameTarget> target_;
    PinCaptureProfile profile_;
    Frame frame_;
    bool capturing_ = false;
    bool ended_ = false;
    bool stopStarted_ = false;
    bool outputEnabled_ = true;
    bool mapped_ = false;
    bool frameMapped_ = false;
    bool clientMapped_ = false;
    bool dirty_ = false;
    bool sharedMemoryAllowed_ = true;
    xcb_pixmap_t pixmap_ = XCB_NONE;
    std::uint32_t damage_ = 0;
    TimerHandle readTimer_;
    bool readScheduled_ = false;
    double lastRead_ = -1e9;
    std::uint64_t reads_ = 0;
    std::uint64_t draws_ = 0;
    std::unique_ptr<PinPanelPainter> painter_;
    Segment segment_;
    XPtr<void> image_;  // the last GetImage reply, when not in shared memory
};

}  // namespace platform::x11
