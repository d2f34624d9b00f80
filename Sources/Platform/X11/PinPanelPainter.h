// SPDX-License-Identifier: MIT
// PinPanelPainter: draws a pinned window's contents into its preview panel on the X server,
// over the capture connection: a child window of ours fills the panel (so the toolkit that owns
// the panel never paints over the picture, and every press still goes to the panel), and each
// frame is one XRender Composite of the window's named pixmap, scaled by a transform to the
// panel's size and faded by a solid alpha mask when the panel is translucent, with the overlay
// (the border) composited over the panel's outer band. No pixel of a frame crosses the
// connection; the overlay is uploaded once for each change of it. Follows the panel's resizes,
// maps, unmaps and exposures, and its destruction (after which it draws nothing). Main thread.
#pragma once

#include "Platform/PinCapture.h"
#include "Platform/X11/X11CaptureLink.h"

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <functional>
#include <memory>

namespace platform::x11 {

class PinPanelPainter {
public:
    // Null when the panel cannot be drawn into: it is gone, or XRender has no format for it.
    // `onExposed` is called when the panel needs drawing again without a change of the window.
    static std::unique_ptr<PinPanelPainter> make(std::shared_ptr<X11CaptureLink> link, const PinDrawing& drawing,
                                                 std::function<void()> onExposed);
    ~PinPanelPainter();
    PinPanelPainter(const PinPanelPainter&) = delete;
    PinPanelPainter& operator=(const PinPanelPainter&) = delete;

    // A new opacity or overlay for the same panel.
    void setDrawing(const PinDrawing& drawing);
    // The panel is on screen: drawing into it now shows.
    bool shown() const { return shown_ && !gone_; }
    // The panel's window was destroyed.
    bool gone() const { return gone_; }
    // Draws the source (a named window pixmap of that visual and size) over the whole panel.
    // False when nothing was drawn (the panel is not shown, or the source has no format).
    bool draw(xcb_pixmap_t source, xcb_visualid_t visual, int width, int height);
    // The source pixmap is about to be freed: its picture goes first.
    void releaseSource();

private:
    PinPanelPainter(std::shared_ptr<X11CaptureLink> link, const PinDrawing& drawing, std::function<void()> onExposed);
    bool attach();
    void handle(const CaptureEvent& event);
    void uploadOverlay();
    void releaseOverlay();
    void compositeOverlay();
    std::weak_ptr<bool> alive() const { return alive_; }

    std::shared_ptr<X11CaptureLink> link_;
    PinDrawing drawing_;
    std::function<void()> onExposed_;
    xcb_window_t panel_ = XCB_WINDOW_NONE;
    xcb_window_t child_ = XCB_WINDOW_NONE;
    xcb_render_picture_t target_ = XCB_NONE;
    xcb_render_picture_t opacityMask_ = XCB_NONE;
    double maskOpacity_ = -1;
    xcb_pixmap_t overlayPixmap_ = XCB_NONE;
    xcb_render_picture_t overlay_ = XCB_NONE;
    int overlayWidth_ = 0, overlayHeight_ = 0;
    xcb_pixmap_t sourcePixmap_ = XCB_NONE;
    xcb_render_picture_t source_ = XCB_NONE;
    // The scale set on the source picture: its size and the panel's when it was set.
    int scaledFrom_[2] = {0, 0};
    int scaledTo_[2] = {0, 0};
    int width_ = 0, height_ = 0;
    bool shown_ = false;
    bool gone_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform::x11
