// SpatialInputController.h: the event tap of the spatial canvas (mouse presses at the head of
// the event stream, swallowed while the coordinator holds clicks). Installed when arranging
// starts and the process is trusted; stopped when arranging stops. Holds the coordinator
// weakly.
#pragma once

#include <functional>
#include <memory>

namespace arvelo {

class Coordinator;

class SpatialInputController {
public:
    SpatialInputController(std::weak_ptr<Coordinator> coordinator, bool enabled);

    // Creates the tap when enabled, trusted and not yet installed; a tap that cannot be
    // created is tried again on the next call.
    void install();
    // Removes the tap and cancels a framing gesture in progress.
    void stop();

    bool enabled;
    // The event tap while installed.
    std::shared_ptr<void> tap;
    // Makes the platform's event tap; an empty result means it cannot be created now. Absent
    // until the input layer provides one, so no tap is installed.
    std::function<std::shared_ptr<void>()> createTap;
    bool swallowedDown = false;

private:
    std::weak_ptr<Coordinator> coordinator_;
};

}  // namespace arvelo
