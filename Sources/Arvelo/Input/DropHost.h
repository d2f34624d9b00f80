// SPDX-License-Identifier: MIT
// DropHost.h: what the drop handling sees of the arranger: its published model (displays,
// their states, the drag-docking switch), the pinned windows, each display's solved layout,
// the drop preview drawn by the chrome, and the edits a drop ends in. The coordinator answers
// it; the drop handling holds it weakly.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "Arvelo/State/ArrangementModel.h"
#include "ArveloCore/DockEdge.h"
#include "ArveloCore/Geometry.h"
#include "ArveloCore/LayoutResult.h"

namespace arvelo {

class DropHost {
public:
    virtual ~DropHost() = default;

    // ---- Reads
    virtual const ArrangementModel& model() const = 0;
    // Pinned windows are never docked.
    virtual bool isPinned(const std::string& key) const = 0;
    virtual LayoutResult layout(const std::string& displayID, bool overview = false,
                                std::optional<Rect> rect = std::nullopt,
                                const std::optional<LayoutNode>& root = std::nullopt) const = 0;

    // ---- The labelled drop preview over a rectangle (top-left space), drawn by the chrome.
    virtual void showDropPreview(const Rect& rect, const std::string& label) = 0;
    virtual void hideDropPreview() = 0;

    // ---- What a drop ends in.
    // Keeps the description of the last drop for the diagnostics.
    virtual void noteDrop(std::map<std::string, std::string> drop) = 0;
    virtual void dock(const std::string& key, const std::string& target, const std::string& displayID,
                      DockEdge edge) = 0;
    // Docks the tile `nodeID` of `fromDisplay`, with all its windows, beside or into the node
    // `target` of `toDisplay`; the destination display is shown whole again. Answers whether
    // the trees changed (the layout is applied either way).
    virtual bool dockGroup(const std::string& nodeID, const std::string& fromDisplay, const std::string& target,
                           const std::string& toDisplay, DockEdge edge) = 0;
    // The window goes back to its tile, its seams moved as if the window were dragged by
    // `vector`.
    virtual void nudgeDocked(const std::string& key, Point vector) = 0;
    virtual void apply() = 0;
};

}  // namespace arvelo
