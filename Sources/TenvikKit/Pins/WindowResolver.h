// SPDX-License-Identifier: MIT
// WindowResolver.h: which window of an application a pin captures, and the window's facts as
// the window list reports them now (or that the window is gone, or that the window server did
// not answer in time). The application's capturable windows (ordinary layer, wider than 120 and
// taller than 100 points, on screen) are matched against its windows in the window list, front
// to back (WindowMatcher). Keeps nothing between calls. Main thread.
#pragma once

#include "Platform/PinCapture.h"
#include "Platform/WindowList.h"
#include "TenvikKit/Pins/PinnedWindow.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tenvik {

class WindowResolver {
public:
    // A window-list read; absent when the list cannot be read.
    using ListWindows =
        std::function<std::optional<std::vector<platform::WindowInfo>>(const platform::WindowListOptions&)>;
    // What the window server says of one window.
    using LookUpWindow = std::function<platform::WindowLookup(std::uint32_t)>;

    // The application to pin from.
    struct Application {
        std::int32_t processIdentifier = 0;
        std::optional<std::string> localizedName;
    };

    // The chosen window: its facts and the capturable window a stream is built on.
    struct Resolved {
        PinnedWindow window;
        platform::ShareableContentWindow shareable;
    };
    // Either the window, no capturable window, or the capturable list's own error text.
    struct ContentError {
        std::string message;
    };
    using Result = std::variant<Resolved, PreviewError, ContentError>;

    // A pinned window now: its fresh facts; or gone (destroyed, or its number now names a
    // window of another process); or unknown (no answer in time).
    struct Lookup {
        enum class Kind { current, gone, unknown };
        Kind kind = Kind::unknown;
        std::optional<PinnedWindow> window;  // with `current`
    };

    // Capturable windows must be strictly larger than this, in points.
    static constexpr double kMinimumWidth = 120;
    static constexpr double kMinimumHeight = 100;

    // One window is looked up in the list of every window: one the list cannot be read for is
    // unknown, one a list leaves out is gone.
    WindowResolver(std::shared_ptr<platform::LiveCapture> capture, ListWindows listWindows);
    // Reads the window list through the platform's service.
    WindowResolver(std::shared_ptr<platform::LiveCapture> capture, std::shared_ptr<platform::WindowList> windowList);

    Result resolve(const Application& application) const;
    // The window's facts now; absent once the window list no longer has it.
    std::optional<PinnedWindow> currentWindowInfo(std::uint32_t windowID) const;
    // The pinned window `last` now. A window that exists but is left out of the list (its
    // client withdrew it) is current, with its last facts and not on screen.
    Lookup lookUpWindow(const PinnedWindow& last) const;

private:
    std::vector<WindowMatchCandidate> currentWindowCandidates(const Application& application) const;
    static PinnedWindow makePinnedWindow(const platform::ShareableContentWindow& window,
                                         const Application& fallbackApp);

    std::shared_ptr<platform::LiveCapture> capture_;
    ListWindows listWindows_;
    LookUpWindow lookUp_;
};

}  // namespace tenvik
