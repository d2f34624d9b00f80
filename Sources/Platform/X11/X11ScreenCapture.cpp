// SPDX-License-Identifier: MIT
// X11ScreenCapture.cpp: finding a window's frame, redirecting it, naming its pixmap and reading
// the pixels back (shared memory or GetImage), with every wait bounded.
#include "Platform/X11/X11ScreenCapture.h"

#include <xcb/composite.h>

#include <algorithm>
#include <cmath>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace platform::x11 {

namespace {
// A capture gives up when the server has not answered within this many seconds.
constexpr double kCaptureTimeout = 1.0;
// Window managers nest a client at most a few windows below its frame.
constexpr int kMaxFrameDepth = 8;
// Pictures larger than this on a side are cut off there (X windows can be 32767 wide).
constexpr int kMaxPictureSide = 8192;
constexpr std::uint32_t kCompositeMajor = 0;
constexpr std::uint32_t kCompositeMinor = 4;

constexpr const char* kNotShown = "The window is not shown.";
constexpr const char* kTimedOut = "The X server did not answer in time.";

// Errors that mean the window went away or is not viewable while it was being captured.
bool windowWentAway(int code) {
    return code == XCB_WINDOW || code == XCB_PIXMAP || code == XCB_MATCH || code == XCB_DRAWABLE;
}

std::string describe(ReplyStatus status, int errorCode) {
    if (status == ReplyStatus::timedOut) return kTimedOut;
    if (status == ReplyStatus::lost) return "The connection to the X server is lost.";
    if (windowWentAway(errorCode)) return kNotShown;
    return "The X server could not capture the window (error " + std::to_string(errorCode) + ").";
}
}  // namespace

X11ScreenCapture::X11ScreenCapture(std::shared_ptr<Connection> connection, std::shared_ptr<X11WindowList> windowList)
    : connection_(std::move(connection)), windowList_(std::move(windowList)) {}

X11ScreenCapture::~X11ScreenCapture() {
    std::lock_guard lock(mutex_);
    releaseSegment();
}

bool X11ScreenCapture::preflightAccess() {
    const xcb_query_extension_reply_t* composite = xcb_get_extension_data(connection_->xcb(), &xcb_composite_id);
    return !connection_->broken() && composite && composite->present;
}

std::optional<std::vector<ShareableWindow>> X11ScreenCapture::shareableWindows(bool onScreenOnly, std::string* error) {
    auto list = windowList_->read({onScreenOnly, true});
    if (!list) {
        if (error) *error = "The list of windows could not be read from the X server.";
        return std::nullopt;
    }
    std::vector<ShareableWindow> windows;
    for (const WindowInfo& info : *list)
        if (info.layer == 0 && info.bounds) windows.push_back({info.number, *info.bounds});
    return windows;
}

bool X11ScreenCapture::usesSharedMemory() {
    std::lock_guard lock(mutex_);
    return sharedMemoryAllowed_ && sharedMemoryPresent(Deadline::in(kCaptureTimeout));
}

void X11ScreenCapture::setSharedMemoryAllowed(bool allowed) {
    std::lock_guard lock(mutex_);
    sharedMemoryAllowed_ = allowed;
    std::lock_guard followedLock(followedMutex_);
    for (auto& [frame, f] : followed_) f.pixels.reset();
}

