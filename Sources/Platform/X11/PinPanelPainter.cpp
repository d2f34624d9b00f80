// SPDX-License-Identifier: MIT
// PinPanelPainter.cpp: the child window over the panel, the pictures of the panel, the source and
// the overlay, one Composite per frame, and the panel's news.
#include "Platform/X11/PinPanelPainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::x11 {

namespace {

constexpr double kReplyTimeout = 1.0;
constexpr std::uint32_t kPanelEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;

xcb_render_fixed_t fixed(double value) { return static_cast<xcb_render_fixed_t>(std::lround(value * 65536.0)); }

void setFilter(xcb_connection_t* c, xcb_render_picture_t picture, const char* name) {
    xcb_render_set_picture_filter(c, picture, static_cast<std::uint16_t>(std::char_traits<char>::length(name)), name, 0,
                                  nullptr);
}

}  // namespace

std::unique_ptr<PinPanelPainter> PinPanelPainter::make(std::shared_ptr<X11CaptureLink> link, const PinDrawing& drawing,
                                                       std::function<void()> onExposed) {
    if (!link || !link->renderFormats() || drawing.window == XCB_WINDOW_NONE) return nullptr;
    std::unique_ptr<PinPanelPainter> painter(new PinPanelPainter(std::move(link), drawing, std::move(onExposed)));
    if (!painter->attach()) return nullptr;
    return painter;
}

PinPanelPainter::PinPanelPainter(std::shared_ptr<X11CaptureLink> link, const PinDrawing& drawing,
                                 std::function<void()> onExposed)
    : link_(std::move(link)), drawing_(drawing), onExposed_(std::move(onExposed)) {}

bool PinPanelPainter::attach() {
    Connection& c = link_->connection();
    const Deadline deadline = Deadline::in(kReplyTimeout);
    panel_ = drawing_.window;
    // Followed before it is read, so that no change between the read and the events is lost.
    xcb_change_window_attributes(c.xcb(), panel_, XCB_CW_EVENT_MASK, &kPanelEvents);
    const auto follow = [alive = alive(), this](const CaptureEvent& event) {
        if (alive.lock()) handle(event);
    };
    link_->follow(panel_, follow);
    const auto geometryCookie = xcb_get_geometry(c.xcb(), panel_);
    const auto attributesCookie = xcb_get_window_attributes(c.xcb(), panel_);
    auto geometry = c.await<xcb_get_geometry_reply_t>(geometryCookie, deadline);
    auto attributes = c.await<xcb_get_window_attributes_reply_t>(attributesCookie, deadline);
    if (!geometry || !attributes) return false;
    const xcb_render_pictformat_t format = link_->renderFormats()->forVisual(attributes->visual);
    if (!format) return false;
    width_ = geometry->width;
    height_ = geometry->height;
    shown_ = attributes->map_state == XCB_MAP_STATE_VIEWABLE;

    // Same depth and visual as the panel; no background, so nothing is cleared before a frame,
    // and no input selected, so every press and motion goes on to the panel itself.
    child_ = xcb_generate_id(c.xcb());
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c.xcb(), XCB_COPY_FROM_PARENT, child_, panel_, 0, 0,
                      static_cast<std::uint16_t>(std::max(1, width_)), static_cast<std::uint16_t>(std::max(1, height_)),
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, attributes->visual, XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK,
                      values);
    link_->follow(child_, follow);
    xcb_map_window(c.xcb(), child_);
    target_ = xcb_generate_id(c.xcb());
    xcb_render_create_picture(c.xcb(), target_, child_, format, 0, nullptr);
    uploadOverlay();
    c.flush();
    return true;
}

PinPanelPainter::~PinPanelPainter() {
    Connection& c = link_->connection();
    link_->unfollow(panel_);
    if (child_ != XCB_WINDOW_NONE) link_->unfollow(child_);
    releaseSource();
    releaseOverlay();
    // Requests about a panel that is already gone fail harmlessly.
    if (opacityMask_ != XCB_NONE) xcb_render_free_picture(c.xcb(), opacityMask_);
    if (target_ != XCB_NONE) xcb_render_free_picture(c.xcb(), target_);
    if (!gone_) {
        const std::uint32_t none = 0;
        xcb_change_window_attributes(c.xcb(), panel_, XCB_CW_EVENT_MASK, &none);
        if (child_ != XCB_WINDOW_NONE) xcb_destroy_window(c.xcb(), child_);
    }
    c.flush();
}

