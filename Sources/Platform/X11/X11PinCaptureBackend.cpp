// SPDX-License-Identifier: MIT
// X11PinCaptureBackend.cpp: attaching to the window's frame (redirect, Damage, events),
// following its resizes, maps and unmaps, the choice between drawing on the server and copying,
// the paced draws and reads, and the orderly and the sudden end.
#include "Platform/X11/X11PinCaptureBackend.h"

#include "Platform/X11/FrameScaler.h"

#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/shm.h>

#include <algorithm>
#include <chrono>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace platform::x11 {

namespace {

// Every wait of a capture for the server is bounded by this.
constexpr double kReplyTimeout = 1.0;
// Window managers nest a client at most a few windows below its frame.
constexpr int kMaxFrameDepth = 8;
constexpr std::uint32_t kFollowedEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;

CaptureError captureError(int code, std::string message) {
    return {X11PinCaptureBackend::kErrorDomain, code, std::move(message)};
}
const char* const kClosedText = "The window was closed.";

// Errors that mean a window or its pixmap went away or is not viewable.
bool windowWentAway(int code) {
    return code == XCB_WINDOW || code == XCB_PIXMAP || code == XCB_MATCH || code == XCB_DRAWABLE;
}

CaptureError describe(ReplyStatus status, int code) {
    if (status == ReplyStatus::timedOut)
        return captureError(X11PinCaptureBackend::kTimedOut, "The X server did not answer in time.");
    if (status == ReplyStatus::lost)
        return captureError(X11PinCaptureBackend::kNoConnection, "The connection to the X server is lost.");
    if (code == XCB_WINDOW) return captureError(X11PinCaptureBackend::kWindowClosed, kClosedText);
    if (windowWentAway(code)) return captureError(X11PinCaptureBackend::kNotShown, "The window is not shown.");
    return captureError(X11PinCaptureBackend::kReadFailed,
                        "The X server could not capture the window (error " + std::to_string(code) + ").");
}

}  // namespace

X11PinCaptureBackend::X11PinCaptureBackend(std::shared_ptr<Dispatcher> dispatch, std::shared_ptr<X11CaptureLink> link,
                                           std::uint32_t window, std::weak_ptr<PinFrameTarget> target,
                                           const PinCaptureProfile& profile)
    : dispatch_(std::move(dispatch)),
      link_(std::move(link)),
      client_(window),
      target_(std::move(target)),
      profile_(profile) {}

X11PinCaptureBackend::~X11PinCaptureBackend() { detach(); }

double X11PinCaptureBackend::uptime() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void X11PinCaptureBackend::answer(Completion done, std::optional<CaptureError> error) {
    dispatch_->async([done = std::move(done), error = std::move(error)] { done(error); });
}

void X11PinCaptureBackend::start(Completion done) {
    if (capturing_ || stopStarted_ || ended_) {
        answer(std::move(done), CaptureError::cancelled());
        return;
    }
    auto failure = attach();
    if (failure) {
        detach();
        answer(std::move(done), std::move(failure));
        return;
    }
    capturing_ = true;
    choosePath();
    dirty_ = true;  // the first frame comes without waiting for a change
    scheduleRead();
    answer(std::move(done), std::nullopt);
}

void X11PinCaptureBackend::choosePath() {
    const auto target = target_.lock();
    const auto drawing = target ? target->drawing() : std::nullopt;
    if (!drawing) return;  // a target without a window of its own takes frames
    if (!link_->renderFormats()) {
        link_->tellOnce("Pins are copied frame by frame: the X server has no XRender");
        return;
    }
    if (link_->copyForced()) {
        link_->tellOnce("Pins are copied frame by frame: VOMIRA_PINS_COPY_FRAMES is set");
        return;
    }
    painter_ = PinPanelPainter::make(link_, *drawing, [weak = weak()] {
        if (auto self = weak.lock()) {
            self->dirty_ = true;
            self->scheduleRead();
        }
    });
    if (!painter_) return;  // the panel went meanwhile: frames are copied
    link_->tellOnce("Pins are drawn by the X server (Composite and XRender): no picture is copied");
    target->onDrawingChanged = [weak = weak()] {
        if (auto self = weak.lock()) self->drawingChanged();
    };
}

