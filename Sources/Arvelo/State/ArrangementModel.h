// SPDX-License-Identifier: MIT
// ArrangementModel.h: the arrangement as the coordinator publishes it: the windows, displays
// and per-display states, the selections, the status line, the user's switches, the saved
// layouts, the window pictures and what an earlier run left behind. Every write of a field
// tells `onChange`; views read the fields and observe the notifier. Only the coordinator
// writes them: everyone else holds the model as const.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Arvelo/Pictures/WindowPicture.h"
#include "Arvelo/State/DisplayInfo.h"
#include "Arvelo/State/SavedView.h"
#include "Arvelo/State/WorkspaceState.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "Platform/Published.h"

namespace arvelo {

using WindowList = std::vector<std::shared_ptr<WindowRecord>>;

struct ArrangementModel {
    ArrangementModel(std::string initialStatus, double initialGap)
        : status(onChange, std::move(initialStatus)), gap(onChange, initialGap) {}
    ArrangementModel(const ArrangementModel&) = delete;
    ArrangementModel& operator=(const ArrangementModel&) = delete;

    // Observing the model changes nothing in it: a const model can still be subscribed to.
    mutable platform::ChangeNotifier onChange;

    platform::Published<WindowList> windows{onChange, {}};
    platform::Published<std::vector<DisplayInfo>> displays{onChange, {}};
    platform::Published<std::map<std::string, WorkspaceState>> states{onChange, {}};
    platform::Published<std::string> selectedDisplay{onChange, ""};
    platform::Published<std::optional<std::string>> selectedWindow{onChange, std::nullopt};
    platform::Published<std::string> status;
    platform::Published<bool> managing{onChange, false};
    platform::Published<bool> trusted{onChange, false};
    platform::Published<double> gap;
    platform::Published<std::vector<SavedView>> saved{onChange, {}};
    platform::Published<bool> dragDocking{onChange, true};
    platform::Published<bool> previewsEnabled{onChange, true};
    platform::Published<std::map<std::string, WindowPicture>> previewImages{onChange, {}};
    platform::Published<std::set<std::string>> excluded{onChange, {}};
    platform::Published<bool> recoveryAvailable{onChange, false};
    platform::Published<bool> resumeAvailable{onChange, false};
    platform::Published<bool> autoTile{onChange, true};
};

}  // namespace arvelo