CaptureOutcome X11ScreenCapture::captureWindow(const ShareableWindow& window, int width, int height) {
    if (width <= 0 || height <= 0) return {std::nullopt, "The window has no size."};
    if (!preflightAccess()) return {std::nullopt, "The X server has no Composite extension."};
    std::lock_guard lock(mutex_);
    const Deadline deadline = Deadline::in(kCaptureTimeout);
    Connection& c = *connection_;
    askCompositeVersion(deadline);

    std::string error;
    // Where a window's pixels are changes only with events the fact cache counts (a frame moved,
    // resized, mapped, unmapped, reparented or destroyed): while its generation stands, the
    // frame found last time is still the one. Taken before the look, so a change during it counts.
    const std::uint64_t generation = c.cache().generation();
    if (generation != locatedGeneration_) {
        located_.clear();
        locatedGeneration_ = generation;
    }
    std::optional<Source> source;
    if (const auto known = located_.find(window.windowID); known != located_.end()) {
        source = known->second;
    } else {
        source = locate(window.windowID, deadline, error);
        if (!source) return {std::nullopt, error};
        located_.emplace(window.windowID, *source);
    }

    // The visible frame inside the frame window's pixmap, cut to what the pixmap holds.
    const int left = static_cast<int>(std::lround(window.frame.x)) - source->x;
    const int top = static_cast<int>(std::lround(window.frame.y)) - source->y;
    const int x = std::clamp(left, 0, source->width);
    const int y = std::clamp(top, 0, source->height);
    // Asked smaller than the frame, the picture is the part read scaled down to that size.
    const PictureSize frame{static_cast<int>(std::lround(window.frame.width)),
                            static_cast<int>(std::lround(window.frame.height))};
    const bool scaled = width < frame.width || height < frame.height;
    const int w = std::min({scaled ? frame.width : width, source->width - x, kMaxPictureSide});
    const int h = std::min({scaled ? frame.height : height, source->height - y, kMaxPictureSide});
    if (w <= 0 || h <= 0) return {std::nullopt, kNotShown};
    const PictureSize out = scaled ? scaledPictureSize({w, h}, frame, {width, height}) : PictureSize{w, h};

    askDamageVersion(deadline);
    if (auto kept = keptPicture(source->frame, x, y, w, h, out)) return {std::move(kept), ""};

    beginRead(source->frame);
    const xcb_pixmap_t pixmap = xcb_generate_id(c.xcb());
    xcb_composite_name_window_pixmap(c.xcb(), source->frame, pixmap);
    auto pixels = read(pixmap, *source, x, y, w, h, deadline, error);
    xcb_free_pixmap(c.xcb(), pixmap);
    c.flush();
    if (!pixels) {
        located_.erase(window.windowID);
        return {std::nullopt, error};
    }

    auto argb = buffers_.take(static_cast<std::size_t>(w) * h);
    convertToArgb(pixels->data, w, h, pixels->layout, argb->data());
    if (out != PictureSize{w, h}) {
        // A picture of its own size: the full one's buffer goes back for the next read.
        auto small = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(out.width) * out.height);
        scaleDown(argb->data(), {w, h}, small->data(), out);
        argb.reset();
        CapturedImage image{out.width, out.height, std::move(small)};
        keep(source->frame, x, y, w, h, image);
        return {std::move(image), ""};
    }
    CapturedImage image{w, h, std::move(argb)};
    keep(source->frame, x, y, w, h, image);
    return {std::move(image), ""};
}

std::optional<CapturedImage> X11ScreenCapture::keptPicture(xcb_window_t frame, int x, int y, int width, int height,
                                                           PictureSize out) {
    if (!damage_) return std::nullopt;
    std::lock_guard lock(followedMutex_);
    const auto it = followed_.find(frame);
    if (it == followed_.end()) return std::nullopt;
    const Followed& f = it->second;
    if (f.damaged || f.x != x || f.y != y || f.width != width || f.height != height || f.out != out)
        return std::nullopt;
    auto pixels = f.pixels.lock();
    if (!pixels) return std::nullopt;
    return CapturedImage{out.width, out.height, std::move(pixels)};
}

