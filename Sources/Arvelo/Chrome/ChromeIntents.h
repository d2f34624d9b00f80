// SPDX-License-Identifier: MIT
// ChromeIntents.h: what the chrome reports to the arranger: the user's presses, drags and
// drops on its panels (tabs, tab-bar headers, miniature tiles, seam handles, the zoom bar),
// and the input trace of miniature tiles. Points are in the top-left-origin space. The
// coordinator answers it; the chrome holds it weakly and reads nothing of the arranger: what
// it shows is handed to it with each display's layout.
#pragma once

#include <map>
#include <string>

#include "ArveloCore/Geometry.h"
#include "ArveloCore/Seam.h"

namespace arvelo {

class ChromeIntents {
public:
    virtual ~ChromeIntents() = default;

    // ---- Presses
    // A miniature tile's window is opened; a tab (or a header) shows its window in its tile.
    virtual void focus(const std::string& key) = 0;
    virtual void selectTab(const std::string& key, const std::string& displayID) = 0;
    // The zoom bar's button: back to every window.
    virtual void showEverything() = 0;
    // A miniature tile's way out: its display steps out by one level.
    virtual void zoomOutOf(const std::string& displayID) = 0;
    virtual void minimizeWindow(const std::string& key) = 0;
    virtual void closeWindow(const std::string& key) = 0;

    // ---- Drags of a tab or a miniature tile (one window), or of a tab bar's header (its tile)
    virtual void chromeDragBegan() = 0;
    virtual void chromeDragEnded() = 0;
    // The drag was called off: everything goes back to its place.
    virtual void chromeDragCancelled() = 0;
    virtual void updateDropPreview(const std::string& key, Point at) = 0;
    virtual void finishChromeDrop(const std::string& key, Point at) = 0;
    virtual void updateGroupDropPreview(const std::string& nodeID, const std::string& displayID, Point at) = 0;
    virtual bool finishGroupDrop(const std::string& nodeID, const std::string& displayID, Point at) = 0;

    // ---- A seam handle dragged: the split's ratio follows, and the layout is applied at the end.
    virtual void seamDragBegan() = 0;
    virtual void resizeSeam(const Seam& seam, double fraction, const std::string& displayID, bool commit) = 0;
    virtual void seamDragEnded() = 0;

    // ---- One event of a miniature tile's input trace (kept for the diagnostics).
    virtual void traceProxyInput(std::map<std::string, std::string> entry) = 0;
};

}  // namespace arvelo
