// SPDX-License-Identifier: MIT
// WindowList.h: the window server's list of windows (number, owner, layer, bounds, name),
// front to back, as the scan and the drag controller read it, whether a read was answered in
// full, what the server says of one window, and the news that a window was shown, changed or
// destroyed. The list is safe from any thread.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Signal.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct WindowInfo {
    std::uint32_t number = 0;
    std::int32_t ownerPid = 0;
    std::string ownerName;
    std::int32_t layer = 0;              // 0 for ordinary windows
    std::optional<arvelo::Rect> bounds;  // top-left-origin screen space; absent when unknown
    std::string name;                    // the window's title, "" when unknown
    bool onScreen = true;
    // How far down from the frame's top its title strip reaches: the window manager's title
    // bar, or a header bar the window draws itself as far as that can be told; 0 for a window
    // without one; absent when unknown.
    std::optional<double> titleStrip;

    friend bool operator==(const WindowInfo&, const WindowInfo&) = default;
};

struct WindowListOptions {
    bool onScreenOnly = true;            // only windows that are on screen now
    bool excludeDesktopElements = true;  // leave out the desktop and its icons
};

// One read of the list and whether every answer it needed came in time. A read that is not
// complete lists only what did answer: a window missing from it may still be there.
struct WindowListRead {
    std::vector<WindowInfo> windows;
    bool complete = true;
};

// What the window server says of one window now.
struct WindowLookup {
    enum class Answer {
        listed,     // `info` is its entry, as the list of every window gives it
        unlisted,   // it exists, but the list leaves it out (its client withdrew it)
        destroyed,  // the server says there is no such window
        unknown,    // no answer in time: it may be there or not
    };
    Answer answer = Answer::unknown;
    std::optional<WindowInfo> info;  // with `listed`
};

class WindowList {
public:
    virtual ~WindowList() = default;
    // The windows, front to back; what answered in time.
    virtual std::vector<WindowInfo> windows(const WindowListOptions& options) = 0;
    // The same, and whether the read was answered in full. A backend that cannot tell answers
    // the list of windows() as complete.
    virtual WindowListRead readWindows(const WindowListOptions& options) { return {windows(options), true}; }
    // One window as the list of every window (desktop elements included) gives it. A backend
    // that cannot tell more looks it up in that list: a window the list leaves out is destroyed.
    virtual WindowLookup lookUp(std::uint32_t number) {
        const WindowListRead read = readWindows({.onScreenOnly = false, .excludeDesktopElements = false});
        for (const WindowInfo& info : read.windows)
            if (info.number == number) return {WindowLookup::Answer::listed, info};
        return {read.complete ? WindowLookup::Answer::destroyed : WindowLookup::Answer::unknown, std::nullopt};
    }
    // Main thread: calls `onChange` on the main thread, after the change, whenever the window
    // may have changed: moved or resized, retitled, its state, desktop or owner's facts changed,
    // shown or hidden (its window manager's frame included), or destroyed; until the
    // subscription is dropped. Absent when the backend cannot follow one window: readers then
    // look again on a timer.
    virtual std::optional<Subscription> watch(std::uint32_t number, std::function<void()> onChange) {
        (void)number;
        (void)onChange;
        return std::nullopt;
    }
    // A number that stays the same while nothing a scan of the windows reads has changed: the
    // list and its order, and every window's and application's facts. Absent when the backend
    // cannot tell (then every scan reads). Any thread.
    virtual std::optional<std::uint64_t> changeStamp() { return std::nullopt; }

    // Main thread: a window was just shown (opened, or mapped again), for readers that look at
    // once instead of at their next scan. Sent after the change, possibly for windows of this
    // program too; a backend that cannot tell never sends it.
    Signal<> windowDidAppear;
    // Main thread: the window with this number was destroyed. Its number may soon name another
    // window (X servers hand out the ids of closed windows again), so what was known of it goes
    // now. Sent for every destroyed window, possibly for numbers no reader knows; a backend that
    // cannot tell never sends it.
    Signal<std::uint32_t> windowDidClose;
};

}  // namespace platform