void X11PinCaptureBackend::drawingChanged() {
    const auto target = target_.lock();
    if (!painter_ || !target) return;
    if (const auto drawing = target->drawing()) painter_->setDrawing(*drawing);
    dirty_ = true;
    scheduleRead();
}

std::optional<CaptureError> X11PinCaptureBackend::attach() {
    if (!link_) return captureError(kNoConnection, "The X server could not be reached for capture.");
    if (!link_->hasComposite()) return captureError(kNoComposite, "The X server has no Composite extension.");
    Connection& c = link_->connection();
    const Deadline deadline = Deadline::in(kReplyTimeout);

    // The frame: the window's ancestor that is a child of the root.
    xcb_window_t at = client_;
    for (int depth = 0;; ++depth) {
        auto tree = c.await<xcb_query_tree_reply_t>(xcb_query_tree(c.xcb(), at), deadline);
        if (!tree) return describe(tree.status, tree.errorCode());
        if (tree->parent == c.root() || tree->parent == XCB_WINDOW_NONE) break;
        if (depth == kMaxFrameDepth) return captureError(kNotShown, "The window is not shown.");
        at = tree->parent;
    }
    // Follow both before reading them, so no change between the read and the events is lost.
    for (xcb_window_t window : {at, client_}) {
        xcb_change_window_attributes(c.xcb(), window, XCB_CW_EVENT_MASK, &kFollowedEvents);
        link_->follow(window, [weak = weak()](const CaptureEvent& event) {
            if (auto self = weak.lock()) self->handle(event);
        });
    }
    frame_.window = at;
    const auto geometryCookie = xcb_get_geometry(c.xcb(), at);
    const auto frameCookie = xcb_get_window_attributes(c.xcb(), at);
    const auto clientCookie = xcb_get_window_attributes(c.xcb(), client_);
    auto geometry = c.await<xcb_get_geometry_reply_t>(geometryCookie, deadline);
    auto frameAttributes = c.await<xcb_get_window_attributes_reply_t>(frameCookie, deadline);
    auto clientAttributes = c.await<xcb_get_window_attributes_reply_t>(clientCookie, deadline);
    if (!geometry) return describe(geometry.status, geometry.errorCode());
    if (!frameAttributes) return describe(frameAttributes.status, frameAttributes.errorCode());
    if (!clientAttributes) return describe(clientAttributes.status, clientAttributes.errorCode());
    frame_.width = geometry->width + 2 * geometry->border_width;
    frame_.height = geometry->height + 2 * geometry->border_width;
    frame_.depth = geometry->depth;
    frame_.visual = frameAttributes->visual;
    frameMapped_ = frameAttributes->map_state == XCB_MAP_STATE_VIEWABLE;
    clientMapped_ = clientAttributes->map_state == XCB_MAP_STATE_VIEWABLE;
    mapped_ = frameMapped_ && clientMapped_;

    xcb_composite_redirect_window(c.xcb(), at, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    if (link_->hasDamage()) {
        damage_ = xcb_generate_id(c.xcb());
        xcb_damage_create(c.xcb(), damage_, at, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    }
    if (mapped_) nameAgain();
    // The window may have gone while the requests were on their way.
    auto check = c.await<xcb_get_window_attributes_reply_t>(xcb_get_window_attributes(c.xcb(), client_), deadline);
    if (!check) return describe(check.status, check.errorCode());
    return std::nullopt;
}

void X11PinCaptureBackend::nameAgain() {
    Connection& c = link_->connection();
    releasePixmap();
    pixmap_ = xcb_generate_id(c.xcb());
    xcb_composite_name_window_pixmap(c.xcb(), frame_.window, pixmap_);
    c.flush();
}

void X11PinCaptureBackend::releasePixmap() {
    if (pixmap_ == XCB_NONE) return;
    if (painter_) painter_->releaseSource();
    xcb_free_pixmap(link_->connection().xcb(), pixmap_);
    pixmap_ = XCB_NONE;
}

void X11PinCaptureBackend::handle(const CaptureEvent& event) {
    if (!capturing_ || ended_) return;
    const bool isFrame = event.window == frame_.window;
    switch (event.kind) {
        case CaptureEvent::Kind::damage:
            dirty_ = true;
            break;
        case CaptureEvent::Kind::configure:
            if (!isFrame || (event.width == frame_.width && event.height == frame_.height)) return;
            frame_.width = event.width;
            frame_.height = event.height;
            if (mapped_) nameAgain();
            dirty_ = true;
            break;
        case CaptureEvent::Kind::map:
        case CaptureEvent::Kind::unmap: {
            const bool shown = event.kind == CaptureEvent::Kind::map;
            (isFrame ? frameMapped_ : clientMapped_) = shown;
            const bool wasMapped = mapped_;
            mapped_ = frameMapped_ && clientMapped_;
            if (mapped_ && !wasMapped) {
                nameAgain();
                dirty_ = true;
            } else if (!mapped_) {
                // The last frame stays with the owner; nothing is read until the window is back.
                releasePixmap();
            }
            break;
        }
        case CaptureEvent::Kind::destroy:
            end(captureError(kWindowClosed, kClosedText));
            return;
        case CaptureEvent::Kind::expose:
            return;
    }
    scheduleRead();
}

void X11PinCaptureBackend::pace() {
    // A frame that comes a little late keeps the beat: the next one is due one interval after
    // this one was, so lateness does not pile up and the rate holds. After a pause the beat
    // starts again from now.
    const double now = uptime();
    const double due = lastRead_ + profile_.frameInterval();
    lastRead_ = now >= due && now - due < profile_.frameInterval() ? due : now;
}

void X11PinCaptureBackend::scheduleRead() {
    if (readScheduled_ || !capturing_ || ended_ || !mapped_ || !dirty_) return;
    const double delay = std::max(0.0, lastRead_ + profile_.frameInterval() - uptime());
    readScheduled_ = true;
    readTimer_ = dispatch_->after(delay, [weak = weak()] {
        if (auto self = weak.lock()) self->read();
    });
}

void X11PinCaptureBackend::read() {
    readScheduled_ = false;
    if (!capturing_ || ended_ || !mapped_ || !dirty_ || pixmap_ == XCB_NONE) return;
    if (painter_) {
        // While the panel is hidden the damage stays: no news comes until it is drawn again.
        if (drawOnServer()) {
            ++draws_;
            if (outputEnabled_)
                if (auto target = target_.lock()) target->drawn();
        }
        return;
    }
    Connection& c = link_->connection();
    dirty_ = false;
    // Changes from here on are news for the next frame.
    if (damage_) xcb_damage_subtract(c.xcb(), damage_, XCB_NONE, XCB_NONE);
    pace();

    PixelLayout layout;
    std::optional<CaptureError> failure;
    const std::uint8_t* data = readPixels(layout, failure);
    if (!data) {
        if (failure && failure->code == kTimedOut) {
            dirty_ = true;
            scheduleRead();
            return;
        }
        // A read that found the window gone: closed, or just hidden (its unmap is on the way).
        auto alive = c.await<xcb_get_window_attributes_reply_t>(xcb_get_window_attributes(c.xcb(), client_),
                                                                Deadline::in(kReplyTimeout));
        if (!alive && alive.status == ReplyStatus::xError && alive.errorCode() == XCB_WINDOW)
            end(captureError(kWindowClosed, kClosedText));
        else if (alive && alive->map_state != XCB_MAP_STATE_VIEWABLE)
            mapped_ = false;
        else if (alive)
            dirty_ = true;  // a resize raced the read: the pixmap is named again on its event
        return;
    }
    ++reads_;
    const auto [readWidth, readHeight] = readSize();
    const auto [width, height] = fittedSize(readWidth, readHeight, profile_.width, profile_.height);
    auto pixels = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(width) * height);
    scaleToArgb(data, readWidth, readHeight, layout, width, height, pixels->data());
    image_.reset();
    // Without Damage the window is read at the frame rate whether it changed or not.
    if (!damage_) {
        dirty_ = true;
        scheduleRead();
    }
    if (!outputEnabled_) return;
    if (auto target = target_.lock()) target->enqueue(CapturedImage{width, height, std::move(pixels)});
}

bool X11PinCaptureBackend::drawOnServer() {
    if (painter_->gone() || !outputEnabled_ || !painter_->shown()) return false;
    Connection& c = link_->connection();
    dirty_ = false;
    // Changes from here on are news for the next frame.
    if (damage_) xcb_damage_subtract(c.xcb(), damage_, XCB_NONE, XCB_NONE);
    pace();
    const bool drawn = painter_->draw(pixmap_, frame_.visual, frame_.width, frame_.height);
    // Without Damage the window is drawn at the frame rate whether it changed or not.
    if (!damage_) {
        dirty_ = true;
        scheduleRead();
    }
    return drawn;
}

const std::uint8_t* X11PinCaptureBackend::readPixels(PixelLayout& layout, std::optional<CaptureError>& failure) {
    Connection& c = link_->connection();
    const Deadline deadline = Deadline::in(kReplyTimeout);
    const auto [readWidth, readHeight] = readSize();
    const auto w = static_cast<std::uint16_t>(std::min(readWidth, 32767));
    const auto h = static_cast<std::uint16_t>(std::min(readHeight, 32767));
    layout = layoutFor(w);
    const std::size_t bytes = layout.stride * h;
    if (sharedMemoryAllowed_ && ensureSegment(bytes)) {
        auto reply = c.await<xcb_shm_get_image_reply_t>(
            xcb_shm_get_image(c.xcb(), pixmap_, 0, 0, w, h, ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment_.id, 0), deadline);
        if (reply) return static_cast<const std::uint8_t*>(segment_.address);
        const auto* shm = xcb_get_extension_data(c.xcb(), &xcb_shm_id);
        const int code = reply.errorCode();
        if (!(reply.status == ReplyStatus::xError && (code == XCB_ACCESS || (shm && code == shm->first_error)))) {
            failure = describe(reply.status, code);
            return nullptr;
        }
        // The server cannot reach our memory (a remote display): GetImage from now on.
        releaseSegment();
        sharedMemoryAllowed_ = false;
    }
    auto image = c.await<xcb_get_image_reply_t>(
        xcb_get_image(c.xcb(), XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap_, 0, 0, w, h, ~0u), deadline);
    if (!image) {
        failure = describe(image.status, image.errorCode());
        return nullptr;
    }
    if (static_cast<std::size_t>(xcb_get_image_data_length(image.value.get())) < bytes) {
        failure = captureError(kNotShown, "The window is not shown.");
        return nullptr;
    }
    const std::uint8_t* data = xcb_get_image_data(image.value.get());
    image_.reset(image.value.release());
    return data;
}

std::pair<int, int> X11PinCaptureBackend::readSize() const {
    const xcb_screen_t& screen = link_->connection().screen();
    return boundedReadSize(frame_.width, frame_.height, screen.width_in_pixels, screen.height_in_pixels);
}

PixelLayout X11PinCaptureBackend::layoutFor(int width) const {
    const xcb_setup_t* setup = xcb_get_setup(link_->connection().xcb());
    PixelLayout layout;
    layout.mostSignificantByteFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    int bitsPerPixel = frame_.depth <= 16 ? 16 : 32;
    int pad = setup->bitmap_format_scanline_pad;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth != frame_.depth) continue;
        bitsPerPixel = f.data->bits_per_pixel;
        pad = f.data->scanline_pad;
    }
    layout.bitsPerPixel = bitsPerPixel;
    layout.stride = PixelLayout::strideFor(width, bitsPerPixel, pad);
    if (frame_.depth == 16) {
        layout.redMask = 0xF800;
        layout.greenMask = 0x07E0;
        layout.blueMask = 0x001F;
    } else if (frame_.depth == 30) {
        layout.redMask = 0x3FF00000;
        layout.greenMask = 0x000FFC00;
        layout.blueMask = 0x000003FF;
    }
    for (auto d = xcb_screen_allowed_depths_iterator(&link_->connection().screen()); d.rem; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == frame_.visual && (v.data->red_mask | v.data->green_mask | v.data->blue_mask)) {
                layout.redMask = v.data->red_mask;
                layout.greenMask = v.data->green_mask;
                layout.blueMask = v.data->blue_mask;
            }
    return layout;
}

