// SPDX-License-Identifier: MIT
// Panels.h: this program's own panels over other programs' windows (tab bars, seam handles,
// miniature tiles, the zoom bar, the drop preview) as the platform shows them: frameless,
// never taking the keyboard focus from the user's application, on every desktop, listed in
// the on-screen window list under this program's process id. The logic asks for a panel,
// places it, sets its level and whether it lets the mouse through, and orders it; what is
// drawn inside belongs to the view layer. Frames are in the top-left-origin screen space.
#pragma once

#include "ArveloCore/Geometry.h"
#include "Platform/Signal.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

// The panel levels the chrome uses, with the window-list layer each one shows as.
enum class PanelLevel : std::int32_t {
    normal = 0,    // ordered among ordinary windows (tab bars just above their window)
    floating = 3,  // above every ordinary window
    popUp = 101,   // above floating panels (the drop preview)
};

using PanelID = std::uint64_t;

class Panels {
public:
    virtual ~Panels() = default;

    // A new panel over `frame`, not on screen yet, at the floating level, taking mouse input.
    virtual PanelID create(const arvelo::Rect& frame) = 0;
    virtual void setFrame(PanelID panel, const arvelo::Rect& frame) = 0;
    // Where the panel is now (it may have been moved by its content); none once closed.
    virtual std::optional<arvelo::Rect> frame(PanelID panel) = 0;
    virtual void setLevel(PanelID panel, PanelLevel level) = 0;
    // A panel that ignores the mouse lets every press through to the window under it.
    virtual void setIgnoresMouse(PanelID panel, bool ignores) = 0;
    // On screen, in front of everything of its level.
    virtual void show(PanelID panel) = 0;
    // Off screen; the panel is kept and can be ordered front again.
    virtual void hide(PanelID panel) = 0;
    // Gone for good; later calls with this id do nothing.
    virtual void close(PanelID panel) = 0;
    // Each panel on screen directly above the window with that number (another program's
    // window), in order, as one batch; floating and pop-up panels stay above them all. A
    // window that is gone leaves its panel where it was.
    virtual void orderAbove(const std::vector<std::pair<PanelID, std::uint32_t>>& placements) = 0;
    // On screen directly behind the window with that number (another program's window), so
    // that the window covers it; a window that is gone leaves the panel where it was.
    virtual void orderBelow(PanelID panel, std::uint32_t windowNumber) = 0;
    // The panel's number in the on-screen window list; 0 while it has none.
    virtual std::uint32_t windowNumber(PanelID panel) = 0;
    // Translucent drawing shows what lies under a panel (a compositing manager runs);
    // otherwise panels are cut to their outline and painted opaque.
    virtual bool translucent() = 0;

    // A compositing manager started or stopped (the new answer of translucent()): every panel
    // has taken the new form already, empty; what it shows must be drawn into it again.
    Signal<bool> translucencyChanged;
};

}  // namespace platform
