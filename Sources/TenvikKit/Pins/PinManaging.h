// SPDX-License-Identifier: MIT
// PinManaging.h: what the kit controller uses of window pinning: toggling a pin on the front
// window, removing every pin, pushing settings to them, stopping them, and the few facts the
// menu, tool tip and status image show. MultiPinManager is the program's; tests may give their
// own.
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tenvik {

// One pin's state as the controller reads it.
struct PinState {
    enum class Kind { idle, starting, active, failed };
    Kind kind = Kind::idle;
    std::string text;                       // the window's description, or the failure message
    std::optional<std::uint32_t> windowID;  // the pinned window while the pin holds one
};

class PinManaging {
public:
    virtual ~PinManaging() = default;

    virtual void togglePinCurrentWindow() = 0;
    virtual void unpin() = 0;
    virtual void applySettings() = 0;
    virtual void stop() = 0;

    // Every pin in order.
    virtual std::vector<PinState> pins() const = 0;
    virtual bool frontWindowIsPinned() const = 0;

    // The text after "Pinned: ": with no live pin (none starting or active) the last pin's own
    // text ("None" when idle) or "None"; with one live pin its text; with several, their count
    // and " windows".
    std::string pinnedWindowDescription() const;
    bool hasActivePin() const;
    bool hasLivePin() const;
    bool lastPinFailed() const;
    std::vector<std::uint32_t> pinnedWindowIDs() const;

    std::function<void()> onStateChange;
    // The pinned window's process while a preview passes clicks through to it, or nothing.
    std::function<void(std::optional<std::int32_t>)> onInteractionChange;
};

}  // namespace tenvik
