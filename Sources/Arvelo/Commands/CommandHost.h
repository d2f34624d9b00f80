// SPDX-License-Identifier: MIT
// CommandHost.h: what the arranger's global hot keys and URL commands see of the arranger:
// its published model (the selections), the display under the pointer and its layout, the
// status line for a key that cannot be had, and the commands they run. The coordinator
// answers it.
#pragma once

#include <optional>
#include <string>

#include "Arvelo/State/ArrangementModel.h"
#include "Arvelo/State/DisplayInfo.h"
#include "ArveloCore/LayoutResult.h"

namespace arvelo {

class CommandHost {
public:
    virtual ~CommandHost() = default;

    // ---- Reads
    virtual const ArrangementModel& model() const = 0;
    virtual std::optional<DisplayInfo> displayUnderPointer() const = 0;
    virtual LayoutResult layout(const std::string& displayID, bool overview = false,
                                std::optional<Rect> rect = std::nullopt,
                                const std::optional<LayoutNode>& root = std::nullopt) const = 0;

    // ---- Commands
    virtual void setStatus(std::string text) = 0;
    virtual void selectDisplay(const std::string& displayID) = 0;
    virtual void arrange() = 0;
    virtual void restore() = 0;
    virtual void recover() = 0;
    virtual void showEverything() = 0;
    virtual void showOverview() = 0;
    virtual void showDashboard() = 0;
    virtual void focus(const std::string& key) = 0;
    virtual void focusDesktop() = 0;
    virtual void zoomOut() = 0;
    virtual void back() = 0;
    virtual void forward() = 0;
    virtual void saveView(int slot) = 0;
    virtual void recallView(int slot) = 0;
};

}  // namespace arvelo