void X11ScreenCapture::beginRead(xcb_window_t frame) {
    xcb_connection_t* c = connection_->xcb();
    std::lock_guard lock(followedMutex_);
    auto [it, added] = followed_.try_emplace(frame);
    Followed& f = it->second;
    if (added) xcb_composite_redirect_window(c, frame, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    if (!damage_) return;
    // Cleared before the request that empties the damage: drawing from then on (even during
    // the read) is reported and makes the next capture read again.
    f.damaged = false;
    f.pixels.reset();
    if (f.damage == XCB_NONE) {
        f.damage = xcb_generate_id(c);
        xcb_damage_create(c, f.damage, frame, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    } else {
        xcb_damage_subtract(c, f.damage, XCB_NONE, XCB_NONE);
    }
}

void X11ScreenCapture::keep(xcb_window_t frame, int x, int y, int width, int height, const CapturedImage& image) {
    std::lock_guard lock(followedMutex_);
    const auto it = followed_.find(frame);
    if (it == followed_.end()) return;
    Followed& f = it->second;
    f.x = x;
    f.y = y;
    f.width = width;
    f.height = height;
    f.out = {image.width, image.height};
    f.pixels = image.pixels;
}

void X11ScreenCapture::take(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    xcb_window_t window = XCB_WINDOW_NONE;
    bool gone = false;
    if (damage_ && type == damageEventBase_ + XCB_DAMAGE_NOTIFY) {
        window = reinterpret_cast<const xcb_damage_notify_event_t&>(event).drawable;
    } else if (type == XCB_MAP_NOTIFY) {
        window = reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
    } else if (type == XCB_UNMAP_NOTIFY) {
        window = reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
    } else if (type == XCB_DESTROY_NOTIFY) {
        window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        gone = true;
    } else {
        return;
    }
    std::lock_guard lock(followedMutex_);
    const auto it = followed_.find(window);
    if (it == followed_.end()) return;
    drawn_.fetch_add(1, std::memory_order_relaxed);
    // The server frees a destroyed window's Damage object with it.
    if (gone)
        followed_.erase(it);
    else
        it->second.damaged = true;
}

std::optional<std::uint64_t> X11ScreenCapture::drawStamp() {
    // Without Damage nothing tells of drawing: every capture reads.
    if (!damage_) return std::nullopt;
    return drawn_.load(std::memory_order_relaxed) + connection_->cache().generation();
}

CaptureOutcome X11ScreenCapture::captureScreen() {
    if (connection_->broken()) return {std::nullopt, "The connection to the X server is lost."};
    std::lock_guard lock(mutex_);
    const Deadline deadline = Deadline::in(kCaptureTimeout);
    Connection& c = *connection_;
    const xcb_screen_t& screen = c.screen();
    const int width = std::min<int>(screen.width_in_pixels, kMaxPictureSide);
    const int height = std::min<int>(screen.height_in_pixels, kMaxPictureSide);
    auto image = c.await<xcb_get_image_reply_t>(
        xcb_get_image(c.xcb(), XCB_IMAGE_FORMAT_Z_PIXMAP, c.root(), 0, 0, static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), ~0u),
        deadline);
    if (!image) return {std::nullopt, describe(image.status, image.errorCode())};
    const PixelLayout layout = layoutFor(screen.root_depth, screen.root_visual, width);
    if (static_cast<std::size_t>(xcb_get_image_data_length(image.value.get())) < layout.stride * height)
        return {std::nullopt, "The X server sent a short picture of the screen."};
    auto argb = buffers_.take(static_cast<std::size_t>(width) * height);
    convertToArgb(xcb_get_image_data(image.value.get()), width, height, layout, argb->data());
    return {CapturedImage{width, height, std::move(argb)}, ""};
}

std::optional<X11ScreenCapture::Source> X11ScreenCapture::locate(xcb_window_t client, Deadline deadline,
                                                                 std::string& error) {
    Connection& c = *connection_;
    xcb_window_t at = client;
    for (int depth = 0;; ++depth) {
        auto tree = c.await<xcb_query_tree_reply_t>(xcb_query_tree(c.xcb(), at), deadline);
        if (!tree) {
            error = describe(tree.status, tree.errorCode());
            return std::nullopt;
        }
        if (tree->parent == c.root() || tree->parent == XCB_WINDOW_NONE) break;
        if (depth == kMaxFrameDepth) {
            error = kNotShown;
            return std::nullopt;
        }
        at = tree->parent;
    }
    const auto geometryCookie = xcb_get_geometry(c.xcb(), at);
    const auto attributesCookie = xcb_get_window_attributes(c.xcb(), at);
    const auto clientCookie = xcb_get_window_attributes(c.xcb(), client);
    auto geometry = c.await<xcb_get_geometry_reply_t>(geometryCookie, deadline);
    auto attributes = c.await<xcb_get_window_attributes_reply_t>(attributesCookie, deadline);
    auto clientAttributes = c.await<xcb_get_window_attributes_reply_t>(clientCookie, deadline);
    if (!geometry || !attributes || !clientAttributes) {
        error = !geometry     ? describe(geometry.status, geometry.errorCode())
                : !attributes ? describe(attributes.status, attributes.errorCode())
                              : describe(clientAttributes.status, clientAttributes.errorCode());
        return std::nullopt;
    }
    // A minimised window may leave its frame mapped around nothing: both must be shown.
    if (attributes->map_state != XCB_MAP_STATE_VIEWABLE || clientAttributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        error = kNotShown;
        return std::nullopt;
    }
    Source source;
    source.frame = at;
    source.x = geometry->x;
    source.y = geometry->y;
    source.width = geometry->width + 2 * geometry->border_width;
    source.height = geometry->height + 2 * geometry->border_width;
    source.depth = geometry->depth;
    source.visual = attributes->visual;
    return source;
}

PixelLayout X11ScreenCapture::layoutFor(std::uint8_t depth, xcb_visualid_t visual, int width) const {
    const xcb_setup_t* setup = xcb_get_setup(connection_->xcb());
    PixelLayout layout;
    layout.mostSignificantByteFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    int bitsPerPixel = depth <= 16 ? 16 : 32;
    int pad = setup->bitmap_format_scanline_pad;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth != depth) continue;
        bitsPerPixel = f.data->bits_per_pixel;
        pad = f.data->scanline_pad;
    }
    layout.bitsPerPixel = bitsPerPixel;
    layout.stride = PixelLayout::strideFor(width, bitsPerPixel, pad);
    if (depth == 16) {
        layout.redMask = 0xF800;
        layout.greenMask = 0x07E0;
        layout.blueMask = 0x001F;
    } else if (depth == 30) {
        layout.redMask = 0x3FF00000;
        layout.greenMask = 0x000FFC00;
        layout.blueMask = 0x000003FF;
    }
    // The visual's own masks win over the usual ones above.
    for (auto d = xcb_screen_allowed_depths_iterator(&connection_->screen()); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id != visual) continue;
            if (v.data->red_mask | v.data->green_mask | v.data->blue_mask) {
                layout.redMask = v.data->red_mask;
                layout.greenMask = v.data->green_mask;
                layout.blueMask = v.data->blue_mask;
            }
            return layout;
        }
    }
    return layout;
}