bool X11PinCaptureBackend::ensureSegment(std::size_t bytes) {
    if (segment_.address && segment_.size >= bytes) return true;
    releaseSegment();
    const auto* shm = xcb_get_extension_data(link_->connection().xcb(), &xcb_shm_id);
    if (!shm || !shm->present) {
        sharedMemoryAllowed_ = false;
        return false;
    }
    Connection& c = link_->connection();
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) return false;
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(c.xcb());
    xcb_shm_attach(c.xcb(), segment, static_cast<std::uint32_t>(id), 0);
    // Once attached on both sides the segment is marked for removal: it goes when both detach.
    const bool attached = c.sync(Deadline::in(kReplyTimeout));
    shmctl(id, IPC_RMID, nullptr);
    segment_ = {segment, address, bytes};
    return attached;
}

void X11PinCaptureBackend::releaseSegment() {
    if (!segment_.address) return;
    xcb_shm_detach(link_->connection().xcb(), segment_.id);
    link_->connection().flush();
    shmdt(segment_.address);
    segment_ = {};
}

void X11PinCaptureBackend::applyProfile(const PinCaptureProfile& profile, Completion done) {
    if (!capturing_ || ended_) {
        answer(std::move(done), captureError(kNotRunning, "The capture is not running."));
        return;
    }
    const bool resized = profile.width != profile_.width || profile.height != profile_.height;
    profile_ = profile;
    if (resized) {
        // The next frame comes at the new size without waiting for a change.
        dirty_ = true;
        scheduleRead();
    }
    answer(std::move(done), std::nullopt);
}

