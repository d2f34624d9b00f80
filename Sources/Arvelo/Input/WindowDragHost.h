// SPDX-License-Identifier: MIT
// WindowDragHost.h: what the window drag controller sees of the arranger: the gate's three
// switches, the window records, the drag trace, the drop handling, the hand-resize entry, and
// the two canvas gestures of a pinch. The coordinator hands the controller one of these
// (CoordinatorDragHost) instead of its fields; tests may hand it another.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/DockEdge.h"
#include "ArveloCore/Geometry.h"

namespace arvelo {

class WindowDragHost {
public:
    virtual ~WindowDragHost() = default;

    // False once the arranger is gone; the controller then does nothing.
    virtual bool attached() const = 0;

    // The gate: the controller acts only while arranging, with the chrome not suspended and
    // docking by drag switched on.
    virtual bool managing() const = 0;
    virtual bool chromeSuspended() const = 0;
    virtual bool dragDocking() const = 0;

    // The mouse location in the top-left-origin space, for events that carry none.
    virtual Point pointerAX() const = 0;

    // The arranger's record of a window with this window number, or of this key; null when
    // it has none.
    virtual std::shared_ptr<WindowRecord> recordWithNumber(std::uint32_t number) const = 0;
    virtual std::shared_ptr<WindowRecord> record(const std::string& key) const = 0;
    // The window's frame read from it now; absent when it cannot be read.
    virtual std::optional<Rect> currentFrame(const WindowRecord& record) const = 0;

    // Appends a line to the drag trace (which keeps the newest lines only).
    virtual void note(std::string line) = 0;

    // Drop handling.
    virtual void updateDropPreview(const std::string& key, Point at) = 0;
    virtual std::optional<DockEdge> dropEdge(const std::string& key, Point at) const = 0;
    virtual void finishWindowDrop(const std::string& key, Point at, std::optional<Point> moved) = 0;
    virtual void hideDropPreview() = 0;

    // The user resized a docked window by hand.
    virtual void resizeDocked(const std::string& key, const Rect& frame) = 0;

    // After a mouse-up: tab bars back above their windows; the diagnostics file when a drag
    // had been armed.
    virtual void restackTabBars() = 0;
    virtual void writeDiagnostics() = 0;

    // A pinch: selects the display under the pointer, then steps out, or focuses the tile
    // under the point (top-left-origin space) of the selected display.
    virtual void selectDisplayUnderPointer() = 0;
    virtual void zoomOut() = 0;
    virtual void focusTileAt(Point point) = 0;
};

}  // namespace arvelo
