// SPDX-License-Identifier: MIT
// QtPanels.h: the panel service of the real desktop. Each panel is a frameless top-level Qt
// window that bypasses the window manager (override-redirect: no frame, no focus, on every
// desktop), never accepts the keyboard focus and is shown without activating. The view layer
// puts its content into host(); stacking, input shape and the compositor question go to
// PanelStacking on X11. Without an X11 stacking (offscreen Qt in tests) the windows are plain
// Qt windows and the ordering calls only show them. Main thread only.
#pragma once

#include "Platform/Qt/PanelWindows.h"
#include "Platform/X11/PanelStacking.h"

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>

namespace platform::x11 {

class QtPanels final : public PanelWindows {
public:
    // `stacking` may be null (no X server of ours: offscreen Qt).
    explicit QtPanels(std::shared_ptr<PanelStacking> stacking);
    ~QtPanels() override;

    PanelID create(const arvelo::Rect& frame) override;
    void setFrame(PanelID panel, const arvelo::Rect& frame) override;
    std::optional<arvelo::Rect> frame(PanelID panel) override;
    void setLevel(PanelID panel, PanelLevel level) override;
    void setIgnoresMouse(PanelID panel, bool ignores) override;
    void show(PanelID panel) override;
    void hide(PanelID panel) override;
    void close(PanelID panel) override;
    void orderAbove(const std::vector<std::pair<PanelID, std::uint32_t>>& placements) override;
    void orderBelow(PanelID panel, std::uint32_t windowNumber) override;
    std::uint32_t windowNumber(PanelID panel) override;
    bool translucent() override { return translucent_; }

    QWidget* host(PanelID panel) const override;
    // A compositing manager started or stopped: each panel's window is made again in the form
    // that shows (with an alpha channel, or opaque to be cut to its outline), at the same
    // place, level, input shape and stacking, its content moved over; then translucencyChanged.
    void setCompositing(bool running);
    // Every managed top-level window of this program (its normal windows and dialogs: settings,
    // dashboard, overview, permissions) is kept above the floating panels while it shows, as the
    // window map is.
    void keepOwnWindowsAbove();
    // A window of ours that the window manager manages but that belongs above the floating
    // panels (the window map): from its first expose until it is hidden or destroyed, the
    // floating panels are kept below it, every restack and at once when it shows or gets the
    // focus. Nothing without an X11 stacking.
    void addPopUpWindow(QWidget* window);

private:
    struct Entry {
        QPointer<QWidget> window;
        PanelLevel level = PanelLevel::floating;
        bool ignoresMouse = false;
    };
    Entry* find(PanelID panel);
    QWidget* makeWindow(const QRect& geometry) const;
    void show(Entry& entry);
    void flushQt() const;
    void syncQt() const;
    // Asks the X server whether a compositing manager runs (new panels follow).
    void recheckCompositor();

    std::shared_ptr<PanelStacking> stacking_;
    std::map<PanelID, Entry> entries_;
    PanelID next_ = 1;
    bool translucent_ = false;
};

}  // namespace platform::x11
