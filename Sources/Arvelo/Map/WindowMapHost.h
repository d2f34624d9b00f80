// SPDX-License-Identifier: MIT
// WindowMapHost.h: what the window map sees of the arranger: its published model (displays,
// windows), the display under the pointer and its whole layout, the window table for the rows,
// the pinned windows, and what choosing a row does. The coordinator answers it; an open map
// holds it weakly.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "Arvelo/State/ArrangementModel.h"
#include "Arvelo/State/DisplayInfo.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/LayoutResult.h"

namespace arvelo {

class WindowMapHost {
public:
    virtual ~WindowMapHost() = default;

    // ---- Reads
    virtual const ArrangementModel& model() const = 0;
    virtual std::optional<DisplayInfo> displayUnderPointer() const = 0;
    virtual LayoutResult layout(const std::string& displayID, bool overview = false,
                                std::optional<Rect> rect = std::nullopt,
                                const std::optional<LayoutNode>& root = std::nullopt) const = 0;
    // Every window the arranger has a record of, by key.
    virtual const std::map<std::string, std::shared_ptr<WindowRecord>>& records() const = 0;
    virtual bool isPinned(const std::string& key) const = 0;

    // ---- A chosen row
    // Shows the window as its tile's tab.
    virtual void selectTab(const std::string& key, const std::string& displayID) = 0;
    // Selects the window and raises it; its tile stays as it is.
    virtual void bringForward(const std::string& key) = 0;
};

}  // namespace arvelo
