// SPDX-License-Identifier: MIT
// DashboardHost.h: what the dashboard, the overview and their spatial canvas see of the
// arranger: its published model to read and observe, a few lookups, and the commands their
// controls send. The coordinator answers it; the views hold it weakly and never write its
// state themselves.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Arvelo/State/ArrangementModel.h"
#include "Arvelo/State/WorkspaceState.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/DockEdge.h"
#include "ArveloCore/LayoutResult.h"

namespace arvelo {

class DashboardHost {
public:
    virtual ~DashboardHost() = default;

    // ---- Reads
    virtual const ArrangementModel& model() const = 0;
    // The window table's record of this key; null when it has none.
    virtual std::shared_ptr<WindowRecord> record(const std::string& key) const = 0;
    // The selected window's record, while the table holds it.
    virtual std::shared_ptr<WindowRecord> selectedRecord() const = 0;
    // The selected display's state.
    virtual std::optional<WorkspaceState> current() const = 0;
    // The display's layout solved into its area, or into `rect` (the whole tree for the
    // overview, whatever the camera).
    virtual LayoutResult layout(const std::string& displayID, bool overview = false,
                                std::optional<Rect> rect = std::nullopt,
                                const std::optional<LayoutNode>& root = std::nullopt) const = 0;
    virtual bool canGoBack() const = 0;
    virtual bool canGoForward() const = 0;
    // Window pictures may be taken now (the screen-capture permission is granted).
    virtual bool screenCaptureAllowed() const = 0;

    // ---- Commands
    virtual void refresh(std::function<void()> completion = nullptr) = 0;
    virtual void arrange() = 0;
    virtual bool resumeLastLayout() = 0;
    virtual void freeAllWindows() = 0;
    virtual void recover() = 0;
    virtual void restore() = 0;
    // Asks the platform to grant the arranger's permission (the answer comes with a later
    // refresh).
    virtual void askForAccessibility() = 0;
    virtual void selectWindow(const std::optional<std::string>& key) = 0;
    virtual void selectDisplay(const std::string& displayID) = 0;
    virtual void focus(const std::string& key) = 0;
    virtual void focusDesktop() = 0;
    virtual void zoomOut() = 0;
    virtual void showEverything() = 0;
    virtual void back() = 0;
    virtual void forward() = 0;
    virtual void floatWindow(const std::string& key) = 0;
    virtual void exclude(const std::string& identity, bool enabled) = 0;
    virtual void dock(const std::string& key, const std::string& target, const std::string& displayID,
                      DockEdge edge) = 0;
    virtual void setGap(double value) = 0;
    virtual void setDragDocking(bool on) = 0;
    virtual void enablePreviews() = 0;
    virtual void saveView(int slot) = 0;
    virtual void recallView(int slot) = 0;
    // The overview was left: the chrome comes back over the arranged windows.
    virtual void restoreChrome() = 0;
};

}  // namespace arvelo
