// AppWindows.h: binds the coordinator's hooks for this program's own windows to their Qt
// views: the dashboard and the overview are made on first use and kept for its life.
#pragma once

#include "Arvelo/Coordinator/Coordinator.h"

namespace arvelo::views {

void bindAppWindows(Coordinator& coordinator);

}  // namespace arvelo::views
