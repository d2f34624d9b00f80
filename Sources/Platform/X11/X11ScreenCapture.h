// X11ScreenCapture: window pictures on X11. Capturing needs the Composite extension (there is
// no permission to ask for, so a request answers the same as the check). A picture is taken
// from the window manager's frame of the window: the frame is redirected automatically (the
// server keeps its contents off screen and still draws it as before), its pixmap is named and
// read with MIT-SHM when the server offers it, with a plain GetImage otherwise, and converted
// to 32-bit ARGB at the window's visible frame. Safe from any thread; one capture at a time.
#pragma once

#include "Platform/ScreenCapture.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/PictureBuffers.h"
#include "Platform/X11/PixelLayout.h"
#include "Platform/X11/X11WindowList.h"

#include <xcb/shm.h>

#include <memory>
#include <mutex>
#include <optional>
#include <map>
#include <set>

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
    // The root window's pixels (what the screen shows), read with GetImage.
    CaptureOutcome captureScreen() override;

    // Whether pictures are read through shared memory; switching it off forces GetImage.
    bool usesSharedMemory();
    void setSharedMemoryAllowed(bool allowed);

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

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<X11WindowList> windowList_;
    std::mutex mutex_;
    std::set<xcb_window_t> redirected_;
    // Where each client's pixels were found, under the fact cache's generation of that look.
    std::map<xcb_window_t, Source> located_;
    std::uint64_t locatedGeneration_ = 0;
    bool versionAsked_ = false;
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