std::optional<X11ScreenCapture::Pixels> X11ScreenCapture::read(xcb_pixmap_t pixmap, const Source& source, int x, int y,
                                                               int width, int height, Deadline deadline,
                                                               std::string& error) {
    Connection& c = *connection_;
    if (sharedMemoryAllowed_ && sharedMemoryPresent(deadline)) {
        bool fallBack = false;
        auto pixels = readShared(pixmap, x, y, width, height, deadline, error, fallBack);
        if (pixels || !fallBack) {
            if (pixels) pixels->layout = layoutFor(source.depth, source.visual, width);
            return pixels;
        }
        sharedMemory_ = false;  // the server cannot reach our memory (a remote display): GetImage from now on
    }
    auto image = c.await<xcb_get_image_reply_t>(
        xcb_get_image(c.xcb(), XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), ~0u),
        deadline);
    if (!image) {
        error = describe(image.status, image.errorCode());
        return std::nullopt;
    }
    Pixels pixels;
    pixels.data = xcb_get_image_data(image.value.get());
    pixels.layout = layoutFor(source.depth, source.visual, width);
    if (static_cast<std::size_t>(xcb_get_image_data_length(image.value.get())) < pixels.layout.stride * height) {
        error = kNotShown;
        return std::nullopt;
    }
    pixels.owned.reset(image.value.release());
    return pixels;
}

