// SPDX-License-Identifier: MIT
// SpatialInputController.h: the event tap of the spatial canvas. Its gestures over the user's
// real windows and desktop: Shift-drag on the bare desktop (Shift-Option-drag anywhere) of an
// arranged display frames an area; a double click in the title strip of an arranged window
// focuses its tile (again: steps out); a double click on the bare desktop focuses the desktop
// tile (again: steps out). While the arranger holds clicks every press is swallowed with
// its release. Installed when arranging starts and the process is trusted; stopped when
// arranging stops. Holds the arranger (SpatialInputHost) weakly.
//
// The platform's tap can only swallow presses it was told about beforehand (its gate): the
// controller keeps the gate open for every press during a click hold, for Shift and
// Shift-Option left presses while installed, and for left presses for one double-click
// interval after a left press that may begin a double click on a title strip or the desktop.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Dispatch.h"
#include "Platform/EventTap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace platform {
struct Services;
}

namespace arvelo {

class SpatialInputHost;
struct WindowRecord;

class SpatialInputController : public std::enable_shared_from_this<SpatialInputController> {
public:
    // The title strip: the top 28 points of a window's frame, right of its first 85 points,
    // never lower than the window's own title bar (the window list's title strip) reaches.
    static constexpr double kTitleStripHeight = 28;
    static constexpr double kTitleStripInset = 85;
    // A framed area must be larger than this in both directions.
    static constexpr double kSmallestFrame = 12;
    static constexpr const char* kFrameLabel = "Frame this area";

    SpatialInputController(std::weak_ptr<SpatialInputHost> arranger, bool enabled);

    // Creates the tap when enabled, trusted and not yet installed; a tap that cannot be
    // created is tried again on the next call.
    void install();
    // Removes the tap, then cancel().
    void stop();
    // Ends any framing and forgets swallowed presses; hides the drop preview.
    void cancel();
    // The tap's decision for one event.
    platform::TapVerdict handle(const platform::TapEvent& event);
    // Recomputes the tap's gate (after the arranger's click hold moved); keeps it up to
    // date as its parts run out.
    void refreshGate();
    // The gate the tap needs now.
    platform::TapGate neededGate() const;

    // An ordinary window of a regular application (or of this program) lies under the point.
    static bool windowAt(const platform::Services& services, Point point);

    const bool enabled;
    // The event tap while installed.
    std::shared_ptr<platform::InstalledEventTap> tap;
    std::optional<Point> anchor;
    std::optional<std::string> framingDisplay;
    bool swallowedDown = false;
    std::set<std::int64_t> heldButtons;
    // Until when (the clock's now) a left press may be the second of a double click worth
    // swallowing.
    double doubleClickArmedUntil = 0;

private:
    bool framing() const { return anchor && framingDisplay; }
    void considerDoubleClick(Point at);
    std::optional<std::shared_ptr<WindowRecord>> titleStripRecord(const SpatialInputHost& coordinator, Point at) const;
    platform::TapVerdict titleStripDoubleClick(SpatialInputHost& coordinator, Point at);
    platform::TapVerdict desktopDoubleClick(SpatialInputHost& coordinator, Point at);

    std::weak_ptr<SpatialInputHost> arranger_;
    platform::TimerHandle gateTimer_;
};

}  // namespace arvelo
