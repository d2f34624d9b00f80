// SPDX-License-Identifier: MIT
// ChromePanel.h: one panel of the chrome drawn over the arranged windows (a tab bar, a seam
// handle, a miniature tile, the zoom bar or the drop preview) as a model: what it shows and
// the callbacks its view calls, where it is (top-left screen space), its level, above which
// native window it sits, and whether it is on screen. The platform's panel service shows it;
// the view layer fills it (ChromeHost) and may follow it through the `presenter` hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Arvelo/Chrome/ChromeMetrics.h"
#include "Arvelo/Chrome/ChromePress.h"
#include "Arvelo/Pictures/WindowPicture.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/Geometry.h"
#include "ArveloCore/Seam.h"
#include "Platform/Panels.h"

namespace arvelo {

enum class ChromePanelKind { tabBar, seamHandle, miniature, zoomBar, dropPreview };

// One tab of a tab bar.
struct TabItem {
    std::string window;  // the window key
    std::string title;
    WindowIcon icon;
    std::uint32_t windowNumber = 0;  // whose own icon comes first
    std::string identity;            // the application's, for its desktop entry's icon
    std::string toolTip;
    bool on = false;  // the tile's selected window
    PressCallbacks press;
    std::function<void()> minimize;
    std::function<void()> close;
};

struct TabBarContent {
    chrome::TabBarMetrics metrics;
    std::vector<TabItem> tabs;  // windows with a record, in tab order
    PressCallbacks header;      // a press on the header's empty space: the whole tile
};

struct SeamContent {
    Seam seam;
    double primaryHeight = 0;
    std::function<void()> begin;
    std::function<void(double)> callback;  // each fraction
    std::function<void()> end;
};

// What the miniature's input trace gets with an event (points in the platform's forms).
struct TraceEvent {
    Point local;                  // in the view's window
    Point screen;                 // bottom-left screen space
    std::optional<Point> quartz;  // the window server's location, when the event has one
};

struct MiniatureContent {
    std::string identifier;  // the window key
    std::string title = "Window";
    WindowIcon icon;
    std::uint32_t windowNumber = 0;
    std::string identity;
    std::optional<WindowPicture> image;
    bool requiresDoubleClick = false;
    PressCallbacks press;
    std::function<void()> zoomOut;
    std::function<void(const std::string& phase, const std::optional<TraceEvent>& event)> inputTrace;
};

struct ZoomBarContent {
    std::function<void()> action;  // "Show All Windows"
};

struct ChromePanel {
    // What the view layer does when the model changes; any hook may be absent.
    struct Presenter {
        std::function<void(ChromePanel&)> show;
        std::function<void(ChromePanel&)> hide;
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
    platform::PanelLevel level = platform::PanelLevel::floating;
    bool ignoresMouse = false;
    std::optional<std::uint32_t> orderedAbove;

    // The content, by kind.
    std::optional<TabBarContent> tabBar;
    std::optional<SeamContent> seamHandle;
    std::optional<MiniatureContent> miniature;
    std::optional<ZoomBarContent> zoomBar;

    // The platform's panel (absent while panels are only models).
    std::shared_ptr<platform::Panels> platformPanels;
    platform::PanelID id = 0;
    Presenter presenter;

    void show();
    void hide();
    void close();
    void redraw();
    void setLevel(platform::PanelLevel newLevel);
    void setIgnoresMouse(bool ignores);
    void setFrame(const Rect& newFrame);
    // The model's side of ordering above a window; the platform is asked in batches by the
    // controller.
    void markOrderedAbove(std::uint32_t number);
};

}  // namespace arvelo
