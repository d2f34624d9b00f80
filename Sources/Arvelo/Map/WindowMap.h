// SPDX-License-Identifier: MIT
// WindowMap.h: the window map's owner: for the display under the pointer a scaled map of its
// tiles with a row per window (tabs included) and a strip of minimised windows; a row chosen
// brings its window forward or selects its tab; Escape closes the map and gives the keyboard
// back to the application that had it; a press in another application closes it. Built once
// when it opens (a snapshot of the arranger's state), shown by the view layer through
// `makePanel`. Holds the arranger (WindowMapHost) weakly.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "Arvelo/Map/WindowMapLayout.h"
#include "Platform/Services.h"

namespace arvelo {

class WindowMapHost;

// What a row shows of its window.
struct MapEntry {
    std::string appName;
    std::string title;  // the application's name when the window has no title
    std::string iconName;
    std::uint32_t windowNumber = 0;  // whose own icon comes first
    std::string identity;            // the application's
};

struct MapContent {
    WindowMapLayout layout;
    std::map<std::string, MapEntry> entries;  // by window key
    Rect panelFrame;                          // where the panel goes, top-left-origin screen space
    std::string displayID;
};

class WindowMap : public std::enable_shared_from_this<WindowMap> {
public:
    static constexpr const char* kTitle = "Windows";
    static constexpr const char* kHint = "Click a window  \u00b7  esc to close";
    static constexpr const char* kMinimizedTitle = "Minimized";
    static constexpr const char* kRowSeparator = "  \u00b7  ";

    enum class Key { up, down, left, right, enter, escape };

    // The open map as the view layer presents it.
    struct Panel {
        std::function<void()> close;      // orders the panel out and drops it
        std::function<void()> highlight;  // the keyboard's row changed: redraw
    };

    static std::shared_ptr<WindowMap> make(platform::Services services);

    bool isOpen() const { return panel_ != nullptr; }
    // Builds the map for the display under the pointer and opens it; nothing without a display
    // or a screen.
    void show(const std::shared_ptr<WindowMapHost>& arranger);
    // Opens the map, or closes it (giving the keyboard back) when it is open.
    void toggle(const std::shared_ptr<WindowMapHost>& arranger);
    // Closes the map; with `returning` the application that was in front gets the keyboard back.
    void close(bool returning);
    // Closes the map and brings the window forward, or selects it as its tile's tab.
    void choose(const std::string& key, const std::string& displayID, bool tab);

    // ---- What the view reports.
    // A row of the pane at this index (the pane's own action) or of the strip (no pane).
    void pick(std::optional<std::size_t> pane, const std::string& key);
    void press(Key key);
    // A mouse press in another application.
    void outsideClick();

    const std::optional<MapContent>& content() const { return content_; }
    // The row the keyboard is on, an index into content()->layout.rowsInOrder().
    std::optional<std::size_t> highlighted() const { return highlighted_; }

    // Made by the view layer: shows the content; its actions come back through pick, press and
    // outsideClick.
    std::function<std::shared_ptr<Panel>(const MapContent&, std::weak_ptr<WindowMap>)> makePanel;

private:
    explicit WindowMap(platform::Services services) : services_(std::move(services)) {}
    std::optional<platform::Screen> screenUnderPointer() const;
    void moveHighlight(int step);

    platform::Services services_;
    std::weak_ptr<WindowMapHost> arranger_;
    std::optional<platform::RunningApplication> previous_;
    std::shared_ptr<Panel> panel_;
    std::shared_ptr<void> outsideClick_;  // the global mouse monitor while open
    std::optional<MapContent> content_;
    std::optional<std::size_t> highlighted_;
};

}  // namespace arvelo
