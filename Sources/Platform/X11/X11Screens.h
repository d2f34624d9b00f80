// SPDX-License-Identifier: MIT
// X11Screens: the displays as the RandR monitors of the X screen, primary first, with visible
// frames that leave out docks and panels (the struts of every mapped window, client or not,
// within the window manager's work area), in the bottom-left-origin space. Reports changes of
// monitors and of the reserved room on the main thread.
#pragma once

#include "Platform/Screens.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/EventHub.h"
#include "Platform/X11/Monitors.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace platform::x11 {

class X11Screens final : public Screens {
public:
    X11Screens(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events);
    std::vector<Screen> screens() override;

private:
    void readDesktopRoom(Deadline deadline, std::vector<Strut>& struts, std::optional<arvelo::Rect>& workArea);

    std::shared_ptr<Connection> connection_;
    Subscription subscription_;
    // The screens last read, kept while the fact cache's generation stands (struts, the work
    // area, the desktop, windows mapped or moved all move it) and no monitor change came.
    std::mutex mutex_;
    std::optional<std::vector<Screen>> kept_;
    std::uint64_t keptGeneration_ = 0;
    std::atomic<bool> monitorsChanged_{false};
};

}  // namespace platform::x11
