// SPDX-License-Identifier: MIT
// DropHandling.h: the arranger's drop handling: turns "this window (or this tile's group) is
// dragged and the pointer is here" into a display and a dock destination, shows the labelled
// drop preview through the chrome, and on release asks the arranger for the edit: a window
// docks beside a tile, at a display's edge or into a tile as a tab; a window dropped nowhere
// goes back to its tile (its seams move when it was dragged more than 6 points); a tile's
// group docks beside or into another tile, on its own display or another. Native title-bar drags,
// tab buttons, tab-bar headers and miniature tiles all end here. Holds the arranger (DropHost)
// weakly; keeps no state of its own. Points are in the top-left-origin space of window frames.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Arvelo/State/DisplayInfo.h"
#include "ArveloCore/DockDestination.h"
#include "ArveloCore/Geometry.h"
#include "ArveloCore/LayoutNode.h"

namespace arvelo {

class DropHost;

class DropHandling {
public:
    // A native drop that moved its window by more than this in x or y moves the window's seams.
    static constexpr double kNudgeThreshold = 6;
    // "input" of lastDrop.
    static constexpr const char* kNativeInput = "native-title-bar";
    static constexpr const char* kChromeInput = "tile-or-tab";

    explicit DropHandling(std::weak_ptr<DropHost> arranger);

    // The display under the point and where a drop of `key` there would go.
    std::optional<std::pair<DisplayInfo, DockDestination>> dropDestination(const std::string& key, Point point) const;

    // One window dragged (by its title bar, as a tab or as a miniature tile).
    void updateDropPreview(const std::string& key, Point point);
    // `native`: dragged by its own title bar; `moved`: how far the window itself moved since
    // the press (absent for chrome drags and unreadable frames).
    void finishWindowDrop(const std::string& key, Point point, bool native, std::optional<Point> moved);

    // A whole tile dragged by its tab bar's header.
    void updateGroupDropPreview(const std::string& nodeID, const std::string& displayID, Point point);
    // Answers whether the trees changed.
    bool finishGroupDrop(const std::string& nodeID, const std::string& displayID, Point point);

    // The preview's label for an edge: "Split left" ... "Make tabs" for a window, "Dock group"
    // and "Group as tabs" for a tile's group.
    static std::string label(DockEdge edge, bool group);

private:
    // The dragged tile's windows, when its display state and node exist and hold windows;
    // with the node itself.
    struct Group {
        LayoutNode node;
        std::vector<std::string> windows;
    };
    std::optional<Group> group(const DropHost& arranger, const std::string& nodeID, const std::string& displayID) const;
    std::optional<std::pair<DisplayInfo, DockDestination>> groupDestination(const Group& group, Point point) const;
    void hidePreview() const;

    std::weak_ptr<DropHost> arranger_;
};

}  // namespace arvelo
