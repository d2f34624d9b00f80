// SPDX-License-Identifier: MIT
// SpatialInputHost.h: what the event tap of the spatial canvas sees of the arranger: its
// published model (displays, their states, the windows), whether its gestures are on, until
// when clicks are held, the clock and the platform, the frame preview it draws through the
// chrome, and the few canvas operations its gestures end in. The coordinator answers it; the
// tap holds it weakly.
#pragma once

#include <string>

#include "Arvelo/State/ArrangementModel.h"
#include "ArveloCore/Geometry.h"
#include "Platform/Services.h"

namespace arvelo {

class SpatialInputHost {
public:
    virtual ~SpatialInputHost() = default;

    // ---- Reads
    virtual const ArrangementModel& model() const = 0;
    virtual const platform::Services& services() const = 0;
    virtual double now() const = 0;
    // The gestures act only while arranging, with the chrome not suspended.
    virtual bool tapActive() const = 0;
    // Until when (the clock's now) every press is swallowed with its release.
    virtual double clicksHeldUntil() const = 0;

    // ---- The preview of an area being framed (top-left space), drawn by the chrome.
    virtual void showDropPreview(const Rect& rect, const std::string& label) = 0;
    virtual void hideDropPreview() = 0;

    // ---- What the gestures do.
    virtual void frameArea(const Rect& rect, const std::string& displayID) = 0;
    virtual void focus(const std::string& key) = 0;
    virtual void focusDesktop() = 0;
    virtual void zoomOut() = 0;
    virtual void selectDisplay(const std::string& displayID) = 0;
};

}  // namespace arvelo