void PinPanelPainter::setDrawing(const PinDrawing& drawing) {
    const bool newOverlay = drawing.overlay.pixels != drawing_.overlay.pixels ||
                            drawing.overlay.width != drawing_.overlay.width ||
                            drawing.overlay.height != drawing_.overlay.height;
    drawing_.translucent = drawing.translucent;
    drawing_.opacity = drawing.opacity;
    drawing_.overlay = drawing.overlay;
    drawing_.overlayMargin = drawing.overlayMargin;
    if (newOverlay && !gone_) uploadOverlay();
}

void PinPanelPainter::handle(const CaptureEvent& event) {
    if (gone_) return;
    Connection& c = link_->connection();
    if (event.window == child_) {
        if (event.kind == CaptureEvent::Kind::expose && onExposed_) onExposed_();
        return;
    }
    switch (event.kind) {
        case CaptureEvent::Kind::configure:
            if (event.width == width_ && event.height == height_) return;
            width_ = event.width;
            height_ = event.height;
            {
                const std::uint32_t size[] = {static_cast<std::uint32_t>(std::max(1, width_)),
                                              static_cast<std::uint32_t>(std::max(1, height_))};
                xcb_configure_window(c.xcb(), child_, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
            }
            c.flush();
            if (onExposed_) onExposed_();
            return;
        case CaptureEvent::Kind::map:
            shown_ = true;
            if (onExposed_) onExposed_();
            return;
        case CaptureEvent::Kind::unmap:
            shown_ = false;
            return;
        case CaptureEvent::Kind::destroy:
            // The child went with the panel; what is left are our pictures of it.
            gone_ = true;
            shown_ = false;
            link_->unfollow(child_);
            child_ = XCB_WINDOW_NONE;
            return;
        case CaptureEvent::Kind::damage:
        case CaptureEvent::Kind::expose:
            return;
    }
}

bool PinPanelPainter::draw(xcb_pixmap_t source, xcb_visualid_t visual, int width, int height) {
    if (!shown() || width <= 0 || height <= 0 || width_ <= 0 || height_ <= 0) return false;
    xcb_connection_t* c = link_->connection().xcb();
    if (source != sourcePixmap_) {
        releaseSource();
        const xcb_render_pictformat_t format = link_->renderFormats()->forVisual(visual);
        if (!format) return false;
        source_ = xcb_generate_id(c);
        // Edge pixels are repeated outwards, so a scaled edge is not blended with nothing.
        const std::uint32_t repeat = XCB_RENDER_REPEAT_PAD;
        xcb_render_create_picture(c, source_, source, format, XCB_RENDER_CP_REPEAT, &repeat);
        sourcePixmap_ = source;
    }
    if (scaledFrom_[0] != width || scaledFrom_[1] != height || scaledTo_[0] != width_ || scaledTo_[1] != height_) {
        // The transform maps the panel's pixels to the window's.
        const xcb_render_transform_t scale{fixed(static_cast<double>(width) / width_),
                                           0,
                                           0,
                                           0,
                                           fixed(static_cast<double>(height) / height_),
                                           0,
                                           0,
                                           0,
                                           fixed(1)};
        xcb_render_set_picture_transform(c, source_, scale);
        setFilter(c, source_, width == width_ && height == height_ ? "nearest" : "bilinear");
        scaledFrom_[0] = width;
        scaledFrom_[1] = height;
        scaledTo_[0] = width_;
        scaledTo_[1] = height_;
    }
    // Without a compositing manager the picture is opaque whatever the opacity.
    const bool fades = drawing_.translucent && drawing_.opacity < 1.0;
    if (fades && maskOpacity_ != drawing_.opacity) {
        if (opacityMask_ != XCB_NONE) xcb_render_free_picture(c, opacityMask_);
        opacityMask_ = xcb_generate_id(c);
        const auto alpha = static_cast<std::uint16_t>(std::lround(std::clamp(drawing_.opacity, 0.0, 1.0) * 0xFFFF));
        xcb_render_create_solid_fill(c, opacityMask_, xcb_render_color_t{0, 0, 0, alpha});
        maskOpacity_ = drawing_.opacity;
    }
    const auto w = static_cast<std::uint16_t>(width_), h = static_cast<std::uint16_t>(height_);
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, source_, fades ? opacityMask_ : XCB_NONE, target_, 0, 0, 0, 0, 0, 0,
                         w, h);
    compositeOverlay();
    link_->connection().flush();
    return true;
}

