// SPDX-License-Identifier: MIT
// ChromeController.h: the chrome over the arranged windows: the panels of each display (the
// zoom bar, miniature tiles, tab bars, seam handles) built from the layout and the scene the
// arranger pushes, the one drop-preview panel, keeping tab bars stacked just above their
// windows, and the callbacks that report presses, drags and drops on the panels to the
// arranger (ChromeIntents, held weakly). Reads nothing of the arranger; keeps no layout state
// beyond its panels. Points from the views arrive in the bottom-left screen space and go to
// the arranger in the top-left one.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Arvelo/Chrome/ChromeHost.h"
#include "Arvelo/Chrome/ChromePanel.h"
#include "Arvelo/Pictures/WindowPicture.h"
#include "Arvelo/State/DisplayInfo.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/LayoutResult.h"
#include "Platform/Services.h"

namespace arvelo {

class ChromeIntents;

// What the arranger hands the chrome with one display's layout.
struct ChromeScene {
    // The window table and the window pictures, by window key.
    const std::map<std::string, std::shared_ptr<WindowRecord>>& records;
    const std::map<std::string, WindowPicture>& pictures;
    // The display is zoomed (its state has a focus or a camera): the zoom bar shows.
    bool zoomed = false;
    // Miniature tiles report their input to the trace (fixture runs).
    bool traceInput = false;
};

class ChromeController {
public:
    static constexpr const char* kZoomBarTitle = "Show All Windows";
    static constexpr const char* kZoomBarSymbol = "rectangle.3.group";
    static constexpr const char* kTabToolTipStart = "Drag onto an edge to place this window. Click to activate ";
    static constexpr const char* kMiniatureHelp = "Click to open the real window. Drag to an edge to dock it.";
    // The proxy input trace keeps the newest entries only.
    static constexpr std::size_t kProxyTraceLimit = 30;

    ChromeController(std::weak_ptr<ChromeIntents> intents, platform::Services services, bool presentsPanels);

    // Orders out the drop preview and closes every panel.
    void clear();
    // Builds the panels of one display from its layout and scene (the arranger pushes one
    // while it is arranging and the display's state holds windows). Adds to what is there.
    void show(const LayoutResult& result, const DisplayInfo& display, const ChromeScene& scene);
    // Puts every tab bar at the normal level just above its window, as one batch (not while
    // the left mouse button is down, and only when panels are presented).
    void restackTabBars();
    // Shows the drop-preview panel over the rectangle (top-left space) with the label; the
    // panel is made on first use and reused.
    void showDropPreview(const Rect& rect, const std::string& label);
    // Orders the drop-preview panel out.
    void hideDropPreview();
    // New window pictures: the miniature tiles whose picture changed take theirs and are
    // drawn again; the others are left alone.
    void refreshPreviewImages(const std::map<std::string, WindowPicture>& pictures);
    // The zoom bar's button: back to every window.
    void showEverything();
    // A compositing manager started or stopped and the platform's panels took the new form:
    // every panel's content (the drop preview's too) is drawn again in it, and the tab bars go
    // back above their windows.
    void presentAgain();

    // The primary height now: the first screen's height, 0 without screens.
    double primaryHeight() const;
    // A bottom-left point to the top-left space, with the primary height now.
    Point toTopLeft(Point bottomLeft) const;

    bool presentsPanels;
    std::vector<std::shared_ptr<ChromePanel>> panels;
    std::set<std::string> representedMinis;
    std::shared_ptr<ChromePanel> dropPanel;
    std::vector<std::shared_ptr<ChromePanel>> tabBars;
    // The view layer's hooks (set by the shell; absent in logic tests).
    ChromeHost host;
    // How many times the miniature tiles were told of new pictures.
    int pictureRefreshes = 0;

private:
    std::shared_ptr<ChromePanel> makePanel(ChromePanelKind kind, const DisplayInfo& display, const Rect& frame);
    // Fills, shows (when presenting) and keeps a panel of `panels`.
    void finish(const std::shared_ptr<ChromePanel>& panel);
    void addZoomBar(const DisplayInfo& display);
    void addMiniature(const Tile& tile, const WindowRecord& record, const DisplayInfo& display,
                      const ChromeScene& scene);
    void addTabBar(const Tile& tile, const DisplayInfo& display, const ChromeScene& scene);
    void addSeamHandle(const Seam& seam, const DisplayInfo& display);
    PressCallbacks windowPress(const std::string& key, const Tile& tile, const DisplayInfo& display) const;
    void traceProxyInput(const std::string& source, const std::string& phase, const std::optional<TraceEvent>& event);

    std::weak_ptr<ChromeIntents> intents_;
    platform::Services services_;
    platform::Subscription translucency_;
};

}  // namespace arvelo
