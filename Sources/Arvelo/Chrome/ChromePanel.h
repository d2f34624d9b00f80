// ChromePanel.h: one panel of the chrome drawn over the arranged windows (a tab bar, a seam
// handle, a miniature tile, the zoom bar or the drop preview) as a model: what it shows, where
// (top-left screen space), above which native window, and whether it is on screen. The view
// layer presents it through the `presenter` hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ArveloCore/Geometry.h"

namespace arvelo {

enum class ChromePanelKind { tabBar, seamHandle, miniature, zoomBar, dropPreview };

struct ChromePanel {
    // What the view layer does when the model changes; any hook may be absent.
    struct Presenter {
        std::function<void(ChromePanel&)> orderFront;
        std::function<void(ChromePanel&)> orderOut;
        std::function<void(ChromePanel&)> close;
        std::function<void(ChromePanel&, std::uint32_t windowNumber)> orderAbove;
        std::function<void(ChromePanel&)> redraw;
    };

    ChromePanelKind kind = ChromePanelKind::tabBar;
    std::string displayID;
    std::string nodeID;                // the tile's leaf, or the split behind a seam
    std::vector<std::string> windows;  // the tile's windows (tab bars, miniatures)
    std::string selected;              // the tile's shown window
    std::string label;                 // the drop preview's label
    Rect frame;
    std::uint32_t windowNumber = 0;  // the native window a tab bar sits just above
    bool visible = false;
    bool closed = false;
    bool normalLevel = false;
    std::optional<std::uint32_t> orderedAbove;
    Presenter presenter;

    void orderFront() {
        visible = true;
        if (presenter.orderFront) presenter.orderFront(*this);
    }
    void orderOut() {
        visible = false;
        if (presenter.orderOut) presenter.orderOut(*this);
    }
    void close() {
        visible = false;
        closed = true;
        if (presenter.close) presenter.close(*this);
    }
    void redraw() {
        if (presenter.redraw) presenter.redraw(*this);
    }
    void orderAbove(std::uint32_t number) {
        visible = true;
        orderedAbove = number;
        if (presenter.orderAbove) presenter.orderAbove(*this, number);
    }
};

}  // namespace arvelo
