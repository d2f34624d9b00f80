// SPDX-License-Identifier: MIT
// MultiPinManager.h: the pinning feature as the kit controller sees it: any number of pins,
// one per pinned window, oldest first. It decides which pin a toggle removes, drops a new pin
// that turns out to show a window an older pin already shows, discards finished pins (keeping
// the last one when it failed, so its message stays visible) and sums the pins up in one line.
// It also keeps, for the whole process, the last application other than this program that came
// to the front, and hands it to every new pin. Pins are held shared while they are called, so a
// callback may toggle or release every pin, the calling one included. Main thread only.
#pragma once

#include "TenvikKit/Pins/PinManaging.h"
#include "TenvikKit/Pins/WindowPinManager.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tenvik {

class MultiPinManager : public PinManaging {
public:
    // The frontmost window counts when it is strictly larger than this, in points.
    static constexpr double kFrontWindowMinimumWidth = 120;
    static constexpr double kFrontWindowMinimumHeight = 100;

    MultiPinManager(PinServices services, std::optional<std::string> ignoredApplicationID);
    ~MultiPinManager() override;
    MultiPinManager(const MultiPinManager&) = delete;
    MultiPinManager& operator=(const MultiPinManager&) = delete;

    // Releases the pin holding the front window, else starts a new pin.
    void togglePinCurrentWindow() override;
    // Releases every pin.
    void unpin() override;
    void applySettings() override;
    // Stops every pin without telling anyone.
    void stop() override;
    std::vector<PinState> pins() const override;
    bool frontWindowIsPinned() const override;

    const std::vector<std::shared_ptr<WindowPinManager>>& pinManagers() const { return pins_; }
    const std::optional<platform::RunningApplication>& lastExternalApplication() const {
        return lastExternalApplication_;
    }

private:
    // The number of the frontmost application's front ordinary window.
    std::optional<std::uint32_t> frontWindowID() const;
    void pinChanged(const std::shared_ptr<WindowPinManager>& pin);
    bool isSelfApplication(const platform::RunningApplication& application) const;
    void notifyStateChange();

    PinServices services_;
    std::optional<std::string> ignoredApplicationID_;
    std::vector<std::shared_ptr<WindowPinManager>> pins_;
    std::optional<platform::RunningApplication> lastExternalApplication_;
    platform::Subscription activationObserver_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace tenvik
