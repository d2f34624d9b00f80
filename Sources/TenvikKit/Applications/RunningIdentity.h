// SPDX-License-Identifier: MIT
// RunningIdentity.h: the identifier a running copy of an installed application reports, so
// the focus lock's list holds exactly what the desktop will name it: a running application
// whose identifier is the entry's, or whose name (its WM_CLASS instance or process name) is
// the program the entry starts. Pure.
#pragma once

#include "Platform/Workspace.h"
#include "TenvikKit/Applications/DesktopEntry.h"

#include <optional>
#include <string>
#include <vector>

namespace tenvik {

struct RunningIdentity {
    // Normalised; absent when no running application is the entry's.
    static std::optional<std::string> identifierFor(const DesktopEntry& entry,
                                                    const std::vector<platform::RunningApplication>& running);
};

}  // namespace tenvik
