// SPDX-License-Identifier: MIT
// X11Observer: Accessibility notifications of one process's windows on X11 ("AXMoved",
// "AXResized", "AXWindowMiniaturized", "AXWindowDeminiaturized", "AXUIElementDestroyed"),
// found by comparing the windows' frames and states whenever the X server reports a change
// to one of them or to its window manager frame (structure and property changes of both are
// followed). Lives on the main thread and delivers there.
#pragma once

#include "Platform/Accessibility.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::x11 {

class X11Observer final : public AccessObserver {
public:
    X11Observer(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events, std::int32_t pid);

    AccessError addNotification(const AccessElement& element, std::string_view notification) override;
    AccessError removeNotification(const AccessElement& element, std::string_view notification) override;

private:
    struct Seen {
        std::optional<arvelo::Rect> frame;
        bool minimised = false;
    };
    void handle(const std::vector<EventRecord>& batch);
    // Reads the followed windows (and, with an application registration, picks up new ones)
    // and reports what changed since the last look.
    void look(bool report);
    void deliver(const AccessElement& element, const std::string& notification);
    bool wantsEveryWindow() const;
    // Follows the window manager's frame of a followed window too: a frame moves without its
    // client hearing of it from every manager.
    void followFrameOf(xcb_window_t window);

    std::shared_ptr<Connection> connection_;
    std::int32_t pid_;
    std::vector<std::pair<AccessElement, std::string>> registrations_;
    std::map<xcb_window_t, Seen> followed_;
    std::map<xcb_window_t, xcb_window_t> frameClients_;  // frame -> the followed client in it
    Subscription subscription_;
};

}  // namespace platform::x11