void X11PinCaptureBackend::stop(std::function<void()> done) {
    if (!stopStarted_) {
        stopStarted_ = true;
        outputEnabled_ = false;
        capturing_ = false;
        detach();
    }
    dispatch_->async(std::move(done));
}

void X11PinCaptureBackend::end(const CaptureError& error) {
    if (ended_) return;
    ended_ = true;
    capturing_ = false;
    detach();
    if (onStop) onStop(error);
}

void X11PinCaptureBackend::detach() {
    readTimer_.invalidate();
    readScheduled_ = false;
    if (!link_ || frame_.window == XCB_WINDOW_NONE) {
        if (link_) link_->unfollow(client_);
        return;
    }
    Connection& c = link_->connection();
    link_->unfollow(frame_.window);
    link_->unfollow(client_);
    // Requests on a window that is already gone fail harmlessly.
    const std::uint32_t none = 0;
    xcb_change_window_attributes(c.xcb(), frame_.window, XCB_CW_EVENT_MASK, &none);
    xcb_change_window_attributes(c.xcb(), client_, XCB_CW_EVENT_MASK, &none);
    if (damage_) xcb_damage_destroy(c.xcb(), damage_);
    damage_ = 0;
    releasePixmap();
    if (painter_) {
        painter_.reset();
        if (auto target = target_.lock()) target->onDrawingChanged = nullptr;
    }
    xcb_composite_unredirect_window(c.xcb(), frame_.window, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    releaseSegment();
    image_.reset();
    c.flush();
    frame_ = {};
}

}  // namespace platform::x11
