// SPDX-License-Identifier: MIT
// WindowMap.cpp: opening the map from the arranger's state, closing it, choosing a row and
// walking the rows with the keyboard.
#include "Arvelo/Map/WindowMap.h"

#include "Arvelo/Map/WindowMapHost.h"

namespace arvelo {

std::shared_ptr<WindowMap> WindowMap::make(platform::Services services) {
    return std::shared_ptr<WindowMap>(new WindowMap(std::move(services)));
}

std::optional<platform::Screen> WindowMap::screenUnderPointer() const {
    const auto screens = services_.screens->screens();
    if (screens.empty()) return std::nullopt;
    const Point mouse = services_.pointer->location();
    for (const auto& screen : screens)
        if (screen.frame.contains(mouse)) return screen;
    return screens.front();  // the main screen
}

void WindowMap::show(const std::shared_ptr<WindowMapHost>& arranger) {
    if (!arranger) return;
    std::optional<DisplayInfo> display = arranger->displayUnderPointer();
    const auto& displays = arranger->model().displays.get();
    if (!display && !displays.empty()) display = displays.front();
    if (!display) return;
    const auto screen = screenUnderPointer();
    if (!screen) return;
    if (panel_) close(false);
    arranger_ = arranger;

    const auto& records = arranger->records();
    MapContent content;
    content.displayID = display->id;
    std::vector<MapTile> tiles;
    for (const Tile& tile : arranger->layout(display->id, true).tiles) {
        if (tile.windows.empty()) continue;
        MapTile mapTile{tile.frame, tile.windows, {}, tile.selected};
        for (const auto& key : tile.windows)
            if (records.contains(key)) mapTile.recordedKeys.push_back(key);
        tiles.push_back(std::move(mapTile));
    }
    std::vector<std::string> minimized;
    for (const auto& record : arranger->model().windows.get())
        if (record->minimized == true && !arranger->isPinned(record->id)) minimized.push_back(record->id);
    content.layout = WindowMapLayout::make(display->frame, screen->visibleFrame.width, tiles, minimized);

    for (const auto& [key, record] : records) {
        MapEntry entry;
        entry.appName = record->app.localizedName.value_or(record->applicationID());
        entry.title = record->title.empty() ? entry.appName : record->title;
        entry.iconName = record->icon().name;
        entry.windowNumber = record->windowNumber;
        entry.identity = record->applicationID();
        content.entries.emplace(key, std::move(entry));
    }
    // Centred on the screen; screens are in the bottom-left-origin space.
    const auto screens = services_.screens->screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height;
    const Size size = content.layout.panelSize;
    const double bottom = screen->frame.midY() - size.height / 2;
    content.panelFrame =
        Rect(screen->frame.midX() - size.width / 2, primaryHeight - (bottom + size.height), size.width, size.height);

    previous_ = services_.workspace->frontmostApplication();
    content_ = std::move(content);
    highlighted_.reset();
    if (makePanel) panel_ = makePanel(*content_, weak_from_this());
    if (!panel_) panel_ = std::make_shared<Panel>();
    // A left or right press in another application closes the map; without a monitor it closes by Escape,
    // a row or the toggle only.
    if (services_.mouseMonitor)
        outsideClick_ =
            services_.mouseMonitor->addGlobalMonitor(platform::eventMask(platform::MouseEventType::leftMouseDown) |
                                                         platform::eventMask(platform::MouseEventType::rightMouseDown),
                                                     [weak = weak_from_this()](const platform::MouseEvent&) {
                                                         if (auto self = weak.lock()) self->outsideClick();
                                                     });
}

void WindowMap::toggle(const std::shared_ptr<WindowMapHost>& arranger) {
    if (isOpen())
        close(true);
    else
        show(arranger);
}

void WindowMap::close(bool returning) {
    outsideClick_.reset();
    if (auto panel = std::move(panel_)) {
        panel_.reset();
        if (panel->close) panel->close();
    }
    content_.reset();
    highlighted_.reset();
    if (returning && previous_ && previous_->pid != services_.workspace->ownPid())
        services_.workspace->activate(previous_->pid, platform::ActivationOptions::none);
    previous_.reset();
}

void WindowMap::choose(const std::string& key, const std::string& displayID, bool tab) {
    // Closing drops the map's content, which the arguments may lie in (the keyboard's row).
    const std::string chosen = key;
    const std::string display = displayID;
    close(false);
    const auto arranger = arranger_.lock();
    if (!arranger || !arranger->records().contains(chosen)) return;
    if (tab)
        arranger->selectTab(chosen, display);
    else
        arranger->bringForward(chosen);
}

void WindowMap::pick(std::optional<std::size_t> pane, const std::string& key) {
    if (!content_) return;
    const std::string displayID = content_->displayID;
    bool tab = false;
    if (pane && *pane < content_->layout.panes.size()) {
        const MapPane& tile = content_->layout.panes[*pane];
        tab = tile.tileKeys.size() >= 2 && key != tile.selected;
    }
    choose(key, displayID, tab);
}

void WindowMap::press(Key key) {
    if (!content_) return;
    switch (key) {
        case Key::escape:
            close(true);
            return;
        case Key::up:
        case Key::left:
            moveHighlight(-1);
            return;
        case Key::down:
        case Key::right:
            moveHighlight(1);
            return;
        case Key::enter: {
            if (!highlighted_) return;
            const auto rows = content_->layout.rowsInOrder();
            std::optional<std::size_t> pane;
            std::size_t index = *highlighted_;
            for (std::size_t p = 0; p < content_->layout.panes.size(); ++p) {
                const std::size_t count = content_->layout.panes[p].rows.size();
                if (index < count) {
                    pane = p;
                    break;
                }
                index -= count;
            }
            pick(pane, rows[*highlighted_]->key);
            return;
        }
    }
}

void WindowMap::moveHighlight(int step) {
    const std::size_t count = content_->layout.rowsInOrder().size();
    if (count == 0) return;
    if (!highlighted_)
        highlighted_ = step > 0 ? 0 : count - 1;
    else
        highlighted_ = static_cast<std::size_t>((static_cast<long>(*highlighted_) + step + static_cast<long>(count)) %
                                                static_cast<long>(count));
    if (panel_ && panel_->highlight) panel_->highlight();
}

void WindowMap::outsideClick() {
    if (isOpen()) close(false);
}

}  // namespace arvelo