std::optional<X11ScreenCapture::Pixels> X11ScreenCapture::readShared(xcb_pixmap_t pixmap, int x, int y, int width,
                                                                     int height, Deadline deadline, std::string& error,
                                                                     bool& fallBack) {
    Connection& c = *connection_;
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (!ensureSegment(bytes, deadline)) {
        fallBack = true;
        return std::nullopt;
    }
    auto image = c.await<xcb_shm_get_image_reply_t>(
        xcb_shm_get_image(c.xcb(), pixmap, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                          static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), ~0u,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, segment_, 0),
        deadline);
    if (!image) {
        const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c.xcb(), &xcb_shm_id);
        const int code = image.errorCode();
        // A segment the server cannot use (BadShmSeg, BadAccess) is not the window's fault.
        if (image.status == ReplyStatus::xError && (code == XCB_ACCESS || (shm && code == shm->first_error))) {
            fallBack = true;
            releaseSegment();
            return std::nullopt;
        }
        error = describe(image.status, code);
        return std::nullopt;
    }
    Pixels pixels;
    pixels.data = static_cast<const std::uint8_t*>(segmentAddress_);
    return pixels;
}

bool X11ScreenCapture::sharedMemoryPresent(Deadline deadline) {
    if (sharedMemory_) return *sharedMemory_;
    Connection& c = *connection_;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c.xcb(), &xcb_shm_id);
    if (!shm || !shm->present) {
        sharedMemory_ = false;
        return false;
    }
    auto version = c.await<xcb_shm_query_version_reply_t>(xcb_shm_query_version(c.xcb()), deadline);
    if (version.status == ReplyStatus::timedOut) return false;  // ask again next time
    sharedMemory_ = static_cast<bool>(version);
    return *sharedMemory_;
}

bool X11ScreenCapture::ensureSegment(std::size_t bytes, Deadline deadline) {
    if (segmentAddress_ && segmentSize_ >= bytes) return true;
    releaseSegment();
    Connection& c = *connection_;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) return false;
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    segment_ = xcb_generate_id(c.xcb());
    xcb_shm_attach(c.xcb(), segment_, static_cast<std::uint32_t>(id), 0);
    // Once the server has attached it, the segment can be marked for removal: it goes away
    // when both sides detach, even if this program ends abruptly.
    const bool attached = c.sync(deadline);
    shmctl(id, IPC_RMID, nullptr);
    segmentId_ = id;
    segmentAddress_ = address;
    segmentSize_ = bytes;
    return attached;
}

void X11ScreenCapture::releaseSegment() {
    if (!segmentAddress_) return;
    xcb_shm_detach(connection_->xcb(), segment_);
    connection_->flush();
    shmdt(segmentAddress_);
    segmentAddress_ = nullptr;
    segmentSize_ = 0;
    segmentId_ = -1;
}

void X11ScreenCapture::askDamageVersion(Deadline deadline) {
    if (damageAsked_) return;
    Connection& c = *connection_;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c.xcb(), &xcb_damage_id);
    if (!ext || !ext->present) {
        damageAsked_ = true;
        return;
    }
    // Damage must be told the client's version before it takes requests.
    auto version = c.await<xcb_damage_query_version_reply_t>(
        xcb_damage_query_version(c.xcb(), XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION), deadline);
    if (version.status == ReplyStatus::timedOut) return;  // ask again next time
    damageAsked_ = true;
    damageEventBase_ = ext->first_event;
    damage_ = static_cast<bool>(version);
}

void X11ScreenCapture::askCompositeVersion(Deadline deadline) {
    if (versionAsked_) return;
    Connection& c = *connection_;
    auto version = c.await<xcb_composite_query_version_reply_t>(
        xcb_composite_query_version(c.xcb(), kCompositeMajor, kCompositeMinor), deadline);
    versionAsked_ = version.status != ReplyStatus::timedOut;
}

}  // namespace platform::x11
