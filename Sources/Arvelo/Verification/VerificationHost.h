// SPDX-License-Identifier: MIT
// VerificationHost.h: what the fixture runs (the dock scenario and the integration
// verification) see of the arranger: its published model, the platform it runs on, live reads
// of the windows and the chrome for their records, and the arranger's own operations that the
// steps drive, the production drop included. The coordinator answers it; a run holds it
// weakly.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Arvelo/Chrome/ChromePanel.h"
#include "Arvelo/State/ArrangementModel.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/Geometry.h"
#include "ArveloCore/LayoutResult.h"
#include "Platform/Services.h"

namespace arvelo {

class VerificationHost {
public:
    virtual ~VerificationHost() = default;

    // ---- Reads
    virtual const ArrangementModel& model() const = 0;
    virtual const platform::Services& services() const = 0;
    // Where the state files go (the default folder of the runs' outputs).
    virtual std::filesystem::path stateDirectory() const = 0;
    virtual std::shared_ptr<WindowRecord> record(const std::string& key) const = 0;
    // The window's frame and minimised state read from it now; absent or false when they
    // cannot be read.
    virtual std::optional<Rect> currentFrame(const WindowRecord& record) const = 0;
    virtual bool minimizedNow(const WindowRecord& record) const = 0;
    virtual LayoutResult layout(const std::string& displayID, bool overview = false,
                                std::optional<Rect> rect = std::nullopt,
                                const std::optional<LayoutNode>& root = std::nullopt) const = 0;
    // The chrome's panels as shown now (tab bars, seam handles, miniature tiles, zoom bar).
    virtual const std::vector<std::shared_ptr<ChromePanel>>& chromePanels() const = 0;
    // The mouse location in the top-left-origin space.
    virtual Point pointerLocation() const = 0;

    // ---- Commands
    // Scans only the fixture application's windows (with scan diagnostics), or every window.
    virtual void scanFixtureOnly(bool on) = 0;
    virtual void refresh(std::function<void()> completion = nullptr) = 0;
    virtual void refreshNow(std::function<void()> done) = 0;
    virtual void arrangeCurrentSnapshot(const std::optional<std::set<std::string>>& only) = 0;
    virtual void focus(const std::string& key) = 0;
    virtual void zoomOut() = 0;
    // Every display's focus goes and the layouts are applied again; cameras stay.
    virtual void unfocusAll() = 0;
    virtual void showEverything() = 0;
    virtual void selectTab(const std::string& key, const std::string& displayID) = 0;
    virtual void restore() = 0;
    virtual void freeAllWindows() = 0;
    // Ends a drag of the window at the point (top-left space) as a drop; `native` when it was
    // dragged by its own title bar.
    virtual void dropWindow(const std::string& key, Point point, bool native) = 0;
    virtual void setStatus(std::string text) = 0;
};

}  // namespace arvelo