void PinPanelPainter::compositeOverlay() {
    if (overlay_ == XCB_NONE) return;
    const int m = std::min({drawing_.overlayMargin, width_ / 2, height_ / 2, overlayWidth_ / 2, overlayHeight_ / 2});
    if (m <= 0) return;
    xcb_connection_t* c = link_->connection().xcb();
    // The band along the edges; bottom and right come from the overlay's own bottom and right,
    // so an overlay a resize behind still puts its border at the panel's edges.
    struct Band {
        int sourceX, sourceY, x, y, width, height;
    };
    const Band bands[] = {
        {0, 0, 0, 0, width_, m},
        {0, overlayHeight_ - m, 0, height_ - m, width_, m},
        {0, m, 0, m, m, height_ - 2 * m},
        {overlayWidth_ - m, m, width_ - m, m, m, height_ - 2 * m},
    };
    for (const Band& b : bands) {
        if (b.width <= 0 || b.height <= 0) continue;
        xcb_render_composite(c, XCB_RENDER_PICT_OP_OVER, overlay_, XCB_NONE, target_,
                             static_cast<std::int16_t>(b.sourceX), static_cast<std::int16_t>(b.sourceY), 0, 0,
                             static_cast<std::int16_t>(b.x), static_cast<std::int16_t>(b.y),
                             static_cast<std::uint16_t>(b.width), static_cast<std::uint16_t>(b.height));
    }
}

void PinPanelPainter::uploadOverlay() {
    releaseOverlay();
    const CapturedImage& image = drawing_.overlay;
    const xcb_render_pictformat_t format = link_->renderFormats()->argb32();
    const auto needed =
        static_cast<std::size_t>(std::max(0, image.width)) * static_cast<std::size_t>(std::max(0, image.height));
    if (image.empty() || !format || image.pixels->size() < needed || image.width > 32767 || image.height > 32767)
        return;
    Connection& connection = link_->connection();
    xcb_connection_t* c = connection.xcb();
    overlayPixmap_ = xcb_generate_id(c);
    xcb_create_pixmap(c, 32, overlayPixmap_, connection.root(), static_cast<std::uint16_t>(image.width),
                      static_cast<std::uint16_t>(image.height));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, overlayPixmap_, 0, nullptr);
    // As many whole rows per request as the server takes.
    const bool swap = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
    const std::size_t requestBytes = static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4;
    const int rowsPerRequest = static_cast<int>(std::max<std::size_t>(1, (requestBytes - 64) / rowBytes));
    std::vector<std::uint32_t> swapped;
    for (int y = 0; y < image.height; y += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, image.height - y);
        const std::uint32_t* first = image.pixels->data() + static_cast<std::size_t>(y) * image.width;
        const std::size_t count = static_cast<std::size_t>(rows) * image.width;
        if (swap) {
            swapped.assign(first, first + count);
            for (std::uint32_t& p : swapped) p = __builtin_bswap32(p);
            first = swapped.data();
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, overlayPixmap_, gc, static_cast<std::uint16_t>(image.width),
                      static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(y), 0, 32,
                      static_cast<std::uint32_t>(count * 4), reinterpret_cast<const std::uint8_t*>(first));
    }
    xcb_free_gc(c, gc);
    overlay_ = xcb_generate_id(c);
    xcb_render_create_picture(c, overlay_, overlayPixmap_, format, 0, nullptr);
    overlayWidth_ = image.width;
    overlayHeight_ = image.height;
    connection.flush();
}

void PinPanelPainter::releaseOverlay() {
    xcb_connection_t* c = link_->connection().xcb();
    if (overlay_ != XCB_NONE) xcb_render_free_picture(c, overlay_);
    if (overlayPixmap_ != XCB_NONE) xcb_free_pixmap(c, overlayPixmap_);
    overlay_ = XCB_NONE;
    overlayPixmap_ = XCB_NONE;
    overlayWidth_ = overlayHeight_ = 0;
}

void PinPanelPainter::releaseSource() {
    if (source_ != XCB_NONE) xcb_render_free_picture(link_->connection().xcb(), source_);
    source_ = XCB_NONE;
    sourcePixmap_ = XCB_NONE;
    scaledFrom_[0] = scaledFrom_[1] = 0;
}

}  // namespace platform::x11
