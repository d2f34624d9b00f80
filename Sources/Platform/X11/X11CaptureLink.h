// SPDX-License-Identifier: MIT
// X11CaptureLink: the live captures' own connection to the X server, apart from the one the
// rest of the backend waits on, so frame reads never hold up other requests and the Damage
// and structure events of captured windows come to the captures alone. It says which of
// Composite, Damage and XRender the server has (with XRender's picture formats), whether pins
// are to be copied frame by frame even so (VOMIRA_PINS_COPY_FRAMES set, for tests), says once in
// the log how pins are drawn, and hands each event about a window to the one capture that
// follows that window, on the main thread.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/Log.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/RenderFormats.h"

#include <xcb/xcb.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform::x11 {

// One event about a followed window, as a capture needs it.
struct CaptureEvent {
    enum class Kind { damage, configure, map, unmap, destroy, expose };
    Kind kind = Kind::damage;
    xcb_window_t window = XCB_WINDOW_NONE;  // the damaged drawable, or the window the event is about
    int width = 0, height = 0;              // configure: the new size, border included
    std::int16_t x = 0, y = 0;              // configure: the new corner in the parent
};

class X11CaptureLink : public std::enable_shared_from_this<X11CaptureLink> {
public:
    // Null when the server cannot be reached.
    static std::shared_ptr<X11CaptureLink> open(std::shared_ptr<Dispatcher> dispatch, const char* display);
    ~X11CaptureLink();

    Connection& connection() { return *connection_; }
    bool hasComposite() const { return composite_; }
    bool hasDamage() const { return damage_; }
    // XRender's formats; none when the server has no XRender (0.10 or later).
    const std::optional<RenderFormats>& renderFormats() const { return renderFormats_; }
    // Pins are copied frame by frame even where the server could draw them.
    bool copyForced() const { return copyForced_; }

    // Where the captures' news for people goes.
    void setLogger(Logger logger) { logger_ = std::move(logger); }
    // The first call writes the line (info); later calls do nothing.
    void tellOnce(const std::string& line);

    // Main thread: `handler` gets the events about `window` until unfollow().
    void follow(xcb_window_t window, std::function<void(const CaptureEvent&)> handler);
    void unfollow(xcb_window_t window);

private:
    X11CaptureLink(std::shared_ptr<Connection> connection, std::shared_ptr<Dispatcher> dispatch);
    void take(const xcb_generic_event_t& event);
    void deliver();

    std::shared_ptr<Connection> connection_;
    std::shared_ptr<Dispatcher> dispatch_;
    bool composite_ = false;
    bool damage_ = false;
    std::uint8_t damageEventBase_ = 0;
    std::optional<RenderFormats> renderFormats_;
    bool copyForced_ = false;
    Logger logger_;
    bool told_ = false;
    std::mutex mutex_;
    std::vector<CaptureEvent> pending_;
    std::map<xcb_window_t, std::function<void(const CaptureEvent&)>> handlers_;
};

}  // namespace platform::x11
