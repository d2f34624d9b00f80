// SPDX-License-Identifier: MIT
// X11ScreenCapture: window pictures on X11. Capturing needs the Composite extension (there is
// no permission to ask for, so a request answers the same as the check). A picture is taken
// from the window manager's frame of the window: the frame is redirected automatically (the
// server keeps its contents off screen and still draws it as before), its pixmap is named and
// read with MIT-SHM when the server offers it, with a plain GetImage otherwise, and converted
// to 32-bit ARGB at the window's visible frame, scaled down (proportions kept) when it is asked
// smaller than that. Safe from any thread; one capture at a time.
// Each frame read is followed with Damage: while nothing was drawn into it since it was read,
// the same part of it is answered with the picture read then (as long as anyone still holds
// that picture), without a request.
#pragma once

#include "Platform/ScreenCapture.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/PictureBuffers.h"
#include "Platform/X11/PictureScaling.h"
#include "Platform/X11/PixelLayout.h"
#include "Platform/X11/X11WindowList.h"

#include <xcb/damage.h>
#include <xcb/shm.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <map>

namespace platform::x11 {

class X11ScreenCapture final : public ScreenCapture {
public:
    X11ScreenCapture(std::shared_ptr<Connection> connection, std::shared_ptr<X11WindowList> windowList);
    ~X11ScreenCapture() override;
    X11ScreenCapture(const X11ScreenCapture&) = delete;
    X11ScreenCapture& operator=(const X11ScreenCapture&) = delete;

    bool preflightAccess() override;
    bool requestAccess() override { return preflightAccess(); }
    std::optional<std::vector<ShareableWindow>> shareableWindows(bool onScreenOnly, std::string* error) override;
    // One root pixel is one point.
    double pointPixelScale(const ShareableWindow&) override { return 1; }
    CaptureOutcome captureWindow(const ShareableWindow& window, int width, int height) override;
    // Moves with every drawing, map, unmap or end of a frame read before, and with every
    // change the fact cache counts (windows that came, went, moved or changed size).
    std::optional<std::uint64_t> drawStamp() override;
    // The root window's pixels (what the screen shows), read with GetImage.
    CaptureOutcome captureScreen() override;

    // Whether pictures are read through shared memory; switching it off forces GetImage (and
    // drops the pictures kept, so the next capture of each window reads it).
    bool usesSharedMemory();
    void setSharedMemoryAllowed(bool allowed);

    // Event thread: notes what was drawn into a followed frame, and frames mapped, unmapped or
    // destroyed.
    void take(const xcb_generic_event_t& event);

private:
    // Where a window's pixels are: its frame (a child of the root) and the frame's layout.
    struct Source {
        xcb_window_t frame = XCB_WINDOW_NONE;
        std::int16_t x = 0;  // outer corner of the frame's border, root coordinates
        std::int16_t y = 0;
        int width = 0;  // the pixmap's size, border included
        int height = 0;
        std::uint8_t depth = 0;
        xcb_visualid_t visual = 0;
    };
    struct Pixels {
        const std::uint8_t* data = nullptr;
        XPtr<void> owned;  // the GetImage reply the data lies in, when not in shared memory
        PixelLayout layout;
    };

    // A frame read at least once: redirected, followed with a Damage object, and the last
    // picture read of it (the part read, and the pixels while anyone holds them).
    struct Followed {
        xcb_damage_damage_t damage = XCB_NONE;
        bool damaged = true;  // drawn into (or mapped, unmapped) since the last read
        int x = 0, y = 0, width = 0, height = 0;  // the part of the frame read
        PictureSize out;                          // the picture's size (smaller when scaled)
        std::weak_ptr<const std::vector<std::uint32_t>> pixels;
    };

    std::optional<Source> locate(xcb_window_t client, Deadline deadline, std::string& error);
    std::optional<Pixels> read(xcb_pixmap_t pixmap, const Source& source, int x, int y, int width, int height,
                               Deadline deadline, std::string& error);
    std::optional<Pixels> readShared(xcb_pixmap_t pixmap, int x, int y, int width, int height, Deadline deadline,
                                     std::string& error, bool& fallBack);
    PixelLayout layoutFor(std::uint8_t depth, xcb_visualid_t visual, int width) const;
    bool ensureSegment(std::size_t bytes, Deadline deadline);
    void releaseSegment();
    bool sharedMemoryPresent(Deadline deadline);
    void askCompositeVersion(Deadline deadline);
    void askDamageVersion(Deadline deadline);
    // The picture of `frame` read last, when it is of this part and nothing was drawn since.
    std::optional<CapturedImage> keptPicture(xcb_window_t frame, int x, int y, int width, int height,
                                             PictureSize out);
    // Redirects and follows `frame` (once), and starts its damage afresh before a read.
    void beginRead(xcb_window_t frame);
    void keep(xcb_window_t frame, int x, int y, int width, int height, const CapturedImage& image);

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<X11WindowList> windowList_;
    std::mutex mutex_;
    // Where each client's pixels were found, under the fact cache's generation of that look.
    std::map<xcb_window_t, Source> located_;
    std::uint64_t locatedGeneration_ = 0;
    bool versionAsked_ = false;
    bool damageAsked_ = false;
    // Set once Damage answered its version (the event base first); read by the event thread.
    std::atomic<bool> damage_{false};
    std::atomic<std::uint8_t> damageEventBase_{0};
    // The frames read, by frame; shared with the event thread.
    std::mutex followedMutex_;
    std::map<xcb_window_t, Followed> followed_;
    // Drawings, maps, unmaps and ends of followed frames seen by the event thread.
    std::atomic<std::uint64_t> drawn_{0};
    std::optional<bool> sharedMemory_;  // unknown until the first capture
    // Memory of pictures that are gone, for the next ones.
    PictureBuffers buffers_;
    bool sharedMemoryAllowed_ = true;
    xcb_shm_seg_t segment_ = 0;
    int segmentId_ = -1;
    void* segmentAddress_ = nullptr;
    std::size_t segmentSize_ = 0;
};

}  // namespace platform::x11
