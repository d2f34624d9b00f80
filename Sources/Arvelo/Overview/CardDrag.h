// SPDX-License-Identifier: MIT
// CardDrag.h: one press on a card of the spatial canvas, followed until release: it is a
// click until the pointer has moved 6 points, then a drag of the card's shown window. The
// drag is dropped (ends without docking) as soon as the window leaves the window table, so a
// window closed mid-drag never reaches the coordinator's dock.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "ArveloCore/DockEdge.h"
#include "ArveloCore/Geometry.h"

namespace arvelo {

struct CanvasContent;

class CardDrag {
public:
    static constexpr double kThreshold = 6;

    // What a release asks for.
    struct Dock {
        std::string key;
        std::string target;  // the node id of the card dropped on
        DockEdge edge = DockEdge::tab;
        friend bool operator==(const Dock&, const Dock&) = default;
    };

    void press(std::string nodeID, std::string key, Point at);
    // Moves the pointer; true when this move started the drag.
    bool move(Point to);
    // The window is gone (or the press is given up): nothing more happens until the next press.
    void cancel();
    // Ends the press. A drag over a card gives the dock it asks for; anything else gives none.
    std::optional<Dock> release(Point at, const CanvasContent& content);

    bool pressed() const { return pressed_; }
    bool dragging() const { return pressed_ && started_; }
    const std::string& nodeID() const { return nodeID_; }
    const std::string& key() const { return key_; }
    Point location() const { return location_; }
    Point origin() const { return origin_; }

private:
    bool pressed_ = false;
    bool started_ = false;
    std::string nodeID_;
    std::string key_;
    Point origin_;
    Point location_;
};

}  // namespace arvelo
